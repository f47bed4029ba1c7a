#pragma once

#include "platform/Result.h"
#include "platform/base/FileStamp.h"
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
    // The version of the file that was read, from the descriptor it was read through.
    FileStamp stamp;
};

// Reads Wine's registry files into a branch of a RegistryTree. The text stays in memory and the
// tree refers to it: names without escapes and the text of every value are views of it.
// A malformed file is refused with its name, the line number and the reason.
class WineRegFileReader {
public:
    // Larger registry files are refused before they are read: Wine's own files of a heavily
    // used prefix stay far below it, and reading one costs memory of its size and more.
    static constexpr std::uint64_t maxFileSize = std::uint64_t{1} << 30;

    // Reads `file` into `branch` of `tree`. On failure the branch may hold part of the file:
    // load into a fresh tree and drop it when this fails.
    static Result<RegFileHeader> load(RegistryTree& tree, RegistryTree::Branch branch,
                                      const std::filesystem::path& file);
    // The same for text already in memory; `text` must outlive the tree.
    static Result<RegFileHeader> parse(RegistryTree& tree, RegistryTree::Branch branch,
                                       std::string_view text, const std::string& fileName);
};

} // namespace tolvane::prefix
