#pragma once

#include "platform/Clock.h"

namespace tolvane {

// The real clock.
class SystemClock final : public Clock {
public:
    TimePoint now() const override;
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;
};

} // namespace tolvane
