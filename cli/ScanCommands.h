#pragma once

namespace tolvane {

struct CliContext;

// `scan [--modules 0,5,12] [--json]` and `fix [--modules ...] [--backup | --no-backup]`.
class ScanCommands {
public:
    static int scan(CliContext& context);
    static int fix(CliContext& context);

    // Exit code of a fix that kept entries because their backup could not be written.
    static constexpr int keptForBackupExit = 3;
};

} // namespace tolvane
