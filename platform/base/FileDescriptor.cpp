#include "platform/base/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tolvane {

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    close();
}

bool FileDescriptor::close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
}

Result<FileDescriptor> FileDescriptor::openRegularFile(const std::filesystem::path& file,
                                                       std::uint64_t maxSize) {
    const std::string name = file.string();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    FileDescriptor in(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!in.valid()) {
        return makeError(name + ": cannot open: " + std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(in.get(), &info) != 0) {
        return makeError(name + ": cannot read: " + std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return makeError(name + ": not a regular file");
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxSize) {
        return makeError(name + ": the file is " + std::to_string(info.st_size) +
                         " bytes long, more than the " + std::to_string(maxSize) +
                         " bytes such a file may have");
    }
    // Reads of a regular file never block; the flag only mattered for the open.
    const int flags = ::fcntl(in.get(), F_GETFL);
    if (flags >= 0) {
        ::fcntl(in.get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    return in;
}

} // namespace tolvane
