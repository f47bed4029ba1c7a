#pragma once

#include "platform/Result.h"
#include "platform/base/FileDescriptor.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace tolvane::prefix {

// The advisory lock that Tolvane processes take on a prefix while they change it: an
// exclusive flock on the file ".tolvane.lock" in the prefix folder, held from loading the
// registry files to storing them, released when the object goes (or the process dies).
// Wine knows nothing of it; the wineserver probe and the file stamps guard against Wine.
class PrefixLock {
public:
    static constexpr std::string_view fileName = ".tolvane.lock";

    enum class Wait { no, yes };
    // Told once, before waiting, that another process holds the lock.
    using Waiting = std::function<void(std::string_view message)>;

    // Takes the lock. With Wait::no a held lock is an error that says who to wait for;
    // otherwise `onWaiting` hears the reason and the call blocks until the lock is free.
    static Result<PrefixLock> acquire(const std::filesystem::path& prefix, Wait wait,
                                      const Waiting& onWaiting = {});

    PrefixLock(PrefixLock&&) noexcept = default;
    PrefixLock& operator=(PrefixLock&&) noexcept = default;

private:
    explicit PrefixLock(FileDescriptor file) : file_(std::move(file)) {}

    FileDescriptor file_;
};

} // namespace tolvane::prefix
