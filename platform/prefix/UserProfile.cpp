#include "platform/prefix/UserProfile.h"

#include <system_error>

namespace tolvane::prefix {

Result<std::unique_ptr<UserProfile>> UserProfile::open(const std::filesystem::path& configHome,
                                                       std::string_view applicationName) {
    const auto folder = configHome / "tolvane";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const auto file = folder / "profile.reg";
    auto registry = WineRegistry::openUserFile(file);
    if (!registry) {
        return registry.error();
    }
    return std::unique_ptr<UserProfile>(
        new UserProfile(std::move(registry.value()), file, applicationName));
}

UserProfile::UserProfile(std::unique_ptr<WineRegistry> registry, std::filesystem::path file,
                         std::string_view applicationName)
    : registry_(std::move(registry)), file_(std::move(file)),
      store_(*registry_, hkeyCurrentUser, RegistryProfileStore::applicationKeyFor(applicationName),
             [this] { return registry_->save(); }) {}

} // namespace tolvane::prefix
