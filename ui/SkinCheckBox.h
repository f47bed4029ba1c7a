#pragma once

#include "ui/HoverButton.h"

namespace tolvane {

class Theme;

// A check box drawn as a 48 by 48 switch picture with its caption to the right.
class SkinCheckBox : public HoverButton {
    Q_OBJECT
public:
    static constexpr int imageSide = 48;

    SkinCheckBox(const Theme& theme, const QString& text, QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Theme& theme_;
};

} // namespace tolvane
