#pragma once

#include "platform/Clock.h"
#include "platform/RegistryStorage.h"
#include "platform/base/FileDescriptor.h"
#include "platform/offline/OfflineRegistry.h"
#include "platform/offline/VolumeProbe.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace tolvane::offline {

// The hive files of an offline Windows installation as the place where changes are stored.
// Before anything is written, four gates must pass (each refusal says why, and nothing is
// changed):
//  - the volume is writable (VolumeProbe);
//  - Windows was not hibernated and did not leave the volume with Fast Startup: a hiberfil.sys
//    at the root of the volume whose first four bytes are "hibr" or "wake" (in any case) holds
//    a running system's memory, which would overwrite our changes when it resumes; a hiberfil.sys
//    that starts otherwise (Windows clears it after a resume) is no obstacle;
//  - no hive is dirty: its base block's sequence numbers (offsets 4 and 8) are equal, so no
//    changes wait in its .LOG1/.LOG2 files, which hivex would drop (its commit marks the hive
//    clean);
//  - no hive file changed since it was read (device, inode, size and modification time).
// Before the first change to a hive is written, the hive and its .LOG1/.LOG2 files are copied
// into a folder of this run below the installation's backup folder.
class OfflineStorage : public RegistryStorage {
public:
    OfflineStorage(OfflineRegistry& registry, std::filesystem::path mount,
                   std::filesystem::path backupRoot, const VolumeProbe& volume, Clock& clock);

    std::string describe() const override;
    Result<void> ensureWritable() override;
    bool changedOnDisk() const override;
    Result<void> save() override;
    // Takes the change lock for as long as this object lives (a changing command of the
    // command line holds it from reading the hives to writing them).
    Result<void> holdForLifetime();
    Result<void> holdChangeLock() override;
    void releaseChangeLock() override;
    std::string origin() const override;
    bool keepsFiles() const override { return true; }
    Result<void> keepFiles(const std::filesystem::path& folder) override;
    Result<void> restoreFiles(const std::filesystem::path& folder) override;

    // Tests stop a commit at one of its steps.
    void setCommitFailure(HiveFile::FailureHook failAt) { failAt_ = std::move(failAt); }
    // Where the hives were copied before this run's first change (empty until then).
    const std::filesystem::path& hiveBackupFolder() const { return hiveBackupFolder_; }

    // The name a hive's copy has in backups.
    static std::string fileNameOf(OfflineRegistry::Hive hive);

private:
    Result<void> backUpBeforeChange();

    OfflineRegistry& registry_;
    std::filesystem::path mount_;
    std::filesystem::path backupRoot_;
    const VolumeProbe& volume_;
    Clock& clock_;
    HiveFile::FailureHook failAt_;
    std::filesystem::path hiveBackupFolder_;
    std::array<bool, OfflineRegistry::hiveCount> backedUp_{};
    Result<FileDescriptor> takeLock() const;

    std::optional<FileDescriptor> lifetimeLock_;
    std::optional<FileDescriptor> changeLock_;
};

} // namespace tolvane::offline
