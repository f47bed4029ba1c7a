#pragma once

#include "platform/Result.h"

#include <filesystem>

namespace tolvane::prefix {

// An exclusive advisory lock (flock) on a lock file beside a settings file, held for as long
// as the object lives. The settings file itself is replaced by rename on every save, so it
// cannot carry the lock; the lock file is never replaced.
class ProfileLock {
public:
    // Waits until no other process holds the lock.
    static Result<ProfileLock> acquire(const std::filesystem::path& lockFile);

    ProfileLock(ProfileLock&& other) noexcept;
    ProfileLock& operator=(ProfileLock&& other) noexcept;
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;
    ~ProfileLock();

private:
    explicit ProfileLock(int fd) : fd_(fd) {}
    void release();

    int fd_ = -1;
};

} // namespace tolvane::prefix
