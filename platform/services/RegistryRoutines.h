#pragma once

#include "platform/RegistryGateway.h"

#include <cstdint>
#include <string_view>

namespace tolvane {

// True when the open key has neither a value (the default value counts) nor a sub-key. A key
// the registry cannot answer for is not empty.
bool IsKeyEmpty(RegistryGateway& registry, HKey key);

// True when the key `subKey` names below `key` is a link key. Walks pass such keys over, so a
// linked key is seen once, under its own path; a key the registry cannot answer for is taken
// as an ordinary one.
bool IsLinkKey(RegistryGateway& registry, HKey key, std::string_view subKey);

// Deletes `subKey` below `parent` with everything under it, bottom-up. A child that cannot be
// deleted ends its parent's loop; the parent's own deletion then fails, and its result is
// returned.
std::int32_t DeleteKeyTree(RegistryGateway& registry, HKey parent, std::string_view subKey);

} // namespace tolvane
