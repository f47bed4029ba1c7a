#pragma once

#include "platform/Result.h"
#include "platform/discovery/DiscoveredPrefix.h"

#include <filesystem>
#include <span>
#include <string_view>

namespace tolvane::discovery {

// What the user typed to choose a prefix: a folder (anything with a '/', or an existing
// folder), else the exact name of one discovered prefix. A name that several prefixes share
// or that none has is refused with the candidates.
class PrefixLookup {
public:
    static Result<std::filesystem::path> resolve(std::string_view text,
                                                 std::span<const DiscoveredPrefix> prefixes);
};

} // namespace tolvane::discovery
