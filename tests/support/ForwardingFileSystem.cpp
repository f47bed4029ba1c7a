#include "tests/support/ForwardingFileSystem.h"

namespace tolvane::test {

bool ForwardingFileSystem::PathFileExistsA(std::string_view path) {
    return files_.PathFileExistsA(path);
}

bool ForwardingFileSystem::PathIsDirectoryA(std::string_view path) {
    return files_.PathIsDirectoryA(path);
}

std::uint32_t ForwardingFileSystem::GetFileAttributesA(std::string_view path) {
    return files_.GetFileAttributesA(path);
}

std::uint32_t ForwardingFileSystem::GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) {
    return files_.GetWindowsDirectoryA(buffer, size);
}

std::uint32_t ForwardingFileSystem::GetSystemDirectoryA(std::string& buffer, std::uint32_t size) {
    return files_.GetSystemDirectoryA(buffer, size);
}

std::uint32_t ForwardingFileSystem::GetEnvironmentVariableA(std::string_view name,
                                                            std::string& buffer,
                                                            std::uint32_t size) {
    return files_.GetEnvironmentVariableA(name, buffer, size);
}

std::uint32_t ForwardingFileSystem::ExpandEnvironmentStringsA(std::string_view source,
                                                              std::string& buffer,
                                                              std::uint32_t size) {
    return files_.ExpandEnvironmentStringsA(source, buffer, size);
}

std::uint32_t ForwardingFileSystem::GetTempPathA(std::string& buffer, std::uint32_t size) {
    return files_.GetTempPathA(buffer, size);
}

std::uint32_t ForwardingFileSystem::GetTempFileNameA(std::string_view path, std::string_view prefix,
                                                     std::uint32_t unique, std::string& tempFile) {
    return files_.GetTempFileNameA(path, prefix, unique, tempFile);
}

void ForwardingFileSystem::beginScan() {
    files_.beginScan();
}

void ForwardingFileSystem::endScan() {
    files_.endScan();
}

} // namespace tolvane::test
