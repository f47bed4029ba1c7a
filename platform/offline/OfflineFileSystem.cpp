#include "platform/offline/OfflineFileSystem.h"

#include "platform/base/HostTempFiles.h"

namespace tolvane::offline {

OfflineFileSystem::OfflineFileSystem(std::filesystem::path mount, RegistryGateway& registry,
                                     std::string userProfile, std::filesystem::path tempDirectory)
    : resolver_(std::move(mount)), environment_(registry, std::move(userProfile)),
      tempDirectory_(tempDirectory.empty() ? hostfiles::temporaryFolder()
                                           : std::move(tempDirectory)) {}

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
    return hostfiles::copyOut(environment_.get("SystemRoot").value_or("C:\\Windows"), buffer, size);
}

std::uint32_t OfflineFileSystem::GetSystemDirectoryA(std::string& buffer, std::uint32_t size) {
    return hostfiles::copyOut(environment_.get("SystemRoot").value_or("C:\\Windows") + "\\system32",
                              buffer, size);
}

std::uint32_t OfflineFileSystem::GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                                         std::uint32_t size) {
    const auto value = environment_.get(name);
    return value ? hostfiles::copyOut(*value, buffer, size) : 0;
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
    return hostfiles::copyOut(folder, buffer, size);
}

std::uint32_t OfflineFileSystem::GetTempFileNameA(std::string_view path, std::string_view prefix,
                                                  std::uint32_t unique, std::string& tempFile) {
    return hostfiles::tempFileName(path, prefix, unique, tempFile);
}

} // namespace tolvane::offline
