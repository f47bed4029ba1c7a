#pragma once

#include "platform/prefix/RegistryTree.h"

#include <functional>
#include <string>
#include <string_view>

namespace tolvane::prefix {

// Writes a branch of the tree in the form wineserver saves it: the preamble, then one block
// per key, depth-first in Wine's order. Keys that have sub-keys but no values, class or link
// are implicit and get no block. Values read from a file and not changed since are written
// exactly as they were read.
class WineRegFileWriter {
public:
    struct Options {
        // Writes every value from its bytes even when its file text could be copied.
        bool reencodeValues = false;
        // Expected size of the output, to allocate a returned text once.
        std::size_t sizeHint = 0;
    };

    // Receives the text in pieces of about a megabyte, so a large branch never sits in memory
    // twice.
    using Sink = std::function<void(std::string_view)>;

    static void write(RegistryTree& tree, RegistryTree::Branch branch, std::string_view preamble,
                      Options options, const Sink& sink);
    static std::string write(RegistryTree& tree, RegistryTree::Branch branch,
                             std::string_view preamble, Options options);
    // The preamble of a new file of `branch`.
    static std::string defaultPreamble(RegistryTree::Branch branch);
};

} // namespace tolvane::prefix
