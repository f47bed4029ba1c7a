#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tolvane::prefix {

class WineRegistry;

// How much each registry file of a prefix holds.
struct BranchCounts {
    std::string_view file;
    std::uint64_t keys = 0;
    std::uint64_t values = 0;
};

// Counts the keys below each file's root (implicit parents included, a link key once, its
// target not again) and their values (the link target value of a link key aside), in the
// order system.reg, user.reg, userdef.reg.
std::array<BranchCounts, 3> countBranches(WineRegistry& registry);

} // namespace tolvane::prefix
