#pragma once

namespace tolvane {

struct CliContext;

// The registry editor's command lines on the registry of the command line (a Wine prefix, or
// on Windows the live registry): `export FILE KEY` (KEY with its sub-keys as REGEDIT4),
// `export-all FILE` (the whole registry as a version 5 file) and `import FILE` (either
// format). An import is refused while a wineserver runs for the prefix, and the prefix is
// saved only when the whole file went in.
class RegFileCommands {
public:
    static int exportKey(CliContext& context);
    static int exportAll(CliContext& context);
    static int importFile(CliContext& context);
};

} // namespace tolvane
