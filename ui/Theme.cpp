#include "ui/Theme.h"

#include <array>

namespace tolvane {

namespace {

QFont sized(int pixelSize, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace

QLinearGradient Theme::accentGradient(const QRectF& area) const {
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0.0, accentStart());
    gradient.setColorAt(1.0, accentEnd());
    return gradient;
}

QPalette Theme::dialogPalette() const {
    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, pageTop());
        palette.setColor(group, QPalette::Base, cardFill());
        palette.setColor(group, QPalette::AlternateBase, rowAlternate());
        palette.setColor(group, QPalette::Button, accent());
        palette.setColor(group, QPalette::ButtonText, buttonText());
        palette.setColor(group, QPalette::Highlight, accent());
        palette.setColor(group, QPalette::HighlightedText, buttonText());
        palette.setColor(group, QPalette::ToolTipBase, cardFill());
        palette.setColor(group, QPalette::ToolTipText, text());
        palette.setColor(group, QPalette::Link, linkText());
        const QColor body = group == QPalette::Disabled ? mutedText() : text();
        palette.setColor(group, QPalette::WindowText, body);
        palette.setColor(group, QPalette::Text, body);
    }
    return palette;
}

QString Theme::dialogStyleSheet() const {
    return QStringLiteral("QMessageBox { background: %1; }"
                          "QMessageBox QLabel { color: %2; background: transparent; }"
                          "QPushButton { background: %3; color: %4; border: none;"
                          " border-radius: 6px; padding: 6px 18px; min-width: 64px; }"
                          "QPushButton:hover { background: %5; }"
                          "QPushButton:focus { outline: none; border: 2px solid %2; }")
        .arg(pageTop().name(), text().name(), accent().name(), buttonText().name(),
             accentDark().name());
}

QString Theme::menuStyleSheet() const {
    return QStringLiteral("QMenu { background: %1; color: %2; border: 1px solid %3;"
                          " border-radius: 8px; padding: 6px; }"
                          "QMenu::item { padding: 6px 28px 6px 16px; border-radius: 5px; }"
                          "QMenu::item:selected { background: %4; color: %5; }"
                          "QMenu::item:disabled { color: %6; }"
                          "QMenu::separator { height: 1px; background: %3; margin: 4px 8px; }")
        .arg(pageTop().name(), text().name(), pageBorder().name(), accent().name(),
             buttonText().name(), buttonDisabled().name());
}

QString Theme::listStyleSheet() const {
    return QStringLiteral("QAbstractItemView { background: %1; color: %2; border: 1px solid %3;"
                          " border-radius: 10px; padding: 4px; outline: none;"
                          " selection-background-color: %4; selection-color: %2; }"
                          "QAbstractItemView::item { padding: 4px 8px; border-radius: 6px; }"
                          "QAbstractItemView::item:selected { background: %4; }"
                          "QScrollBar:vertical { background: transparent; width: 10px;"
                          " margin: 6px 2px 6px 0; }"
                          "QScrollBar::handle:vertical { background: %5; border-radius: 4px;"
                          " min-height: 24px; }"
                          "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
                          "QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
        .arg(rowFill().name(), text().name(), cardBorder().name(), rowSelected().name(),
             checkOff().name());
}

QColor Theme::moduleTint(int moduleId) const {
    // Neighbouring modules get hues far apart, all dark enough for a white glyph.
    static constexpr std::array<QRgb, 13> tints{
        0x3f8ef0, 0x7c5cf5, 0x2f6fd1, 0x14a38b, 0xe0793a, 0xc2478f, 0x1fa7c9,
        0x8a5a2b, 0xd8484f, 0x2e9d4f, 0xb6462e, 0x5b6b8c, 0x6c5cf5,
    };
    if (moduleId < 0 || moduleId >= static_cast<int>(tints.size())) {
        return accent();
    }
    return QColor::fromRgb(tints[static_cast<std::size_t>(moduleId)]);
}

QColor Theme::launcherTint(int launcher) const {
    // Steam, Lutris, Bottles, Heroic, PlayOnLinux, Phoenicis, CrossOver, winetricks, Wine.
    static constexpr std::array<QRgb, 9> tints{
        0x1b2a49, 0xd9792b, 0x3f7fd9, 0x7b3fc4, 0x3f9a4a, 0xd4493a, 0xb83a6e, 0x5b6b8c, 0x8e2a3f,
    };
    if (launcher < 0 || launcher >= static_cast<int>(tints.size())) {
        return accent();
    }
    return QColor::fromRgb(tints[static_cast<std::size_t>(launcher)]);
}

QFont Theme::titleFont() const {
    return sized(26, QFont::Bold);
}

QFont Theme::captionFont() const {
    return sized(20, QFont::Bold);
}

QFont Theme::navFont() const {
    return sized(15, QFont::DemiBold);
}

QFont Theme::navSmallFont() const {
    return sized(13, QFont::Normal);
}

QFont Theme::bodyFont() const {
    return sized(13, QFont::Normal);
}

QFont Theme::valueFont() const {
    return sized(13, QFont::DemiBold);
}

QFont Theme::smallFont() const {
    return sized(11, QFont::Normal);
}

QFont Theme::buttonFont() const {
    return sized(12, QFont::DemiBold);
}

} // namespace tolvane
