#pragma once

#include <QAbstractButton>

class QPainter;

namespace tolvane {

// A painted button that knows whether the mouse is over it and repaints when that changes.
class HoverButton : public QAbstractButton {
    Q_OBJECT
public:
    using QAbstractButton::QAbstractButton;

protected:
    bool hovered() const { return hovered_; }
    // A check box of ours: checkable, `text` in `font`, reached by Tab, a hand over it.
    void setUpToggle(const QString& text, const QFont& font);
    // The caption in `colour`, from `left` to the right edge, cut with an ellipsis if long.
    void paintCaption(QPainter& painter, const QColor& colour, qreal left) const;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Enter and Return click, as Space does: the painted buttons are no QPushButtons, which
    // would take them as the dialog's default.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool hovered_ = false;
};

} // namespace tolvane
