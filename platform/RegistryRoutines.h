#pragma once

#include "platform/RegistryGateway.h"

#include <cstdint>
#include <string_view>

namespace tolvane {

// True when the open key has neither a value (the default value counts) nor a sub-key.
bool IsKeyEmpty(RegistryGateway& registry, HKey key);

// Deletes `subKey` below `parent` with everything under it, bottom-up. A child that cannot be
// deleted ends its parent's loop; the parent's own deletion then fails, and its result is
// returned.
std::int32_t DeleteKeyTree(RegistryGateway& registry, HKey parent, std::string_view subKey);

} // namespace tolvane
