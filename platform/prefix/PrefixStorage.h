#pragma once

#include "platform/RegistryStorage.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/prefix/WineServerProbe.h"

#include <array>
#include <cstdint>
#include <filesystem>

namespace tolvane::prefix {

// The registry files of a Wine prefix as the place where changes are kept. Nothing is written
// while a wineserver runs for the prefix: it holds the registry in memory, never reads the
// files again and would overwrite them at its next save. Nor is anything written once a file
// has changed on disk since it was read (Wine ran in the meantime): saving would throw away
// what Wine wrote.
class PrefixStorage : public RegistryStorage {
public:
    PrefixStorage(WineRegistry& registry, std::filesystem::path prefix, WineServerProbe probe);

    std::string describe() const override;
    Result<void> ensureWritable() override;
    Result<void> save() override;

    // Whole-registry backups: the prefix by its canonical path; the three registry files.
    std::string origin() const override;
    bool keepsFiles() const override { return true; }
    Result<void> keepFiles(const std::filesystem::path& folder) override;
    Result<void> restoreFiles(const std::filesystem::path& folder) override;

private:
    // What identifies one version of a file on disk.
    struct FileStamp {
        bool exists = false;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const std::filesystem::path& file);
    std::array<std::filesystem::path, 3> files() const;
    void rememberFiles();

    WineRegistry& registry_;
    std::filesystem::path prefix_;
    WineServerProbe probe_;
    std::array<FileStamp, 3> stamps_{};
};

} // namespace tolvane::prefix
