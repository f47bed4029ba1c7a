#pragma once

#include "platform/RegistryTypes.h"

#include <optional>
#include <string_view>

namespace tolvane {

// The full root name the registry editor writes for `root` ("HKEY_LOCAL_MACHINE"); empty for
// any key that is not one of the five roots.
std::string_view rootKeyName(HKey root);

// A key as the editor names it: a root and the path below it, split at the first backslash.
struct RootedKeyPath {
    HKey root = HKey::null;
    std::u16string_view path;
};

// Splits "HKEY_CURRENT_USER\Software\X". The root name is matched without regard to case and
// must be one of the five full names; anything else gives std::nullopt.
std::optional<RootedKeyPath> splitRootedKeyPath(std::u16string_view text);

} // namespace tolvane
