#include "tests/support/ManualClock.h"

#include <thread>

namespace tolvane::test {

ManualClock::ManualClock(TimePoint start) : now_(start) {}

Clock::TimePoint ManualClock::now() const {
    const std::lock_guard lock(mutex_);
    return now_;
}

bool ManualClock::sleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
    std::this_thread::yield();
    if (stop.stop_requested()) {
        return false;
    }
    const std::lock_guard lock(mutex_);
    now_ += duration;
    if (waits_.size() < 10000) {
        waits_.push_back(duration);
    }
    return true;
}

void ManualClock::set(TimePoint time) {
    const std::lock_guard lock(mutex_);
    now_ = time;
}

void ManualClock::advance(std::chrono::milliseconds duration) {
    const std::lock_guard lock(mutex_);
    now_ += duration;
}

std::vector<std::chrono::milliseconds> ManualClock::waits() const {
    const std::lock_guard lock(mutex_);
    return waits_;
}

} // namespace tolvane::test
