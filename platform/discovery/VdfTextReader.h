#pragma once

#include "platform/Result.h"
#include "platform/discovery/VdfNode.h"

#include <string_view>

namespace tolvane::discovery {

// Reads Valve's text KeyValues (libraryfolders.vdf, appmanifest_*.acf): "name" "value" pairs
// and "name" { ... } blocks, quoted or bare tokens, \n \t \\ \" escapes in quoted tokens,
// // comments to the end of the line, [$CONDITION] tags (skipped). Malformed text (an
// unclosed quote or block, a name without value, a stray brace, nesting deeper than
// maxDepth) is refused with its line number; nothing is half-read.
class VdfTextReader {
public:
    static constexpr int maxDepth = 64;

    // A map without name that holds the document's top-level entries.
    static Result<VdfNode> read(std::string_view text);
};

} // namespace tolvane::discovery
