#include "platform/offline/OfflineFileSystem.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane::offline {
namespace {

std::uint32_t copyOut(const std::string& text, std::string& buffer, std::uint32_t size) {
    if (text.size() + 1 > size) {
        return static_cast<std::uint32_t>(text.size() + 1);
    }
    buffer = text;
    return static_cast<std::uint32_t>(text.size());
}

std::filesystem::path hostTempDirectory() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder == '/' ? folder : "/tmp";
}

} // namespace

OfflineFileSystem::OfflineFileSystem(std::filesystem::path mount, RegistryGateway& registry,
                                     std::string userProfile, std::filesystem::path tempDirectory)
    : resolver_(std::move(mount)), environment_(registry, std::move(userProfile)),
      tempDirectory_(tempDirectory.empty() ? hostTempDirectory() : std::move(tempDirectory)) {}

bool OfflineFileSystem::PathFileExistsA(std::string_view path) {
    return resolver_.attributes(path) != invalidFileAttributes;
}

bool OfflineFileSystem::PathIsDirectoryA(std::string_view path) {
    const std::uint32_t attributes = resolver_.attributes(path);
    return attributes != invalidFileAttributes && (attributes & fileAttributeDirectory) != 0;
}

std::uint32_t OfflineFileSystem::GetFileAttributesA(std::string_view path) {
    return resolver_.attributes(path);
}

std::uint32_t OfflineFileSystem::GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) {
    return copyOut(environment_.get("SystemRoot").value_or("C:\\Windows"), buffer, size);
}

std::uint32_t OfflineFileSystem::GetSystemDirectoryA(std::string& buffer, std::uint32_t size) {
    return copyOut(environment_.get("SystemRoot").value_or("C:\\Windows") + "\\system32", buffer,
                   size);
}

std::uint32_t OfflineFileSystem::GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                                         std::uint32_t size) {
    const auto value = environment_.get(name);
    return value ? copyOut(*value, buffer, size) : 0;
}

std::uint32_t OfflineFileSystem::ExpandEnvironmentStringsA(std::string_view source,
                                                           std::string& buffer,
                                                           std::uint32_t size) {
    std::string expanded = environment_.expand(source);
    const auto needed = static_cast<std::uint32_t>(expanded.size() + 1);
    if (needed <= size) {
        buffer = std::move(expanded);
    }
    return needed;
}

std::uint32_t OfflineFileSystem::GetTempPathA(std::string& buffer, std::uint32_t size) {
    std::string folder = tempDirectory_.string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return copyOut(folder, buffer, size);
}

std::uint32_t OfflineFileSystem::GetTempFileNameA(std::string_view path, std::string_view prefix,
                                                  std::uint32_t unique, std::string& tempFile) {
    std::string folder(path);
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    folder += prefix.substr(0, 3);
    std::error_code error;
    if (!std::filesystem::is_directory(path.empty() ? std::string_view(".") : path, error)) {
        return 0;
    }
    const auto hex = [](std::uint32_t number) {
        std::string digits;
        do {
            digits.insert(digits.begin(), "0123456789ABCDEF"[number & 0xF]);
            number >>= 4;
        } while (number != 0);
        return digits;
    };
    unique &= 0xFFFFu;
    if (unique != 0) {
        tempFile = folder + hex(unique) + ".tmp";
        return unique;
    }
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
    std::uint32_t number = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count() & 0xFFFF);
    for (std::uint32_t tries = 0; tries < 0x10000; ++tries) {
        number = (number & 0xFFFFu) == 0 ? 1 : number & 0xFFFFu;
        std::string name = folder + hex(number) + ".tmp";
        const int file = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file >= 0) {
            ::close(file);
            tempFile = std::move(name);
            return number;
        }
        if (errno != EEXIST) {
            return 0;
        }
        ++number;
    }
    return 0;
}

} // namespace tolvane::offline
