#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {

struct Platform;

// One entry of the backup folder: a whole-registry backup or a fix run's folder (or any other
// file lying there). The row shows displayName; every action uses folderName.
struct BackupEntry {
    std::string folderName;
    std::string displayName;
};

// Whole-registry backups kept as time-stamped folders below <working directory>/Backup.
class FullBackups {
public:
    explicit FullBackups(const Platform& platform);

    std::filesystem::path root() const;

    // Every entry of the backup folder, ordered by name as Windows lists folders; an empty
    // list when the folder is missing.
    std::vector<BackupEntry> list() const;

    // Exports the whole registry into <new folder>/main.reg; returns the folder's name.
    Result<std::string> create();

    // Imports every .reg file of the folder, in name order, then stores the registry.
    Result<void> restore(const std::string& folderName);

    // Deletes the folder with everything in it.
    Result<void> remove(const std::string& folderName);

    // "06.12.2026 22_31_47_051" is shown as "06.12.2026 22:31:47:051".
    static std::string displayNameOf(const std::string& folderName);

private:
    // The entry's full path; an error for names that would leave the backup folder.
    Result<std::filesystem::path> entryPath(const std::string& folderName) const;

    const Platform& platform_;
};

} // namespace tolvane
