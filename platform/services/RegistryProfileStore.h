#pragma once

#include "platform/ProfileStore.h"
#include "platform/RegistryTypes.h"
#include "platform/Result.h"

#include <functional>
#include <string>

namespace tolvane {

class RegistryGateway;

// The settings store kept in the registry: `root`\`applicationKey`\<section>, one value per
// entry; integers as REG_DWORD, texts as REG_SZ, byte blocks as REG_BINARY. After each write
// `commit` runs (on Linux it saves the profile file; on Windows the registry stores itself).
class RegistryProfileStore final : public ProfileStore {
public:
    using Commit = std::function<Result<void>()>;

    RegistryProfileStore(RegistryGateway& registry, HKey root, std::string applicationKey,
                         Commit commit = {});

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

    // "Software\Tolvane\<application name>": the key of the program's profile.
    static std::string applicationKeyFor(std::string_view applicationName);

private:
    // The value's type and bytes, or nothing when the section or entry is absent.
    std::optional<std::pair<std::uint32_t, std::string>> read(std::string_view section,
                                                              std::string_view entry);
    bool write(std::string_view section, std::string_view entry, std::uint32_t type,
               std::string_view bytes);
    std::string sectionPath(std::string_view section) const;

    RegistryGateway& registry_;
    HKey root_;
    std::string applicationKey_;
    Commit commit_;
};

} // namespace tolvane
