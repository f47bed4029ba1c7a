#pragma once

namespace tolvane {

struct CliContext;

// The registry editor's command lines on the session's registry (a Wine prefix on Linux):
// `export FILE KEY` (KEY with its sub-keys as REGEDIT4), `export-all FILE` (the whole registry
// as a version 5 file) and `import FILE` (either format). An import is refused while the
// registry cannot be changed (a wineserver runs for the prefix), and the registry is stored
// only when the whole file went in.
class RegFileCommands {
public:
    static int exportKey(CliContext& context);
    static int exportAll(CliContext& context);
    static int importFile(CliContext& context);
};

} // namespace tolvane
