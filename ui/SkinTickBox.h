#pragma once

#include "ui/HoverButton.h"

namespace tolvane {

class Theme;

// A compact painted check box for lists of options that stand 20 pixels apart: a rounded
// 16 by 16 box that fills with the brand gradient and a tick when checked, caption to the right.
class SkinTickBox : public HoverButton {
    Q_OBJECT
public:
    static constexpr int boxSide = 16;

    SkinTickBox(const Theme& theme, const QString& text, QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Theme& theme_;
};

} // namespace tolvane
