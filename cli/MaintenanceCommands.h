#pragma once

namespace tolvane {

struct CliContext;

// `backup list | create | restore NAME | delete NAME` and `defrag`.
class MaintenanceCommands {
public:
    static int backup(CliContext& context);
    static int defrag(CliContext& context);
};

} // namespace tolvane
