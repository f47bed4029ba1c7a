#pragma once

#include "platform/FileSystem.h"
#include "platform/offline/MountPathResolver.h"
#include "platform/offline/OfflineEnvironment.h"

#include <filesystem>

namespace tolvane::offline {

// Files and environment of an offline Windows installation: Windows paths resolved on its
// mounted volume (MountPathResolver), the environment read from its hives
// (OfflineEnvironment), temporary files on the host.
class OfflineFileSystem : public FileSystem {
public:
    OfflineFileSystem(std::filesystem::path mount, RegistryGateway& registry,
                      std::string userProfile, std::filesystem::path tempDirectory = {});

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

    void beginScan() override { resolver_.beginScan(); }
    void endScan() override { resolver_.endScan(); }

    const OfflineEnvironment& environment() const { return environment_; }

private:
    MountPathResolver resolver_;
    OfflineEnvironment environment_;
    std::filesystem::path tempDirectory_;
};

} // namespace tolvane::offline
