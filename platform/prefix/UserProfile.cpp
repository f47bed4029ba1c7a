#include "platform/prefix/UserProfile.h"

#include "platform/base/TimeText.h"
#include "platform/prefix/ProfileLock.h"

#include <chrono>
#include <sys/stat.h>
#include <system_error>

namespace tolvane::prefix {

Result<std::unique_ptr<UserProfile>> UserProfile::open(const std::filesystem::path& configHome,
                                                       std::string_view applicationName) {
    const auto folder = configHome / "tolvane";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        return makeError("cannot create the settings folder " + folder.string() +
                         (error ? ": " + error.message() : std::string()));
    }
    std::unique_ptr<UserProfile> profile(
        new UserProfile(folder / "profile.reg", std::string(applicationName)));
    std::scoped_lock lock(profile->mutex_);
    profile->refresh(true);
    return profile;
}

UserProfile::UserProfile(std::filesystem::path file, std::string applicationName)
    : file_(std::move(file)), applicationName_(std::move(applicationName)) {}

std::string UserProfile::takeNotice() {
    std::scoped_lock lock(mutex_);
    return std::exchange(notice_, std::string());
}

UserProfile::Stamp UserProfile::stampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return {};
    }
    return {true, static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::int64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

void UserProfile::refresh(bool force) {
    const Stamp now = stampOf(file_);
    if (!force && registry_ && now == stamp_) {
        return;
    }
    auto registry = WineRegistry::openUserFile(file_);
    if (!registry) {
        // Kept for the user to look at; the program goes on with its defaults.
        const auto aside =
            file_.string() + ".bad-" + backupTimeStamp(std::chrono::system_clock::now());
        std::error_code error;
        std::filesystem::rename(file_, aside, error);
        notice_ = "The settings file " + file_.string() + " could not be read (" +
                  registry.message() + ")" +
                  (error ? "; the default settings are used"
                         : "; it was moved to " + aside + " and the default settings are used");
        // Once moved, a fresh file takes the next write; when it could not be moved, the
        // settings live in memory only and no write touches the file.
        registry = WineRegistry::openUserFile(file_);
        const bool bound = registry.ok();
        registry_ = bound ? std::move(registry.value()) : std::make_unique<WineRegistry>();
        store_ = std::make_unique<RegistryProfileStore>(
            *registry_, hkeyCurrentUser, RegistryProfileStore::applicationKeyFor(applicationName_),
            [this, bound]() -> Result<void> {
                if (!bound) {
                    return makeError("the settings file " + file_.string() + " is unusable");
                }
                return registry_->save();
            });
        stamp_ = stampOf(file_);
        return;
    }
    registry_ = std::move(registry.value());
    store_ = std::make_unique<RegistryProfileStore>(
        *registry_, hkeyCurrentUser, RegistryProfileStore::applicationKeyFor(applicationName_),
        [this] { return registry_->save(); });
    stamp_ = now;
}

template <typename Change>
bool UserProfile::writeLocked(Change&& change) {
    std::scoped_lock guard(mutex_);
    auto lock = ProfileLock::acquire(file_.string() + ".lock");
    if (!lock) {
        return false;
    }
    refresh(true);
    const bool written = change(*store_);
    stamp_ = stampOf(file_);
    return written;
}

std::uint32_t UserProfile::getProfileInt(std::string_view section, std::string_view entry,
                                         std::uint32_t defaultValue) {
    std::scoped_lock lock(mutex_);
    refresh(false);
    return store_->getProfileInt(section, entry, defaultValue);
}

bool UserProfile::writeProfileInt(std::string_view section, std::string_view entry,
                                  std::uint32_t value) {
    return writeLocked(
        [&](RegistryProfileStore& store) { return store.writeProfileInt(section, entry, value); });
}

std::string UserProfile::getProfileString(std::string_view section, std::string_view entry,
                                          std::string_view defaultValue) {
    std::scoped_lock lock(mutex_);
    refresh(false);
    return store_->getProfileString(section, entry, defaultValue);
}

bool UserProfile::writeProfileString(std::string_view section, std::string_view entry,
                                     std::string_view value) {
    return writeLocked([&](RegistryProfileStore& store) {
        return store.writeProfileString(section, entry, value);
    });
}

std::optional<std::vector<std::uint8_t>> UserProfile::getProfileBinary(std::string_view section,
                                                                       std::string_view entry) {
    std::scoped_lock lock(mutex_);
    refresh(false);
    return store_->getProfileBinary(section, entry);
}

bool UserProfile::writeProfileBinary(std::string_view section, std::string_view entry,
                                     const std::vector<std::uint8_t>& bytes) {
    return writeLocked([&](RegistryProfileStore& store) {
        return store.writeProfileBinary(section, entry, bytes);
    });
}

} // namespace tolvane::prefix
