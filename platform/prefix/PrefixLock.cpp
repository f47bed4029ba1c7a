#include "platform/prefix/PrefixLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>

namespace tolvane::prefix {

Result<PrefixLock> PrefixLock::acquire(const std::filesystem::path& prefix, Wait wait,
                                       const Waiting& onWaiting) {
    const std::filesystem::path file = prefix / fileName;
    FileDescriptor lockFile(
        ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0644));
    if (!lockFile.valid()) {
        return makeError("cannot lock the Wine prefix " + prefix.string() + ": " + file.string() +
                         ": " + std::strerror(errno));
    }
    int rc = 0;
    while ((rc = ::flock(lockFile.get(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc == 0) {
        return PrefixLock(std::move(lockFile));
    }
    if (errno != EWOULDBLOCK) {
        return makeError("cannot lock the Wine prefix " + prefix.string() + ": " +
                         std::strerror(errno));
    }
    if (wait == Wait::no) {
        return makeError("another Tolvane process is working on the Wine prefix " +
                         prefix.string() + "; try again when it has finished");
    }
    if (onWaiting) {
        onWaiting("waiting for another Tolvane process working on " + prefix.string() + "...");
    }
    while ((rc = ::flock(lockFile.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        return makeError("cannot lock the Wine prefix " + prefix.string() + ": " +
                         std::strerror(errno));
    }
    return PrefixLock(std::move(lockFile));
}

} // namespace tolvane::prefix
