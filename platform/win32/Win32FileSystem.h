#pragma once

#include "platform/FileSystem.h"

namespace tolvane {

// The real file system and the process's environment through KERNEL32 and SHLWAPI. Buffers
// are offered with exactly the size the caller gives; `buffer` changes only on success.
class Win32FileSystem final : public FileSystem {
public:
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
};

} // namespace tolvane
