#include "platform/services/SystemClock.h"

#include <condition_variable>
#include <mutex>

namespace tolvane {

Clock::TimePoint SystemClock::now() const {
    return std::chrono::system_clock::now();
}

bool SystemClock::sleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

} // namespace tolvane
