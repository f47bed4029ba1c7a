#include "platform/base/FileStamp.h"

#include <sys/stat.h>

namespace tolvane {
namespace {

FileStamp fromStatus(const struct stat& status) {
    return {true, static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino), static_cast<std::int64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

} // namespace

FileStamp FileStamp::ofDescriptor(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 ? fromStatus(status) : FileStamp{};
}

FileStamp FileStamp::ofPath(const std::filesystem::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? fromStatus(status) : FileStamp{};
}

} // namespace tolvane
