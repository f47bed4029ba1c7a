#include "ui/SkinCheckBox.h"

#include "ui/Artwork.h"
#include "ui/Theme.h"

#include <QPainter>

namespace tolvane {

SkinCheckBox::SkinCheckBox(const Theme& theme, const QString& text, QWidget* parent)
    : HoverButton(parent), theme_(theme) {
    setUpToggle(text, theme.bodyFont());
}

QSize SkinCheckBox::sizeHint() const {
    return {imageSide + 12 + QFontMetrics(font()).horizontalAdvance(text()), imageSide};
}

void SkinCheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The picture: a rounded switch in a 48 by 48 square; the knob carries a tick when on.
    const QRectF image(0, 0, imageSide, imageSide);
    const QRectF track(image.left() + 4, image.center().y() - 12, image.width() - 8, 24);
    painter.setPen(Qt::NoPen);
    if (isChecked()) {
        painter.setBrush(theme_.accentGradient(track));
    } else {
        painter.setBrush(theme_.checkOff());
    }
    painter.drawRoundedRect(track, 12, 12);
    if (hovered()) {
        painter.setBrush(theme_.buttonHoverGlow());
        painter.drawRoundedRect(track, 12, 12);
    }
    const qreal knob = 18;
    const qreal knobX = isChecked() ? track.right() - 3 - knob : track.left() + 3;
    const QRectF knobArea(knobX, track.center().y() - knob / 2, knob, knob);
    painter.setBrush(theme_.checkOffKnob());
    painter.drawEllipse(knobArea);
    if (isChecked()) {
        painter.setPen(QPen(theme_.accent(), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(Artwork::tick(knobArea.center(), 4));
    }
    if (hasFocus()) {
        painter.setPen(QPen(theme_.focusRing(), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(track.adjusted(-2, -2, 2, 2), 14, 14);
    }
    paintCaption(painter, isEnabled() ? theme_.text() : theme_.buttonDisabled(), imageSide + 12);
}

} // namespace tolvane
