#pragma once

#include "platform/discovery/HostEnvironment.h"

namespace tolvane::discovery {

// The environment this process was started with.
class ProcessEnvironment final : public HostEnvironment {
public:
    std::optional<std::string> variable(std::string_view name) const override;
};

} // namespace tolvane::discovery
