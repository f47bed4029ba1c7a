#pragma once

#include "ui/WidgetProgress.h"

#include <QRect>
#include <memory>

class QWidget;

namespace tolvane {

class ActivityAnimation;
class Clock;
class SkinProgressBar;
class Theme;

// The bar a page shows while its long operation runs: hidden otherwise. Either the page
// animates it here (start/stop), or a core run does through targets(); either way the stepping
// thread reaches the widget only through queued calls.
class ActivityBar {
public:
    ActivityBar(const Theme& theme, QWidget& page, const QString& objectName,
                const QRect& geometry);
    ActivityBar(const ActivityBar&) = delete;
    ActivityBar& operator=(const ActivityBar&) = delete;
    ~ActivityBar();

    SkinProgressBar* widget() const { return bar_; }
    ProgressTargets* targets() { return &progress_; }

    // Shows the bar and steps it with `clock` until stop().
    void start(Clock& clock);
    // Shows the bar for a run that steps it through targets().
    void show();
    // Ends the stepping (waiting for its thread) and hides the bar.
    void stop();

private:
    SkinProgressBar* bar_;
    WidgetProgress progress_;
    std::unique_ptr<ActivityAnimation> animation_;
};

} // namespace tolvane
