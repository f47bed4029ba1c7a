#pragma once

#include <filesystem>

namespace tolvane {

struct Platform;

// Where backups are kept. On Linux every Wine prefix has a folder of its own below
// $XDG_DATA_HOME/tolvane/ (default ~/.local/share/tolvane/), named after the prefix folder
// plus a short hash of its canonical path, so that two prefixes named alike never share one;
// on Windows it is .\Backup of the folder the program was started in.
class BackupLocation {
public:
    // $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share.
    static std::filesystem::path defaultDataHome();
    // <data home>/tolvane/<prefix folder name>-<8 hex digits>.
    static std::filesystem::path forPrefix(const std::filesystem::path& dataHome,
                                           const std::filesystem::path& prefix);
    // The folder `platform` keeps its backups in: its backup root, else
    // <working directory>/Backup.
    static std::filesystem::path rootOf(const Platform& platform);
};

} // namespace tolvane
