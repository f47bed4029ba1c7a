#pragma once

namespace tolvane {

struct CliContext;

// `ignore add|list|remove`: the user's ignore list in the settings store, whose entries scans
// leave out and fixes never touch.
class IgnoreCommand {
public:
    static int run(CliContext& context);
};

} // namespace tolvane
