#pragma once

#include <chrono>
#include <stop_token>

namespace tolvane {

// Time as the program sees it; tests hand in their own so that nothing waits on the wall clock.
class Clock {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Waits `duration`; returns false early when `stop` is requested.
    virtual bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

} // namespace tolvane
