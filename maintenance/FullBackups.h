#pragma once

#include "platform/Result.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

struct Platform;

// One backup of the backup folder: a whole-registry backup or a fix run's folder. The row shows
// displayName; every action uses folderName.
struct BackupEntry {
    enum class Kind { wholeRegistry, fixRun };

    std::string folderName;
    std::string displayName;
    Kind kind = Kind::fixRun;
    // When it was made, read from the folder's name; none for a name that is no time stamp.
    std::optional<std::chrono::system_clock::time_point> made;
    // Keys written in its .reg files.
    std::size_t keys = 0;
    // What it was made from ("the Wine prefix /home/ann/.wine"); empty when not recorded.
    std::string origin;
};

// Whole-registry backups kept as time-stamped folders in the registry's backup folder. Each
// one records what it was made from (backup-origin.txt) and holds main.reg, the whole registry
// as the editor exports it; a backup of a Wine prefix also keeps the prefix's registry files in
// registry/, and restoring it puts exactly those back. A backup is written under a hidden
// temporary name and renamed once complete, so an interrupted one is never listed.
class FullBackups {
public:
    // The sub-folder that holds a prefix's registry files.
    static constexpr const char* filesFolder = "registry";
    // Hidden names of backups still being written (or left by an interrupted one).
    static constexpr const char* partialPrefix = ".partial-";

    explicit FullBackups(const Platform& platform);

    std::filesystem::path root() const;

    // The backups made from this registry (or by an older version, which recorded nothing),
    // newest first by the time in their names (names that hold no time last, by name); an empty
    // list when the folder is missing.
    std::vector<BackupEntry> list() const;

    // Makes a new backup; returns its folder's name. Refused when the prefix's files changed on
    // disk since they were read (they would not match main.reg).
    Result<std::string> create();

    // Puts the backup back: a prefix's registry files when the backup holds them, else every
    // .reg file of the folder imported in name order, then the registry is stored. A backup
    // made from another registry is refused unless `allowOtherOrigin`.
    Result<void> restore(const std::string& folderName, bool allowOtherOrigin = false);

    // What the backup was made from, when that is another registry than this one.
    std::optional<std::string> otherOrigin(const std::string& folderName) const;

    // Deletes the folder with everything in it.
    Result<void> remove(const std::string& folderName);

    // Deletes what interrupted backups left (partial folders untouched for `idle`); another
    // process's backup in progress keeps writing to its folder and is left alone.
    std::size_t removeStale(std::chrono::seconds idle = std::chrono::seconds(120));

    // Copies the backups of an older version's Backup folder `legacy` that are not here yet
    // into this registry's backup folder, recorded as made from it. The old folder stays.
    Result<std::size_t> importLegacy(const std::filesystem::path& legacy);

    // "06.12.2026 22_31_47_051" is shown as "06.12.2026 22:31:47:051".
    static std::string displayNameOf(const std::string& folderName);
    // The UTC time a folder name "06.12.2026 22_31_47_051" stands for; none for other names.
    static std::optional<std::chrono::system_clock::time_point>
    timeOf(const std::string& folderName);
    // Keys in a .reg file, counted by the lines that open one (ANSI, UTF-8 or UTF-16LE files)
    // without parsing the file.
    static std::size_t countKeys(const std::filesystem::path& regFile);

private:
    // The entry's full path; an error for names that would leave the backup folder.
    Result<std::filesystem::path> entryPath(const std::string& folderName) const;
    // A new hidden folder below the root to write a backup into.
    Result<std::filesystem::path> makePartialFolder() const;
    // Renames a complete partial folder to a time-stamped name no other entry has.
    Result<std::string> publish(const std::filesystem::path& partial) const;

    const Platform& platform_;
};

} // namespace tolvane
