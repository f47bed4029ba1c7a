#pragma once

#include <QAbstractButton>

namespace tolvane {

// A painted button that knows whether the mouse is over it and repaints when that changes.
class HoverButton : public QAbstractButton {
    Q_OBJECT
public:
    using QAbstractButton::QAbstractButton;

protected:
    bool hovered() const { return hovered_; }
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered_ = false;
};

} // namespace tolvane
