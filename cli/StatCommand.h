#pragma once

namespace tolvane {

struct CliContext;

// `stat [--json]`: the number of keys and values in each registry file of the prefix.
class StatCommand {
public:
    static int run(CliContext& context);
};

} // namespace tolvane
