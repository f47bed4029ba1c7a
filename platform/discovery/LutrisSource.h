#pragma once

#include "platform/discovery/PrefixSource.h"

#include <string>
#include <string_view>

namespace tolvane::discovery {

// Lutris: each game's configuration $XDG_CONFIG_HOME/lutris/games/*.yml (older versions:
// $XDG_DATA_HOME/lutris/games) names its prefix under `game: prefix:`. A game is named by its
// `name:` entry, else by the file's slug ("my-game-1712345678.yml" -> "my-game").
class LutrisSource final : public PrefixSource {
public:
    std::string launcher() const override { return "Lutris"; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;

    static std::string slugOf(std::string_view fileStem);
};

} // namespace tolvane::discovery
