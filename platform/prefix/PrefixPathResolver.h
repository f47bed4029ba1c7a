#pragma once

#include "platform/prefix/FolderListingCache.h"
#include "platform/prefix/NameFolder.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::prefix {

// Finds the host file or folder that a Windows path names inside a Wine prefix, the way a
// Win32 program started by Wine 8 in that prefix would:
// - "X:\..." goes through the drive link dosdevices/x: (whatever it points at);
// - "\..." starts at the root of the working directory's drive, a path without a drive at the
//   working directory; "X:" and "X:path" start at the root of drive X, or at the working
//   directory when X is its drive;
// - "/" separates like "\", doubled separators count once, "." and ".." collapse (never above
//   the drive root), one trailing dot goes from every folder name and trailing dots and blanks
//   from the last name;
// - every name matches case-insensitively, an exact match first, or by the 8.3 name Wine makes
//   up for it (PROG~FBU for "Program Files");
// - "\\?\X:\..." is taken verbatim, "\\.\X:\..." (or "//?/X:/...") like "X:\...";
// - a last name that is a DOS device (NUL, CON, AUX, PRN, COM1-9, LPT1-9, CONIN$, CONOUT$,
//   also with an extension, blanks or colons) names the device whenever its folder exists;
// - Unix device files, pipes and sockets name nothing;
// - UNC paths, empty and blank-only paths, paths longer than 260 characters and names with
//   wildcards, control characters, '|', '"', '<', '>' or ':' (streams) name nothing.
class PrefixPathResolver {
public:
    // `hostWorkingDirectory` is the host folder that relative paths start from; Wine shows it
    // through the drive whose root is its nearest ancestor (usually Z:).
    PrefixPathResolver(std::filesystem::path prefix,
                       const std::filesystem::path& hostWorkingDirectory, const NameFolder& folder);

    // Attributes of what `windowsPath` names as Wine reports them (DIRECTORY or ARCHIVE,
    // READONLY without write permission, HIDDEN for dot files, REPARSE_POINT for links to
    // folders and mount points), or invalidFileAttributes. `cache` may be null.
    std::uint32_t attributes(std::string_view windowsPath, FolderListingCache* cache) const;

    // The working directory as Windows shows it, e.g. "Z:\home\user".
    const std::string& workingDirectory() const { return workingDirectory_; }

private:
    // The full path after clean-up; the names view it.
    struct Target {
        std::string full;
        char drive = 'c';
        std::vector<std::string_view> names;
        bool mustBeDirectory = false;
        // The names are the folder of a DOS device (NUL, CON, COM1, ...).
        bool device = false;
    };

    bool parse(std::string_view windowsPath, Target& target) const;
    // The host name of `name` in host folder `folder`, or null; a name found without the cache
    // is stored in `found`.
    const std::string* findEntry(const std::string& folder, std::string_view name,
                                 FolderListingCache* cache, std::string& found) const;
    const std::string& driveRoot(char drive) const;
    static std::string windowsForm(const std::filesystem::path& prefix,
                                   const std::filesystem::path& hostFolder);

    std::filesystem::path prefix_;
    const NameFolder& folder_;
    std::string workingDirectory_;
    // dosdevices/a: ... dosdevices/z: as host paths.
    std::array<std::string, 26> driveRoots_;
};

} // namespace tolvane::prefix
