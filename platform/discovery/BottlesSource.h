#pragma once

#include "platform/discovery/PrefixSource.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::discovery {

// Bottles: every folder of its bottles folder ($XDG_DATA_HOME/bottles/bottles, the Flatpak's
// ~/.var/app/com.usebottles.bottles/data/bottles/bottles, and the custom bottles folder that
// data.yml names) with a bottle.yml (`Name`; `Path` when `Custom_Path` is true), or with a
// placeholder.yml whose `Path` is a bottle placed elsewhere.
class BottlesSource final : public PrefixSource {
public:
    std::string launcher() const override { return "Bottles"; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;

private:
    void collectBottle(const HostPaths& paths, const std::filesystem::path& entry,
                       DiscoverySink& sink) const;
};

} // namespace tolvane::discovery
