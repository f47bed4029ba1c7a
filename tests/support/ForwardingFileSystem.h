#pragma once

#include "platform/FileSystem.h"

namespace tolvane::test {

// Passes every call on to another FileSystem; tests derive from it and override only the calls
// they watch or change.
class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& files) : files_(files) {}

    bool PathFileExistsA(std::string_view path) override;
    bool PathIsDirectoryA(std::string_view path) override;
    std::uint32_t GetFileAttributesA(std::string_view path) override;
    std::uint32_t GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) override;
    std::uint32_t GetSystemDirectoryA(std::string& buffer, std::uint32_t size) override;
    std::uint32_t GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                          std::uint32_t size) override;
    std::uint32_t ExpandEnvironmentStringsA(std::string_view source, std::string& buffer,
                                            std::uint32_t size) override;
    std::uint32_t GetTempPathA(std::string& buffer, std::uint32_t size) override;
    std::uint32_t GetTempFileNameA(std::string_view path, std::string_view prefix,
                                   std::uint32_t unique, std::string& tempFile) override;
    void beginScan() override;
    void endScan() override;

private:
    FileSystem& files_;
};

} // namespace tolvane::test
