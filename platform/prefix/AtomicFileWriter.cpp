#include "platform/prefix/AtomicFileWriter.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::prefix {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { close(); }
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// Removes the temporary file unless the rename took it.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    const std::filesystem::path& path() const { return path_; }
    void release() { path_.clear(); }

private:
    std::filesystem::path path_;
};

std::string systemError(int error) {
    return std::strerror(error);
}

std::string hexNumber(unsigned long value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(FailureHook failAt) : failAt_(std::move(failAt)) {}

Result<void> AtomicFileWriter::write(const std::filesystem::path& target,
                                     std::string_view content) const {
    return write(target, [content](const auto& emit) { emit(content); });
}

Result<void> AtomicFileWriter::write(const std::filesystem::path& requested,
                                     const Producer& produce) const {
    std::error_code error;
    // A symbolic link is kept: the file it points to is replaced.
    std::filesystem::path target = requested;
    if (std::filesystem::is_symlink(target, error)) {
        target = std::filesystem::canonical(requested, error);
        if (error) {
            return makeError("cannot save " + requested.string() + ": " + error.message());
        }
    }
    const auto failure = [&](std::string_view what, int code) {
        return makeError("cannot save " + target.string() + ": " + std::string(what) + ": " +
                         systemError(code));
    };
    const auto injected = [&](Step step) { return failAt_ && failAt_(step); };

    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    }

    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    int fd = -1;
    std::filesystem::path temporaryPath;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // reg<pid in hex><4-digit counter>.tmp, the name wineserver uses.
        const std::string serial = std::to_string(10000 + counter++ % 10000).substr(1);
        temporaryPath =
            folder / ("reg" + hexNumber(static_cast<unsigned long>(::getpid())) + serial + ".tmp");
        if (injected(Step::create)) {
            return failure("creating a temporary file", EACCES);
        }
        fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            return failure("creating a temporary file", errno);
        }
    }
    if (fd < 0) {
        return failure("creating a temporary file", EEXIST);
    }
    FileDescriptor file(fd);
    TemporaryFile temporary(temporaryPath);

    if (injected(Step::write)) {
        return failure("writing", ENOSPC);
    }
    int writeError = 0;
    produce([&](std::string_view piece) {
        std::size_t done = 0;
        while (writeError == 0 && done < piece.size()) {
            const ssize_t written = ::write(file.get(), piece.data() + done, piece.size() - done);
            if (written < 0 && errno != EINTR) {
                writeError = errno;
            } else if (written > 0) {
                done += static_cast<std::size_t>(written);
            }
        }
    });
    if (writeError != 0) {
        return failure("writing", writeError);
    }
    if (::fchmod(file.get(), mode) != 0) {
        return failure("setting permissions", errno);
    }
    if (injected(Step::sync)) {
        return failure("flushing to disk", EIO);
    }
    if (::fsync(file.get()) != 0) {
        return failure("flushing to disk", errno);
    }
    if (!file.close()) {
        return failure("closing", errno);
    }
    if (injected(Step::rename)) {
        return failure("replacing the file", EXDEV);
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        return failure("replacing the file", errno);
    }
    temporary.release();
    // Make the rename itself durable; the data is already safe, so a failure here is not fatal.
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
    return {};
}

} // namespace tolvane::prefix
