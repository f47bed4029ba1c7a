#pragma once

#include "cli/CliScanner.h"
#include "platform/Result.h"

#include <filesystem>
#include <string_view>

namespace tolvane {

struct CliContext;

// The Wine prefixes of this user, as launchers record them: `prefixes [--json]` lists them,
// `scan --all-prefixes` scans each one, and --prefix accepts one of their names.
class PrefixCommands {
public:
    static int list(CliContext& context);
    static int scanAll(CliContext& context, const CliScanner::Selection& modules, bool json);

    // --prefix TEXT: a folder, or the exact name of a discovered prefix.
    static Result<std::filesystem::path> resolve(const CliContext& context, std::string_view text);
};

} // namespace tolvane
