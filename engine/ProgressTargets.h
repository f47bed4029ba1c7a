#pragma once

#include <string_view>

namespace tolvane {

// The progress display a scan writes to: the activity bar, the status line with the key being
// examined, the total counter and one counter per module. Calls come from the worker thread;
// an implementation that shows them in a window must hand them to its own thread.
class ProgressTargets {
public:
    virtual ~ProgressTargets() = default;

    virtual void setStatusText(std::string_view text) = 0;
    virtual void setTotalText(std::string_view text) = 0;
    virtual void setCounterText(int moduleId, std::string_view text) = 0;
    virtual void setBarPosition(int position) = 0;
};

} // namespace tolvane
