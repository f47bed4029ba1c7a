#include "ui/Theme.h"

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

QString Theme::dialogStyleSheet() const {
    return QStringLiteral("QMessageBox, QFileDialog { background: %1; color: %2; }"
                          "QPushButton { background: %3; color: %4; border: none;"
                          " border-radius: 6px; padding: 6px 18px; min-width: 64px; }"
                          "QPushButton:hover { background: %5; }")
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
