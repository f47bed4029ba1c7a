#pragma once

#include "engine/ProgressTargets.h"

#include <stop_token>
#include <string_view>

namespace tolvane::test {

// A progress display that asks for a stop as soon as a scan shows its first key, so that tests
// see where a running scan ends. Binding the display empties the status line first; that does
// not count.
class StoppingProgress final : public ProgressTargets {
public:
    std::stop_token token() const { return source_.get_token(); }

    void setStatusText(std::string_view text) override;
    void setTotalText(std::string_view) override {}
    void setCounterText(int, std::string_view) override {}
    void setBarPosition(int) override {}

private:
    std::stop_source source_;
};

} // namespace tolvane::test
