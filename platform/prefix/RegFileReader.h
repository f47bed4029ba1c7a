#pragma once

#include "platform/Result.h"
#include "platform/prefix/RegistryTree.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::prefix {

// What a registry file holds besides its keys.
struct RegFileHeader {
    // Everything before the first key block (header line, comment, #arch and other lines),
    // written back unchanged.
    std::string preamble;
    // "win32", "win64" or empty when the file names none.
    std::string arch;
    std::size_t fileSize = 0;
};

// Reads Wine's registry files into a branch of a RegistryTree. The text stays in memory and the
// tree refers to it: names without escapes and the text of every value are views of it.
// A malformed file is refused with its name, the line number and the reason.
class RegFileReader {
public:
    // Reads `file` into `branch` of `tree`. On failure the branch may hold part of the file:
    // load into a fresh tree and drop it when this fails.
    static Result<RegFileHeader> load(RegistryTree& tree, RegistryTree::Branch branch,
                                      const std::filesystem::path& file);
    // The same for text already in memory; `text` must outlive the tree.
    static Result<RegFileHeader> parse(RegistryTree& tree, RegistryTree::Branch branch,
                                       std::string_view text, const std::string& fileName);
};

} // namespace tolvane::prefix
