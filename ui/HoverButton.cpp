#include "ui/HoverButton.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>

namespace tolvane {

void HoverButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void HoverButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers().testFlag(Qt::ControlModifier) == false && !event->isAutoRepeat()) {
        if (isEnabled()) {
            click();
        }
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void HoverButton::setUpToggle(const QString& text, const QFont& font) {
    setText(text);
    setCheckable(true);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void HoverButton::paintCaption(QPainter& painter, const QColor& colour, qreal left) const {
    painter.setPen(colour);
    painter.setFont(font());
    const QRectF caption(left, 0, width() - left, height());
    painter.drawText(
        caption, Qt::AlignVCenter | Qt::AlignLeft,
        QFontMetrics(font()).elidedText(text(), Qt::ElideRight, static_cast<int>(caption.width())));
}

} // namespace tolvane
