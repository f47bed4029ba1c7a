#include "platform/prefix/PrefixFileSystem.h"

#include "platform/base/HostTempFiles.h"
#include "platform/base/PathText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace tolvane::prefix {

namespace {

// Wine keeps Windows in C:\windows and does not read the folder from the registry.
constexpr std::string_view windowsDirectory = "C:\\windows";
constexpr std::string_view systemDirectory = "C:\\windows\\system32";

// Where a Wine installed on the host keeps its fonts: the data folder beside the `wine` found
// on PATH, then the usual install places.
std::vector<std::filesystem::path> installedWineFontFolders() {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    if (const char* path = std::getenv("PATH"); path != nullptr) {
        std::string_view rest = path;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::filesystem::path wine =
                std::filesystem::path(rest.substr(0, colon)) / "wine";
            if (!wine.parent_path().empty() && std::filesystem::exists(wine, error)) {
                const auto real = std::filesystem::canonical(wine, error);
                if (!error) {
                    folders.push_back(real.parent_path().parent_path() / "share" / "wine" /
                                      "fonts");
                }
                break;
            }
            rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
        }
    }
    for (const char* folder :
         {"/usr/share/wine/fonts", "/usr/local/share/wine/fonts",
          "/opt/wine-stable/share/wine/fonts", "/opt/wine-devel/share/wine/fonts",
          "/opt/wine-staging/share/wine/fonts"}) {
        folders.emplace_back(folder);
    }
    return folders;
}

} // namespace

PrefixFileSystem::PrefixFileSystem(std::filesystem::path prefix, RegistryGateway& registry,
                                   const PrefixFileSystemOptions& options)
    : resolver_(std::move(prefix),
                options.workingDirectory.empty() ? std::filesystem::current_path()
                                                 : options.workingDirectory,
                folder_),
      environment_(registry, folder_, options.userName), tempDirectory_(options.tempDirectory) {
    std::error_code error;
    for (const auto& folder :
         options.wineFontFolders ? *options.wineFontFolders : installedWineFontFolders()) {
        if (std::filesystem::is_directory(folder, error) &&
            std::find(wineFontFolders_.begin(), wineFontFolders_.end(), folder) ==
                wineFontFolders_.end()) {
            wineFontFolders_.push_back(folder);
        }
    }
}

PathState PrefixFileSystem::FindLoaderFont(std::string_view fileName) {
    if (wineFontFolders_.empty()) {
        return PathState::unknown;
    }
    if (fileName.empty() || fileName.find_first_of("\\/:") != std::string_view::npos ||
        fileName == "." || fileName == "..") {
        return PathState::missing;
    }
    const std::string folded = folder_.fold(fileName);
    std::error_code error;
    for (const auto& folder : wineFontFolders_) {
        if (std::filesystem::is_regular_file(folder / pathFromText(fileName), error)) {
            return PathState::exists;
        }
        // Wine matches names without regard to case.
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (folder_.fold(textFromPath(entry.path().filename())) == folded &&
                entry.is_regular_file(error)) {
                return PathState::exists;
            }
        }
    }
    return PathState::missing;
}

bool PrefixFileSystem::PathFileExistsA(std::string_view path) {
    return GetFileAttributesA(path) != invalidFileAttributes;
}

bool PrefixFileSystem::PathIsDirectoryA(std::string_view path) {
    const std::uint32_t attributes = GetFileAttributesA(path);
    return attributes != invalidFileAttributes && (attributes & fileAttributeDirectory) != 0;
}

std::uint32_t PrefixFileSystem::GetFileAttributesA(std::string_view path) {
    std::unique_lock lock(cacheMutex_);
    if (!cache_) {
        lock.unlock();
        return resolver_.attributes(path, nullptr);
    }
    // A scan asks about the same paths many times: each is resolved once per scan.
    if (const auto known = cache_->windowsPathAttributes(path)) {
        return *known;
    }
    const std::uint32_t attributes = resolver_.attributes(path, &*cache_);
    cache_->rememberWindowsPath(path, attributes);
    return attributes;
}

std::uint32_t PrefixFileSystem::GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) {
    return hostfiles::copyOut(windowsDirectory, buffer, size);
}

std::uint32_t PrefixFileSystem::GetSystemDirectoryA(std::string& buffer, std::uint32_t size) {
    return hostfiles::copyOut(systemDirectory, buffer, size);
}

std::uint32_t PrefixFileSystem::GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                                        std::uint32_t size) {
    const auto value = environment_.get(name);
    return value ? hostfiles::copyOut(*value, buffer, size) : 0;
}

std::uint32_t PrefixFileSystem::ExpandEnvironmentStringsA(std::string_view source,
                                                          std::string& buffer, std::uint32_t size) {
    std::string expanded = environment_.expand(source);
    const auto needed = static_cast<std::uint32_t>(expanded.size() + 1);
    if (needed <= size) {
        buffer = std::move(expanded);
    }
    return needed;
}

std::uint32_t PrefixFileSystem::GetTempPathA(std::string& buffer, std::uint32_t size) {
    std::string folder =
        (tempDirectory_.empty() ? hostfiles::temporaryFolder() : tempDirectory_).string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return hostfiles::copyOut(folder, buffer, size);
}

std::uint32_t PrefixFileSystem::GetTempFileNameA(std::string_view path, std::string_view prefix,
                                                 std::uint32_t unique, std::string& tempFile) {
    return hostfiles::tempFileName(path, prefix, unique, tempFile);
}

void PrefixFileSystem::beginScan() {
    const std::lock_guard lock(cacheMutex_);
    if (scanDepth_++ == 0) {
        cache_.emplace(folder_);
    }
}

void PrefixFileSystem::endScan() {
    const std::lock_guard lock(cacheMutex_);
    if (scanDepth_ > 0 && --scanDepth_ == 0) {
        cache_.reset();
    }
}

} // namespace tolvane::prefix
