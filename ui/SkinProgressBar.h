#pragma once

#include <QProgressBar>

namespace tolvane {

class Theme;

// The activity bar of long operations: a rounded groove with a gradient run of light that
// moves with the value (the animation steps it; it says "working", not "how far").
class SkinProgressBar : public QProgressBar {
    Q_OBJECT
public:
    SkinProgressBar(const Theme& theme, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Theme& theme_;
};

} // namespace tolvane
