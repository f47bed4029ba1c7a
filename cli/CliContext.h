#pragma once

#include "cli/CommandLine.h"

#include <filesystem>
#include <iosfwd>

namespace tolvane {

// What every command of tolvane-cli gets: its arguments and where to write.
struct CliContext {
    CommandLine& line;
    std::ostream& out;
    std::ostream& err;

    // The Wine prefix to work on: --prefix, else $WINEPREFIX, else ~/.wine.
    std::filesystem::path prefixPath() const;
    // Writes "tolvane-cli: <message>" to err.
    void fail(std::string_view message) const;
};

} // namespace tolvane
