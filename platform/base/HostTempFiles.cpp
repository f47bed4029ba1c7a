#include "platform/base/HostTempFiles.h"

#include "platform/RegistryTypes.h"
#include "platform/base/HexText.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace tolvane::hostfiles {

namespace {

// GetTempFileNameA needs room for the prefix, four hex digits, ".tmp" and the NUL in MAX_PATH.
constexpr std::size_t longestTempFolder = maxPath - 14;

// The first three characters (not bytes) of a UTF-8 prefix.
std::string_view firstCharacters(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t taken = 0; end < text.size() && taken < count; ++taken) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) {
            ++end;
        }
    }
    return text.substr(0, end);
}

} // namespace

std::uint32_t copyOut(std::string_view text, std::string& buffer, std::uint32_t size) {
    const auto length = static_cast<std::uint32_t>(text.size());
    if (length >= size) {
        return length + 1;
    }
    buffer = text;
    return length;
}

std::filesystem::path temporaryFolder() {
    if (const char* folder = std::getenv("TMPDIR"); folder != nullptr && *folder != '\0') {
        return folder;
    }
    return "/tmp";
}

std::uint32_t tempFileName(std::string_view path, std::string_view prefix, std::uint32_t unique,
                           std::string& tempFile) {
    std::string folder(path);
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    if (folder.size() > longestTempFolder) {
        return 0;
    }
    folder += firstCharacters(prefix, 3);
    std::error_code error;
    if (!std::filesystem::is_directory(path.empty() ? std::string_view(".") : path, error)) {
        return 0;
    }
    unique &= 0xFFFFu;
    if (unique != 0) {
        // A caller-chosen number: the name only, nothing is created.
        tempFile = folder + hexNumber(unique) + ".tmp";
        return unique;
    }
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
    const auto start = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count() & 0xFFFF);
    std::uint32_t number = start == 0 ? 1 : start;
    const std::uint32_t first = number;
    do {
        std::string name = folder + hexNumber(number) + ".tmp";
        const int file = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file >= 0) {
            ::close(file);
            tempFile = std::move(name);
            return number;
        }
        if (errno != EEXIST) {
            return 0;
        }
        number = (number + 1) & 0xFFFFu;
        if (number == 0) {
            number = 1;
        }
    } while (number != first);
    return 0;
}

} // namespace tolvane::hostfiles
