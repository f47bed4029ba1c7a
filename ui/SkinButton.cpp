#include "ui/SkinButton.h"

#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace tolvane {

SkinButton::SkinButton(const Theme& theme, Style style, const QString& text,
                       std::optional<Artwork::Glyph> glyph, QWidget* parent)
    : HoverButton(parent), theme_(theme), artwork_(theme), style_(style), glyph_(glyph) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    // A caption of two lines is one name for assistive tools.
    if (text.contains(QLatin1Char('\n'))) {
        setAccessibleName(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    switch (style) {
    case Style::nav:
        setFont(theme.navFont());
        break;
    case Style::navSmall:
        setFont(theme.navSmallFont());
        break;
    case Style::link:
        setFont(theme.bodyFont());
        break;
    default:
        setFont(theme.buttonFont());
        break;
    }
}

void SkinButton::setActive(bool active) {
    if (active_ != active) {
        active_ = active;
        update();
    }
}

QSize SkinButton::sizeHint() const {
    const QFontMetrics metrics(font());
    switch (style_) {
    case Style::nav:
        return {150, 42};
    case Style::navSmall:
        return {130, 30};
    case Style::title:
        return {22, 22};
    case Style::tile:
        return {130, 120};
    case Style::link:
        return {metrics.horizontalAdvance(text()) + 8, metrics.height() + 6};
    default:
        return {metrics.horizontalAdvance(text()) + 24, 30};
    }
}

void SkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    switch (style_) {
    case Style::nav:
        paintNav(painter, false);
        break;
    case Style::navSmall:
        paintNav(painter, true);
        break;
    case Style::title:
        paintTitle(painter);
        break;
    case Style::primary:
        paintFilled(painter, true);
        break;
    case Style::secondary:
        paintFilled(painter, false);
        break;
    case Style::tile:
        paintTile(painter);
        break;
    case Style::link:
        paintLink(painter);
        break;
    }
}

void SkinButton::paintNav(QPainter& painter, bool small) {
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = small ? 8 : 11;
    if (active_ && !small) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme_.accentGradient(area));
        painter.drawRoundedRect(area, radius, radius);
    } else if (isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme_.navPressed());
        painter.drawRoundedRect(area, radius, radius);
    } else if (hovered() || active_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme_.navHover());
        painter.drawRoundedRect(area, radius, radius);
    }
    const QColor textColour = !isEnabled() ? theme_.navDisabledText()
                              : active_    ? theme_.navTextActive()
                                           : theme_.navText();
    const qreal iconSide = small ? 16 : 20;
    const qreal left = small ? 10 : 14;
    if (glyph_) {
        artwork_.paintGlyph(painter, *glyph_,
                            QRectF(left, (height() - iconSide) / 2, iconSide, iconSide),
                            textColour);
    }
    painter.setPen(textColour);
    painter.setFont(font());
    const qreal textLeft = left + iconSide + (small ? 10 : 12);
    painter.drawText(QRectF(textLeft, 0, width() - textLeft, height()),
                     Qt::AlignVCenter | Qt::AlignLeft, text());
    if (hasFocus()) {
        painter.setPen(QPen(theme_.focusRing(), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), radius, radius);
    }
}

void SkinButton::paintTitle(QPainter& painter) {
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    if (hovered() || isDown()) {
        painter.setBrush(danger_ ? theme_.closeHover() : theme_.titleButtonHover());
    } else {
        painter.setBrush(theme_.titleButton());
    }
    painter.drawEllipse(area);
    if (glyph_) {
        artwork_.paintGlyph(painter, *glyph_, area.adjusted(5, 5, -5, -5), theme_.titleGlyph());
    }
    if (hasFocus()) {
        painter.setPen(QPen(theme_.focusRing(), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(area.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void SkinButton::paintFilled(QPainter& painter, bool primary) {
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin(area.height() / 2, 9.0);
    painter.setPen(Qt::NoPen);
    if (!isEnabled()) {
        painter.setBrush(theme_.buttonDisabled());
    } else if (primary) {
        painter.setBrush(theme_.accentGradient(area));
    } else {
        painter.setBrush(theme_.secondaryButtonFill());
    }
    painter.drawRoundedRect(area, radius, radius);
    if (isEnabled() && isDown()) {
        painter.setBrush(theme_.buttonPressedShade());
        painter.drawRoundedRect(area, radius, radius);
    } else if (isEnabled() && hovered()) {
        painter.setBrush(theme_.buttonHoverGlow());
        painter.drawRoundedRect(area, radius, radius);
    }
    painter.setPen(primary || !isEnabled() ? theme_.buttonText() : theme_.secondaryButtonText());
    painter.setFont(font());
    painter.drawText(area, Qt::AlignCenter, text());
    if (hasFocus()) {
        painter.setPen(QPen(theme_.focusRing(), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), radius, radius);
    }
}

void SkinButton::paintTile(QPainter& painter) {
    const QRectF area = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(hovered() ? theme_.accent() : theme_.cardBorder(), 1.2));
    painter.setBrush(isDown() ? theme_.secondaryButtonFill() : theme_.cardFill());
    painter.drawRoundedRect(area, 14, 14);
    const qreal badge = qMin(area.width(), area.height()) * 0.42;
    if (glyph_) {
        artwork_.paintBadge(painter, *glyph_,
                            QRectF(area.center().x() - badge / 2, area.top() + 12, badge, badge));
    }
    painter.setPen(isEnabled() ? theme_.text() : theme_.buttonDisabled());
    painter.setFont(font());
    painter.drawText(QRectF(area.left() + 4, area.top() + 18 + badge, area.width() - 8,
                            area.bottom() - area.top() - 22 - badge),
                     Qt::AlignHCenter | Qt::AlignTop, text());
    if (hasFocus()) {
        painter.setPen(QPen(theme_.focusRing(), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area.adjusted(2, 2, -2, -2), 12, 12);
    }
}

void SkinButton::paintLink(QPainter& painter) {
    QFont linkFont = font();
    linkFont.setUnderline(hovered());
    painter.setFont(linkFont);
    painter.setPen(hovered() ? theme_.linkHover() : theme_.linkText());
    painter.drawText(rect(), alignment_, text());
    if (hasFocus()) {
        painter.setPen(QPen(theme_.focusRing(), 1.0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
}

} // namespace tolvane
