#pragma once

#include "platform/discovery/MapEnvironment.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::test {

// A made-up home folder for prefix discovery: HOME, XDG_DATA_HOME and XDG_CONFIG_HOME point
// into a scratch folder, and the launchers' files are written there as the launchers write
// them.
class FakeHome {
public:
    FakeHome();

    const std::filesystem::path& home() const { return home_; }
    // A folder outside the home (another drive, a custom bottles folder...).
    std::filesystem::path outside(std::string_view relative) const;
    discovery::MapEnvironment& environment() { return environment_; }

    // Writes `content` to home-relative `relative` and returns the full path.
    std::filesystem::path write(std::string_view relative, std::string_view content) const;
    // A booted-looking prefix at `folder`: drive_c/, system.reg, user.reg, userdef.reg.
    static std::filesystem::path makePrefix(const std::filesystem::path& folder);
    std::filesystem::path makePrefixAt(std::string_view relative) const;

    // Steam's binary shortcuts.vdf with one shortcut per (appid, name), appid as Steam
    // writes it: an int32 holding the unsigned id's bits.
    static std::string shortcutsVdf(const std::vector<std::pair<std::uint32_t, std::string>>& list);

private:
    TempDir scratch_;
    std::filesystem::path home_;
    discovery::MapEnvironment environment_;
};

} // namespace tolvane::test
