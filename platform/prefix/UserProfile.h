#pragma once

#include "platform/ProfileStore.h"
#include "platform/Result.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/RegistryProfileStore.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace tolvane::prefix {

// The settings store on Linux: the same keys and types as on Windows
// (HKEY_CURRENT_USER\Software\Tolvane\<application name>), kept in a registry file of the
// user's own, <config home>/tolvane/profile.reg. The GUI and tolvane-cli share the file: every
// write reads it afresh under a lock (profile.reg.lock), changes the one entry and replaces
// the file atomically, so neither erases what the other wrote; reads see the file as it is.
// A malformed file is moved aside (profile.reg.bad-<time>) and the defaults apply; notice()
// says so once.
class UserProfile final : public ProfileStore {
public:
    // Fails only when the settings folder cannot be made.
    static Result<std::unique_ptr<UserProfile>> open(const std::filesystem::path& configHome,
                                                     std::string_view applicationName);

    ProfileStore& store() { return *this; }
    const std::filesystem::path& file() const { return file_; }
    // What the user must be told about the settings file (it was malformed and set aside);
    // empty once taken.
    std::string takeNotice();

    std::uint32_t getProfileInt(std::string_view section, std::string_view entry,
                                std::uint32_t defaultValue) override;
    bool writeProfileInt(std::string_view section, std::string_view entry,
                         std::uint32_t value) override;
    std::string getProfileString(std::string_view section, std::string_view entry,
                                 std::string_view defaultValue) override;
    bool writeProfileString(std::string_view section, std::string_view entry,
                            std::string_view value) override;
    std::optional<std::vector<std::uint8_t>> getProfileBinary(std::string_view section,
                                                              std::string_view entry) override;
    bool writeProfileBinary(std::string_view section, std::string_view entry,
                            const std::vector<std::uint8_t>& bytes) override;

private:
    // What identifies one version of the file on disk.
    struct Stamp {
        bool exists = false;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };

    UserProfile(std::filesystem::path file, std::string applicationName);
    static Stamp stampOf(const std::filesystem::path& file);
    // Reads the file when it changed since the last read (always with `force`).
    void refresh(bool force);
    // Under the lock: the file read afresh, `change` made, the file replaced.
    template <typename Change>
    bool writeLocked(Change&& change);

    std::filesystem::path file_;
    std::string applicationName_;
    std::mutex mutex_;
    std::unique_ptr<WineRegistry> registry_;
    std::unique_ptr<RegistryProfileStore> store_;
    Stamp stamp_;
    std::string notice_;
};

} // namespace tolvane::prefix
