#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::discovery {

// The variables of the host environment that prefix discovery reads (HOME, XDG_*,
// WINEPREFIX, ...). Handed in, so that the same search runs over a test's made-up home.
class HostEnvironment {
public:
    virtual ~HostEnvironment() = default;

    // The variable's value; nothing when it is unset or empty.
    virtual std::optional<std::string> variable(std::string_view name) const = 0;
};

} // namespace tolvane::discovery
