#pragma once

#include "cli/CommandLine.h"
#include "platform/Result.h"

#include <filesystem>
#include <iosfwd>
#include <memory>

namespace tolvane::discovery {
class HostEnvironment;
}

namespace tolvane {

class CliSession;

// What every command of tolvane-cli gets: its arguments and where to write.
struct CliContext {
    CommandLine& line;
    std::ostream& out;
    std::ostream& err;
    // The host environment that prefix discovery reads (null on Windows).
    const discovery::HostEnvironment* environment = nullptr;

    // The Wine prefix to work on: --prefix, else $WINEPREFIX, else ~/.wine.
    std::filesystem::path prefixPath() const;
    // Writes "tolvane-cli: <message>" to err.
    void fail(std::string_view message) const;
    // The registry to work on; null (after saying why) when it cannot be opened. A command
    // that changes it opens it with openChangingSession.
    std::unique_ptr<CliSession> openSession() const;
    std::unique_ptr<CliSession> openChangingSession() const;
    // The exit code of an action: `done` on out when it succeeded, its error otherwise.
    int report(const Result<void>& result, std::string_view done) const;
};

} // namespace tolvane
