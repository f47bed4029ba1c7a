#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

// What kind of entry a record stands for; modules fix only the kinds they handle.
namespace entrykind {
inline constexpr std::int32_t ordinary = 0;
inline constexpr std::int32_t fileAssociation = 1;
inline constexpr std::int32_t explorerExtension = 2;
// Set by the fix run; such a record is never fixed again.
inline constexpr std::int32_t fixed = 3;
} // namespace entrykind

// One problem found by a scan.
struct ProblemRecord {
    std::int32_t moduleId = -1;
    std::int32_t entryKind = entrykind::ordinary;
    std::string problemName;
    std::string description;
    // What the fix removes: a sub-key name, a key path or a value name, depending on the module.
    std::string primaryName;
    // The key holding the value named in primaryName, a second key to remove, or empty.
    std::string secondaryName;
    // 1 when the user ticked the problem for fixing.
    std::int32_t selected = 0;

    bool operator==(const ProblemRecord&) const = default;
};

} // namespace tolvane
