#include "platform/services/ExclusiveFile.h"

#include "platform/base/HexText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace tolvane {

namespace {

// 0 when the file was made, else the errno of the failure.
int createNew(const std::filesystem::path& path) {
#ifdef _WIN32
    const int fd =
        ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return errno;
    }
    ::_close(fd);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
#endif
    return 0;
}

} // namespace

Result<ExclusiveFile> ExclusiveFile::create(const std::filesystem::path& folder,
                                            std::string_view stem, std::string_view extension) {
    int failure = EEXIST;
    for (int attempt = 0; attempt < 100 && failure == EEXIST; ++attempt) {
        std::string name(stem);
        name += '-';
        name += randomHexDigits(16);
        name += extension;
        auto path = folder / name;
        failure = createNew(path);
        if (failure == 0) {
            return ExclusiveFile(std::move(path));
        }
    }
    return makeError("cannot create a file in " + folder.string() + ": " + std::strerror(failure));
}

ExclusiveFile::ExclusiveFile(ExclusiveFile&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

ExclusiveFile& ExclusiveFile::operator=(ExclusiveFile&& other) noexcept {
    if (this != &other) {
        removeFile();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

ExclusiveFile::~ExclusiveFile() {
    removeFile();
}

void ExclusiveFile::removeFile() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        path_.clear();
    }
}

} // namespace tolvane
