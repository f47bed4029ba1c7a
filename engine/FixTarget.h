#pragma once

#include "platform/RegistryTypes.h"

#include <optional>
#include <string>

namespace tolvane {

// What a fix removes or rewrites for one record: a value of a key, or a key with everything
// below it.
struct FixTarget {
    HKey root = HKey::null;
    // Below `root`; backslashes separate, a closing one does not matter.
    std::string keyPath;
    // Set: only this value of the key (the empty name is the default value).
    std::optional<std::string> valueName;

    bool operator==(const FixTarget&) const = default;
};

} // namespace tolvane
