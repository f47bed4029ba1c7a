#include "platform/offline/OfflinePlatform.h"

#include "platform/services/BackupLocation.h"

namespace tolvane::offline {
namespace {

using Hive = OfflineRegistry::Hive;

Result<std::unique_ptr<HiveFile>> openHive(const std::filesystem::path& file) {
    return HiveFile::open(file);
}

constexpr const char* softwareHive = "Windows/System32/config/SOFTWARE";

} // namespace

bool OfflinePlatform::isInstallation(const std::filesystem::path& mount) {
    std::error_code error;
    return std::filesystem::is_directory(mount, error) &&
           MountPathResolver(mount).find(softwareHive).has_value();
}

Result<std::vector<std::string>> OfflinePlatform::userNames(const std::filesystem::path& mount) {
    MountPathResolver resolver(mount);
    const auto file = resolver.find(softwareHive);
    if (!file) {
        return makeError(mount.string() + ": no Windows installation there (no " +
                         std::string(softwareHive) + ")");
    }
    auto software = openHive(*file);
    if (!software) {
        return software.error();
    }
    std::vector<std::string> names;
    for (const OfflineUsers::User& user :
         OfflineUsers::list(software.value()->handle(), resolver)) {
        names.push_back(user.name);
    }
    return names;
}

Result<std::unique_ptr<OfflinePlatform>> OfflinePlatform::open(const std::filesystem::path& mount,
                                                               const Options& options) {
    std::error_code error;
    if (!std::filesystem::is_directory(mount, error)) {
        return makeError(mount.string() + ": no such folder");
    }
    MountPathResolver resolver(mount);
    const auto config = resolver.find("Windows/System32/config");
    if (!config) {
        return makeError(mount.string() +
                         ": no Windows installation there (no Windows/System32/config folder)");
    }
    OfflineRegistry::Hives hives;
    const std::pair<Hive, const char*> machine[] = {
        {Hive::software, "SOFTWARE"}, {Hive::system, "SYSTEM"}, {Hive::defaultUser, "DEFAULT"}};
    for (const auto& [hive, name] : machine) {
        const auto file = resolver.find("Windows/System32/config/" + std::string(name));
        if (!file) {
            if (hive == Hive::defaultUser) {
                continue;
            }
            return makeError(config->string() + ": the " + name + " hive is missing");
        }
        auto opened = openHive(*file);
        if (!opened) {
            return opened.error();
        }
        hives.files[static_cast<std::size_t>(hive)] = std::move(opened.value());
    }
    const auto users = OfflineUsers::list(
        hives.files[static_cast<std::size_t>(Hive::software)]->handle(), resolver);
    auto chosen = OfflineUsers::choose(users, options.user);
    if (!chosen) {
        return chosen.error();
    }
    if (const auto& user = chosen.value()) {
        auto ntuser = openHive(user->ntuser);
        if (!ntuser) {
            return ntuser.error();
        }
        hives.files[static_cast<std::size_t>(Hive::user)] = std::move(ntuser.value());
        if (!user->classes.empty()) {
            auto classes = openHive(user->classes);
            if (!classes) {
                return classes.error();
            }
            hives.files[static_cast<std::size_t>(Hive::userClasses)] = std::move(classes.value());
        }
        hives.userSid = user->sid;
    }
    auto registry = std::make_unique<OfflineRegistry>(std::move(hives));
    return std::unique_ptr<OfflinePlatform>(
        new OfflinePlatform(mount, std::move(registry), std::move(chosen.value()), options));
}

OfflinePlatform::OfflinePlatform(std::filesystem::path mount,
                                 std::unique_ptr<OfflineRegistry> registry,
                                 std::optional<OfflineUsers::User> user, const Options& options)
    : mount_(std::move(mount)), registry_(std::move(registry)), user_(std::move(user)),
      files_(mount_, *registry_, user_ ? user_->profilePath : std::string(), options.tempDirectory),
      editor_(*registry_), autostart_(options.configHome, options.executable),
      storage_(*registry_, mount_,
               options.dataHome.empty() ? options.workingDirectory / "Backup"
                                        : BackupLocation::forPrefix(options.dataHome, mount_),
               options.volume != nullptr ? *options.volume : statvfs_, clock_),
      platform_{*registry_,
                files_,
                editor_,
                clock_,
                autostart_,
                storage_,
                options.workingDirectory,
                options.dataHome.empty() ? std::filesystem::path()
                                         : BackupLocation::forPrefix(options.dataHome, mount_)} {}

} // namespace tolvane::offline
