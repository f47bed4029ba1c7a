#include "platform/prefix/WineServerProbe.h"

#include "platform/base/HexText.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::prefix {
namespace {

// Device and inode numbers as the server folder's name spells them: lower-case hex; a value
// wider than unsigned long gives its high part, then eight digits of the low part.
std::string serverNumber(unsigned long long value) {
    if (sizeof(unsigned long) >= sizeof(unsigned long long) || value <= 0xFFFFFFFFULL) {
        return hexNumber(value);
    }
    return hexNumber(value >> 32) + hexNumber(value & 0xFFFFFFFFULL, 8);
}

} // namespace

WineServerProbe::WineServerProbe(std::filesystem::path prefix,
                                 std::vector<std::filesystem::path> temporaryFolders,
                                 std::filesystem::path upstreamFolder,
                                 std::filesystem::path processFolder)
    : prefix_(std::move(prefix)), temporaryFolders_(std::move(temporaryFolders)),
      upstreamFolder_(std::move(upstreamFolder)), processFolder_(std::move(processFolder)) {}

WineServerProbe WineServerProbe::forPrefix(const std::filesystem::path& prefix) {
    const std::string uid = std::to_string(::getuid());
    std::vector<std::filesystem::path> folders{"/run/user/" + uid};
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0') {
        folders.emplace_back(tmpdir);
    }
    folders.emplace_back("/tmp");
    return WineServerProbe(prefix, std::move(folders), "/tmp/.wine-" + uid, "/proc");
}

std::string WineServerProbe::serverFolderName() const {
    struct stat info {};
    if (::stat(prefix_.c_str(), &info) != 0) {
        return {};
    }
    return "server-" + serverNumber(static_cast<unsigned long long>(info.st_dev)) + "-" +
           serverNumber(static_cast<unsigned long long>(info.st_ino));
}

std::optional<pid_t> WineServerProbe::serverProcess(const std::string& serverFolder) const {
    std::error_code error;
    const uid_t user = ::getuid();
    for (auto it = std::filesystem::directory_iterator(processFolder_, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string pidText = it->path().filename().string();
        if (pidText.empty() || pidText.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        struct stat owner {};
        if (::stat(it->path().c_str(), &owner) != 0 || owner.st_uid != user) {
            continue;
        }
        std::ifstream commFile(it->path() / "comm");
        std::string command;
        if (!std::getline(commFile, command) || !command.starts_with("wineserver")) {
            continue;
        }
        const auto inServerFolder = [&](const std::filesystem::path& link) {
            std::error_code linkError;
            const auto target = std::filesystem::read_symlink(link, linkError);
            if (linkError) {
                return false;
            }
            for (const auto& part : target) {
                if (part == serverFolder) {
                    return true;
                }
            }
            return false;
        };
        // The server works in its folder; failing that, its lock and socket are open there.
        bool found = inServerFolder(it->path() / "cwd");
        std::error_code fdError;
        for (auto fd = std::filesystem::directory_iterator(it->path() / "fd", fdError);
             !found && !fdError && fd != std::filesystem::directory_iterator();
             fd.increment(fdError)) {
            found = inServerFolder(fd->path());
        }
        if (found) {
            return static_cast<pid_t>(std::stol(pidText));
        }
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> WineServerProbe::lockFiles() const {
    const std::string serverFolder = serverFolderName();
    if (serverFolder.empty()) {
        return {};
    }
    std::vector<std::filesystem::path> files{upstreamFolder_ / serverFolder / "lock"};
    std::ifstream nameFile(prefix_ / "wineserver", std::ios::binary);
    std::string folderName;
    if (nameFile && std::getline(nameFile, folderName) && !folderName.empty() &&
        folderName.find('/') == std::string::npos && folderName != "." && folderName != "..") {
        for (const auto& base : temporaryFolders_) {
            files.push_back(base / folderName / serverFolder / "lock");
        }
    }
    return files;
}

std::optional<pid_t> WineServerProbe::runningServer() const {
    for (const auto& file : lockFiles()) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            continue;
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 1;
        const int rc = ::fcntl(fd, F_GETLK, &lock);
        ::close(fd);
        if (rc == 0 && lock.l_type != F_UNLCK) {
            return lock.l_pid > 0 ? lock.l_pid : 0;
        }
    }
    if (!processFolder_.empty()) {
        if (const std::string serverFolder = serverFolderName(); !serverFolder.empty()) {
            return serverProcess(serverFolder);
        }
    }
    return std::nullopt;
}

} // namespace tolvane::prefix
