#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The program's settings and history, by section and entry. Readers pass the default that
// applies when the entry is absent; nothing is cached.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    virtual std::uint32_t getProfileInt(std::string_view section, std::string_view entry,
                                        std::uint32_t defaultValue) = 0;
    virtual bool writeProfileInt(std::string_view section, std::string_view entry,
                                 std::uint32_t value) = 0;
    virtual std::string getProfileString(std::string_view section, std::string_view entry,
                                         std::string_view defaultValue) = 0;
    virtual bool writeProfileString(std::string_view section, std::string_view entry,
                                    std::string_view value) = 0;
    // std::nullopt when the entry is absent.
    virtual std::optional<std::vector<std::uint8_t>> getProfileBinary(std::string_view section,
                                                                      std::string_view entry) = 0;
    virtual bool writeProfileBinary(std::string_view section, std::string_view entry,
                                    const std::vector<std::uint8_t>& bytes) = 0;
};

} // namespace tolvane
