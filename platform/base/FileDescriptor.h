#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <filesystem>

namespace tolvane {

// An open file descriptor, closed when the object goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now; false when close itself failed (a late write error).
    bool close();

    // Opens a file for reading without ever blocking on it: a FIFO, a device or a folder is
    // refused before anything is read, and so is a file larger than `maxSize` bytes. Errors
    // name the file.
    static Result<FileDescriptor> openRegularFile(const std::filesystem::path& file,
                                                  std::uint64_t maxSize);

private:
    int fd_ = -1;
};

} // namespace tolvane
