#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tolvane {

struct Platform;

// What a backup folder was made from, kept in a small text file inside it: the registry
// (a Wine prefix by its canonical path, or the live registry) and, for the live registry,
// the machine and the user. Backups are listed and restored only where they were made.
class BackupManifest {
public:
    static constexpr const char* fileName = "backup-origin.txt";

    BackupManifest() = default;
    BackupManifest(std::string origin, std::string machine, std::string user);

    // The origin of backups made now from `platform`'s registry.
    static BackupManifest current(const Platform& platform);
    // The manifest of `folder`; std::nullopt when it has none (backups of older versions)
    // or it cannot be read.
    static std::optional<BackupManifest> readFrom(const std::filesystem::path& folder);
    Result<void> writeTo(const std::filesystem::path& folder) const;

    bool sameOrigin(const BackupManifest& other) const;
    // "the Wine prefix /home/ann/.wine" or "the live registry (user ann on PC1)".
    std::string describe() const;

    const std::string& origin() const { return origin_; }
    const std::string& machine() const { return machine_; }
    const std::string& user() const { return user_; }

private:
    std::string origin_;
    std::string machine_;
    std::string user_;
};

} // namespace tolvane
