#pragma once

#include "platform/discovery/PrefixSource.h"

#include <filesystem>
#include <map>
#include <string>

namespace tolvane::discovery {

// Heroic: GamesConfig/<app>.json in its configuration folder (native ~/.config/heroic or
// the Flatpak's ~/.var/app/com.heroicgameslauncher.hgl/config/heroic) holds
// {"<app>": {"winePrefix": "..."}}. A Proton prefix keeps the registry in winePrefix/pfx.
// Games are named by their title in Heroic's library caches, else by the file name.
class HeroicSource final : public PrefixSource {
public:
    std::string launcher() const override { return "Heroic"; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;

private:
    using Titles = std::map<std::string, std::string, std::less<>>;

    // app_name -> title from the library caches of `config`.
    static Titles readTitles(const std::filesystem::path& config, DiscoverySink& sink);
    void collectConfig(const HostPaths& paths, const std::filesystem::path& config,
                       DiscoverySink& sink) const;
};

} // namespace tolvane::discovery
