#pragma once

#include <filesystem>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace tolvane::prefix {

// Finds out, without starting one, whether a wineserver runs for a prefix. The server keeps a
// write lock on byte 0 of the file "lock" in its server folder server-<dev>-<ino> (device and
// inode of the prefix folder in hex) for as long as it runs. That folder lies either in
// /tmp/.wine-<uid>/ (upstream Wine) or in a wine-XXXXXX folder, named in the prefix's file
// "wineserver", below /run/user/<uid> or the temporary folder (Debian's build). Both are
// tried; the lock is only tested (F_GETLK on a read-only descriptor), never taken.
class WineServerProbe {
public:
    // `temporaryFolders`: where Debian's build may have put its wine-XXXXXX folder.
    // `upstreamFolder`: the /tmp/.wine-<uid> folder.
    WineServerProbe(std::filesystem::path prefix,
                    std::vector<std::filesystem::path> temporaryFolders,
                    std::filesystem::path upstreamFolder);

    // The folders this user's Wine uses, from the environment.
    static WineServerProbe forPrefix(const std::filesystem::path& prefix);

    // The server's process id (0 when the lock does not say) while one runs, else nothing.
    std::optional<pid_t> runningServer() const;

    // The lock files that would belong to this prefix's server.
    std::vector<std::filesystem::path> lockFiles() const;

private:
    std::filesystem::path prefix_;
    std::vector<std::filesystem::path> temporaryFolders_;
    std::filesystem::path upstreamFolder_;
};

} // namespace tolvane::prefix
