#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::test {

// A registry hive file with nothing but its root key, built byte by byte from the format's
// description: a 4096-byte "regf" base block with its XOR checksum, one 4096-byte "hbin" holding
// the root "nk" cell, its "sk" security cell (a self-relative descriptor without a DACL) and a
// free cell for the rest. hivex opens it and fills it.
class HiveImage {
public:
    static std::string empty(std::string_view rootName = "ROOT");
    // Sets the base block's sequence numbers of hive bytes and its checksum to match, as Windows
    // leaves a hive whose last changes are still in its logs when they differ.
    static void setSequenceNumbers(std::string& hive, std::uint32_t primary,
                                   std::uint32_t secondary);
    // Writes empty() to `file`, replacing what is there.
    static Result<void> write(const std::filesystem::path& file,
                              std::string_view rootName = "ROOT");
};

} // namespace tolvane::test
