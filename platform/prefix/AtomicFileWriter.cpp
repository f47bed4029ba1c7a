#include "platform/prefix/AtomicFileWriter.h"

#include "platform/base/FileDescriptor.h"
#include "platform/base/PathText.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tolvane::prefix {
namespace {

Error failure(const std::filesystem::path& target, std::string_view what, int code) {
    return makeError("cannot save " + target.string() + ": " + std::string(what) + ": " +
                     std::strerror(code));
}

} // namespace

AtomicFileWriter::Prepared::Prepared(std::filesystem::path target, std::filesystem::path temporary,
                                     FileStamp stamp)
    : target_(std::move(target)), temporary_(std::move(temporary)), stamp_(stamp) {}

AtomicFileWriter::Prepared::Prepared(Prepared&& other) noexcept
    : target_(std::move(other.target_)), temporary_(std::exchange(other.temporary_, {})),
      stamp_(other.stamp_) {}

AtomicFileWriter::Prepared& AtomicFileWriter::Prepared::operator=(Prepared&& other) noexcept {
    if (this != &other) {
        if (!temporary_.empty()) {
            ::unlink(temporary_.c_str());
        }
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
        stamp_ = other.stamp_;
    }
    return *this;
}

AtomicFileWriter::Prepared::~Prepared() {
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

AtomicFileWriter::AtomicFileWriter(FailureHook failAt) : failAt_(std::move(failAt)) {}

bool AtomicFileWriter::injected(Step step, const std::filesystem::path& target) const {
    return failAt_ && failAt_(step, target);
}

Result<void> AtomicFileWriter::write(const std::filesystem::path& target,
                                     std::string_view content) const {
    return write(target, [content](const auto& emit) { emit(content); });
}

Result<void> AtomicFileWriter::write(const std::filesystem::path& target,
                                     const Producer& produce) const {
    auto prepared = prepare(target, produce);
    if (!prepared) {
        return prepared.error();
    }
    return commit(prepared.value());
}

Result<AtomicFileWriter::Prepared> AtomicFileWriter::prepare(const std::filesystem::path& requested,
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

    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    }

    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder = folderOf(target);
    FileDescriptor file;
    std::filesystem::path temporaryPath;
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        // Never one of wineserver's own names (reg*.tmp, savereg.tmp): a later start removes
        // what a killed run of ours left behind and must know it is ours.
        temporaryPath =
            folder / (std::string(temporaryPrefix) + target.filename().string() + "-" +
                      std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp");
        if (injected(Step::create, target)) {
            return failure(target, "creating a temporary file", EACCES);
        }
        file = FileDescriptor(
            ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!file.valid() && errno != EEXIST) {
            return failure(target, "creating a temporary file", errno);
        }
    }
    if (!file.valid()) {
        return failure(target, "creating a temporary file", EEXIST);
    }
    Prepared prepared(target, temporaryPath, {});

    if (injected(Step::write, target)) {
        return failure(target, "writing", ENOSPC);
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
        return failure(target, "writing", writeError);
    }
    if (::fchmod(file.get(), mode) != 0) {
        return failure(target, "setting permissions", errno);
    }
    if (injected(Step::sync, target)) {
        return failure(target, "flushing to disk", EIO);
    }
    if (::fsync(file.get()) != 0) {
        return failure(target, "flushing to disk", errno);
    }
    const FileStamp stamp = FileStamp::ofDescriptor(file.get());
    if (!file.close()) {
        return failure(target, "closing", errno);
    }
    Prepared done(target, temporaryPath, stamp);
    prepared.release();
    return done;
}

Result<void> AtomicFileWriter::commit(Prepared& file,
                                      const std::optional<FileStamp>& expected) const {
    if (injected(Step::rename, file.target())) {
        return failure(file.target(), "replacing the file", EXDEV);
    }
    bool swapped = false;
    if (expected) {
        // RENAME_NOREPLACE when there was no file: one created meanwhile is not ours to replace.
        const unsigned flags = expected->exists ? RENAME_EXCHANGE : RENAME_NOREPLACE;
        if (::renameat2(AT_FDCWD, file.temporary().c_str(), AT_FDCWD, file.target().c_str(),
                        flags) == 0) {
            swapped = expected->exists;
            if (swapped && FileStamp::ofPath(file.temporary()) != *expected) {
                // Put the stranger's version back where it was; ours stays temporary.
                ::renameat2(AT_FDCWD, file.temporary().c_str(), AT_FDCWD, file.target().c_str(),
                            RENAME_EXCHANGE);
                return makeError(file.target().string() +
                                 " has changed on disk since Tolvane read it (Wine or another "
                                 "program ran in the prefix meanwhile); open the prefix again "
                                 "before changing it");
            }
        } else if (errno == EEXIST) {
            return makeError(file.target().string() +
                             " has appeared on disk since Tolvane read the prefix; open the "
                             "prefix again before changing it");
        } else if (errno != EINVAL && errno != ENOSYS) {
            return failure(file.target(), "replacing the file", errno);
        } else if (::rename(file.temporary().c_str(), file.target().c_str()) != 0) {
            // The file system cannot swap: a plain rename, checked just before by the caller.
            return failure(file.target(), "replacing the file", errno);
        }
    } else if (::rename(file.temporary().c_str(), file.target().c_str()) != 0) {
        return failure(file.target(), "replacing the file", errno);
    }
    if (swapped) {
        // The old version now has the temporary name; the journal keeps its own link to it.
        ::unlink(file.temporary().c_str());
    }
    file.release();
    // Make the rename itself durable; the data is already safe, so a failure here is not fatal.
    FileDescriptor directory(
        ::open(folderOf(file.target()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid()) {
        ::fsync(directory.get());
    }
    return {};
}

} // namespace tolvane::prefix
