#pragma once

#include "platform/Result.h"
#include "platform/discovery/VdfNode.h"

#include <cstddef>
#include <span>

namespace tolvane::discovery {

// Reads Valve's binary KeyValues (userdata/<id>/config/shortcuts.vdf): entries of a type
// byte, a NUL-terminated name and the value: 0x00 a map (entries up to 0x08), 0x01 a
// NUL-terminated text, 0x02 a little-endian int32, 0x03 a float, 0x07 a 64-bit number; 0x08
// ends a map. Truncated data, an unknown type byte or nesting deeper than maxDepth is refused
// with the offset where it happened.
class VdfBinaryReader {
public:
    static constexpr int maxDepth = 64;

    // A map without name that holds the top-level entries.
    static Result<VdfNode> read(std::span<const std::byte> data);
};

} // namespace tolvane::discovery
