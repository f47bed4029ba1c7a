#pragma once

#include "platform/discovery/PrefixSource.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tolvane::discovery {

// Steam's Proton prefixes: steamapps/compatdata/<appid>/pfx in every library of every Steam
// installation (native, Flatpak, Snap; one installation reached through several links counts
// once). A prefix is named by its game's appmanifest_<appid>.acf, or by the non-Steam
// shortcut of that id in userdata/*/config/shortcuts.vdf; a prefix whose game is neither is
// listed with the note "game not installed".
class SteamSource final : public PrefixSource {
public:
    std::string launcher() const override { return "Steam"; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;

    // The Steam installations this home may have, in the order they are tried.
    static std::vector<std::filesystem::path> candidateRoots(const HostPaths& paths);

private:
    using Names = std::map<std::uint32_t, std::string>;

    static std::vector<std::filesystem::path>
    libraries(const std::filesystem::path& root, const HostPaths& paths, DiscoverySink& sink);
    static void readManifests(const std::filesystem::path& library, Names& games,
                              DiscoverySink& sink);
    static void readShortcuts(const std::filesystem::path& root, Names& shortcuts,
                              DiscoverySink& sink);
};

} // namespace tolvane::discovery
