#include "tests/support/CountingFileSystem.h"

namespace tolvane::test {

bool CountingFileSystem::PathFileExistsA(std::string_view path) {
    tested.emplace_back(path);
    return files_.PathFileExistsA(path);
}

bool CountingFileSystem::PathIsDirectoryA(std::string_view path) {
    tested.emplace_back(path);
    return files_.PathIsDirectoryA(path);
}

std::uint32_t CountingFileSystem::GetFileAttributesA(std::string_view path) {
    tested.emplace_back(path);
    return files_.GetFileAttributesA(path);
}

std::uint32_t CountingFileSystem::GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) {
    return files_.GetWindowsDirectoryA(buffer, size);
}

std::uint32_t CountingFileSystem::GetSystemDirectoryA(std::string& buffer, std::uint32_t size) {
    return files_.GetSystemDirectoryA(buffer, size);
}

std::uint32_t CountingFileSystem::GetEnvironmentVariableA(std::string_view name,
                                                          std::string& buffer, std::uint32_t size) {
    return files_.GetEnvironmentVariableA(name, buffer, size);
}

std::uint32_t CountingFileSystem::ExpandEnvironmentStringsA(std::string_view source,
                                                            std::string& buffer,
                                                            std::uint32_t size) {
    return files_.ExpandEnvironmentStringsA(source, buffer, size);
}

std::uint32_t CountingFileSystem::GetTempPathA(std::string& buffer, std::uint32_t size) {
    return files_.GetTempPathA(buffer, size);
}

std::uint32_t CountingFileSystem::GetTempFileNameA(std::string_view path, std::string_view prefix,
                                                   std::uint32_t unique, std::string& tempFile) {
    return files_.GetTempFileNameA(path, prefix, unique, tempFile);
}

} // namespace tolvane::test
