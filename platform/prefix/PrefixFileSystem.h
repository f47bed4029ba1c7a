#pragma once

#include "platform/FileSystem.h"
#include "platform/RegistryGateway.h"
#include "platform/prefix/FolderListingCache.h"
#include "platform/prefix/NameFolder.h"
#include "platform/prefix/PrefixEnvironment.h"
#include "platform/prefix/PrefixPathResolver.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::prefix {

struct PrefixFileSystemOptions {
    // Host folder that paths without a drive start from; empty: the current folder.
    std::filesystem::path workingDirectory;
    // Host folder for temporary files; empty: $TMPDIR, else /tmp.
    std::filesystem::path tempDirectory;
    // The Windows user when the prefix's registry names none; empty: the host user.
    std::string userName;
    // Wine's own font folders (host paths); nothing: those of the Wine installed on the host.
    std::optional<std::vector<std::filesystem::path>> wineFontFolders{};
};

// Files and environment of a Wine prefix as a Win32 program started by Wine 8 in it sees them
// (PrefixPathResolver and PrefixEnvironment tell the rules). The environment is read from the
// registry once, when the object is made, as a process gets it once when it starts.
//
// Folder listings are cached only between beginScan() and endScan() (FileSystem::ScanScope);
// outside a scan every test goes to the disk. Safe to use from several threads.
class PrefixFileSystem : public FileSystem {
public:
    PrefixFileSystem(std::filesystem::path prefix, RegistryGateway& registry,
                     const PrefixFileSystemOptions& options = {});

    bool PathFileExistsA(std::string_view path) override;
    bool PathIsDirectoryA(std::string_view path) override;
    std::uint32_t GetFileAttributesA(std::string_view path) override;

    std::uint32_t GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) override;
    std::uint32_t GetSystemDirectoryA(std::string& buffer, std::uint32_t size) override;
    std::uint32_t GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                          std::uint32_t size) override;
    std::uint32_t ExpandEnvironmentStringsA(std::string_view source, std::string& buffer,
                                            std::uint32_t size) override;

    // Host paths, ending in '/'.
    std::uint32_t GetTempPathA(std::string& buffer, std::uint32_t size) override;
    std::uint32_t GetTempFileNameA(std::string_view path, std::string_view prefix,
                                   std::uint32_t unique, std::string& tempFile) override;

    // Wine's font loader reads the Windows Fonts folder, then the fonts of Wine's data folder.
    PathState FindLoaderFont(std::string_view fileName) override;

    void beginScan() override;
    void endScan() override;

    // The working directory as Windows paths see it, e.g. "Z:\home\user".
    const std::string& workingDirectory() const { return resolver_.workingDirectory(); }

private:
    NameFolder folder_;
    PrefixPathResolver resolver_;
    PrefixEnvironment environment_;
    std::filesystem::path tempDirectory_;
    // Only those that exist.
    std::vector<std::filesystem::path> wineFontFolders_;
    std::mutex cacheMutex_;
    int scanDepth_ = 0;
    std::optional<FolderListingCache> cache_;
};

} // namespace tolvane::prefix
