#pragma once

#include "platform/Clock.h"

#include <mutex>
#include <vector>

namespace tolvane::test {

// A clock that tests set by hand. Waits return at once (after yielding the processor), move
// the clock on by the time waited, and are remembered.
class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start = TimePoint(std::chrono::seconds(1796596801)));

    TimePoint now() const override;
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;

    void set(TimePoint time);
    void advance(std::chrono::milliseconds duration);
    std::vector<std::chrono::milliseconds> waits() const;

private:
    mutable std::mutex mutex_;
    TimePoint now_;
    std::vector<std::chrono::milliseconds> waits_;
};

} // namespace tolvane::test
