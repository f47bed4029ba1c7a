#pragma once

#include "platform/Platform.h"
#include "platform/Result.h"
#include "platform/offline/OfflineFileSystem.h"
#include "platform/offline/OfflineRegistry.h"
#include "platform/offline/OfflineStorage.h"
#include "platform/offline/OfflineUsers.h"
#include "platform/offline/StatvfsVolumeProbe.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/SystemClock.h"
#include "platform/services/XdgAutostart.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::offline {

// Everything the core needs to clean an offline Windows installation mounted at a folder: its
// hives from Windows/System32/config (SOFTWARE, SYSTEM, DEFAULT) and the chosen user's
// NTUSER.DAT and UsrClass.dat (OfflineRegistry), its volume and environment
// (OfflineFileSystem), the built-in registry editor, and the hive files as the place where
// changes are stored behind their gates (OfflineStorage).
class OfflinePlatform {
public:
    struct Options {
        std::filesystem::path workingDirectory;
        std::filesystem::path configHome;
        std::filesystem::path executable;
        // Backups live below <data home>/tolvane, one folder per installation; when empty, in
        // <working directory>/Backup.
        std::filesystem::path dataHome{};
        // The user whose hives are HKEY_CURRENT_USER (name or SID); nothing: the only user.
        std::optional<std::string> user{};
        // How the volume is asked whether it is writable; null: statvfs.
        const VolumeProbe* volume = nullptr;
        std::filesystem::path tempDirectory{};
    };

    // Whether the folder holds a Windows installation (its SOFTWARE hive, in any case).
    static bool isInstallation(const std::filesystem::path& mount);
    // The names of the installation's users, for choosing Options::user.
    static Result<std::vector<std::string>> userNames(const std::filesystem::path& mount);

    // A one-line error naming the folder or file when the installation cannot be used.
    static Result<std::unique_ptr<OfflinePlatform>> open(const std::filesystem::path& mount,
                                                         const Options& options);

    Platform& platform() { return platform_; }
    OfflineRegistry& registry() { return *registry_; }
    OfflineStorage& storage() { return storage_; }
    OfflineFileSystem& files() { return files_; }
    const std::filesystem::path& mount() const { return mount_; }
    const std::optional<OfflineUsers::User>& user() const { return user_; }

private:
    OfflinePlatform(std::filesystem::path mount, std::unique_ptr<OfflineRegistry> registry,
                    std::optional<OfflineUsers::User> user, const Options& options);

    std::filesystem::path mount_;
    std::unique_ptr<OfflineRegistry> registry_;
    std::optional<OfflineUsers::User> user_;
    StatvfsVolumeProbe statvfs_;
    OfflineFileSystem files_;
    BuiltinRegistryEditor editor_;
    SystemClock clock_;
    XdgAutostart autostart_;
    OfflineStorage storage_;
    Platform platform_;
};

} // namespace tolvane::offline
