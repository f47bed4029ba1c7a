#include "platform/prefix/ProfileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane::prefix {

Result<ProfileLock> ProfileLock::acquire(const std::filesystem::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return makeError("cannot open " + lockFile.string() + ": " + std::strerror(errno));
    }
    ProfileLock lock(fd);
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            return makeError("cannot lock " + lockFile.string() + ": " + std::strerror(errno));
        }
    }
    return lock;
}

ProfileLock::ProfileLock(ProfileLock&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

ProfileLock& ProfileLock::operator=(ProfileLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

ProfileLock::~ProfileLock() {
    release();
}

void ProfileLock::release() {
    if (fd_ >= 0) {
        // Closing the descriptor drops the lock.
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace tolvane::prefix
