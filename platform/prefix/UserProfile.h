#pragma once

#include "platform/RegistryProfileStore.h"
#include "platform/Result.h"
#include "platform/prefix/WineRegistry.h"

#include <filesystem>
#include <memory>

namespace tolvane::prefix {

// The settings store on Linux: the same keys and types as on Windows
// (HKEY_CURRENT_USER\Software\Tolvane\<application name>), kept in a registry file of the
// user's own, <config home>/tolvane/profile.reg, saved atomically after every write.
class UserProfile {
public:
    static Result<std::unique_ptr<UserProfile>> open(const std::filesystem::path& configHome,
                                                     std::string_view applicationName);

    ProfileStore& store() { return store_; }
    const std::filesystem::path& file() const { return file_; }

private:
    UserProfile(std::unique_ptr<WineRegistry> registry, std::filesystem::path file,
                std::string_view applicationName);

    std::unique_ptr<WineRegistry> registry_;
    std::filesystem::path file_;
    RegistryProfileStore store_;
};

} // namespace tolvane::prefix
