#pragma once

#include "platform/Platform.h"
#include "platform/RegistryTypes.h"
#include "platform/Result.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

namespace tolvane {

// What became of one key that a fix wanted to save.
enum class BackupOutcome {
    saved,      // its key sections are in the backup file
    keyMissing, // the key does not exist: there was nothing to save
    failed,     // the key exists but could not be saved; it must not be deleted
};

// The registry editor's command lines, the fix backups built from them, and the naming of
// backup folders. Stateless: made on the stack for one step of a scan, fix or backup.
// Host files (backup folders, temporary files) are std::filesystem paths; key paths are 8-bit
// texts relative to a root, as the scan logic holds them.
class CRegTools {
public:
    explicit CRegTools(const Platform& platform);

    // The root name the editor's command line uses ("HKEY_LOCAL_MACHINE"); empty for any other
    // key, which makes the export fail.
    static std::string RootName(HKey root);

    // "/a FILE ROOT\PATH": the key with its sub-tree as a REGEDIT4 file.
    Result<void> ExportKey(const std::filesystem::path& file, HKey root, std::string_view keyPath);
    // "/s FILE"
    Result<void> ImportRegFile(const std::filesystem::path& file);
    // "/e FILE": the whole registry.
    Result<void> ExportRegistry(const std::filesystem::path& file);

    // Saves one key into `backupFile`: the first key creates the file with the editor's header,
    // every later key is appended from its "[" line on.
    bool BackupKey(const std::filesystem::path& backupFile, HKey root, std::string_view keyPath);
    BackupOutcome backupKeyOutcome(const std::filesystem::path& backupFile, HKey root,
                                   std::string_view keyPath);

    // Leaves `file` so that the next byte read is the first `wanted`; false when there is none.
    bool SeekToChar(std::istream& file, char wanted);
    // Appends the rest of `source` to the existing file `target`. On failure the target is cut
    // back to its old length, so that a half-written key section never ends a backup file.
    bool AppendRegBody(std::istream& source, const std::filesystem::path& target);

    // The current UTC time as "dd.mm.yyyy hh_mm_ss_mmm".
    std::string MakeTimeStampName();
    // <backup folder>/<time stamp>/ (with the separator at the end), a name no file or
    // folder has yet. It only names the folder; the fix run creates it.
    std::filesystem::path MakeFixBackupFolder();

    // The drive-form test of a command text read from the registry (HasDrivePath of the path
    // checks): true when `out` gets a path like "X:\...".
    bool HasDrivePath(std::string& text, std::string& out);

    bool IsAutostartSet();
    void SetAutostart(bool enable);

private:
    const Platform& platform_;
};

} // namespace tolvane
