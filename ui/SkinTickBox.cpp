#include "ui/SkinTickBox.h"

#include "ui/Artwork.h"
#include "ui/Theme.h"

#include <QPainter>

namespace tolvane {

namespace {

constexpr int captionGap = 8;

} // namespace

SkinTickBox::SkinTickBox(const Theme& theme, const QString& text, QWidget* parent)
    : HoverButton(parent), theme_(theme) {
    setUpToggle(text, theme.bodyFont());
}

QSize SkinTickBox::sizeHint() const {
    return {boxSide + captionGap + QFontMetrics(font()).horizontalAdvance(text()) + 2, 20};
}

void SkinTickBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(1.5, (height() - boxSide) / 2.0 + 0.5, boxSide - 1, boxSide - 1);
    if (isChecked()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme_.accentGradient(box));
    } else {
        painter.setPen(QPen(hovered() ? theme_.accent() : theme_.checkOff(), 1.4));
        painter.setBrush(theme_.cardFill());
    }
    painter.drawRoundedRect(box, 4, 4);
    if (isChecked()) {
        if (hovered()) {
            painter.setBrush(theme_.buttonHoverGlow());
            painter.drawRoundedRect(box, 4, 4);
        }
        painter.setPen(QPen(theme_.checkMark(), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(Artwork::tick(box.center(), 4));
    }
    if (hasFocus()) {
        painter.setPen(QPen(theme_.focusRing(), 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(-1.5, -1.5, 1.5, 1.5), 5, 5);
    }
    paintCaption(painter, isEnabled() ? theme_.text() : theme_.buttonDisabled(),
                 boxSide + captionGap);
}

} // namespace tolvane
