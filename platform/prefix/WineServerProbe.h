#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tolvane::prefix {

// Finds out, without starting one, whether a wineserver runs for a prefix. The server keeps a
// write lock on byte 0 of the file "lock" in its server folder server-<dev>-<ino> (device and
// inode of the prefix folder in hex) for as long as it runs. That folder lies either in
// /tmp/.wine-<uid>/ (upstream Wine) or in a wine-XXXXXX folder, named in the prefix's file
// "wineserver", below /run/user/<uid> or the temporary folder (Debian's build). Both are
// tried; the lock is only tested (F_GETLK on a read-only descriptor), never taken.
// A server started with another TMPDIR keeps its folder elsewhere: the running wineserver
// processes of this user are also asked, through /proc, which server folder they work in
// (their working directory, or a file they hold open there).
class WineServerProbe {
public:
    // `temporaryFolders`: where Debian's build may have put its wine-XXXXXX folder.
    // `upstreamFolder`: the /tmp/.wine-<uid> folder. `processFolder`: /proc, or empty to look
    // at the lock files only.
    WineServerProbe(std::filesystem::path prefix,
                    std::vector<std::filesystem::path> temporaryFolders,
                    std::filesystem::path upstreamFolder, std::filesystem::path processFolder = {});

    // The folders this user's Wine uses, from the environment.
    static WineServerProbe forPrefix(const std::filesystem::path& prefix);

    // The server's process id (0 when the lock does not say) while one runs, else nothing.
    std::optional<pid_t> runningServer() const;

    // The lock files that would belong to this prefix's server.
    std::vector<std::filesystem::path> lockFiles() const;

private:
    // "server-<dev>-<ino>" of the prefix, or empty when the prefix cannot be read.
    std::string serverFolderName() const;
    // A wineserver of this user whose server folder has that name.
    std::optional<pid_t> serverProcess(const std::string& serverFolder) const;

    std::filesystem::path prefix_;
    std::vector<std::filesystem::path> temporaryFolders_;
    std::filesystem::path upstreamFolder_;
    std::filesystem::path processFolder_;
};

} // namespace tolvane::prefix
