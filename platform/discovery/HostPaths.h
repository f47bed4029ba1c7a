#pragma once

#include "platform/discovery/HostEnvironment.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::discovery {

// The user's folders as launchers find them: HOME, $XDG_DATA_HOME (default ~/.local/share)
// and $XDG_CONFIG_HOME (default ~/.config); relative XDG values are ignored, as the XDG rules
// say.
class HostPaths {
public:
    explicit HostPaths(const HostEnvironment& environment);

    const HostEnvironment& environment() const { return environment_; }
    const std::filesystem::path& home() const { return home_; }
    const std::filesystem::path& dataHome() const { return dataHome_; }
    const std::filesystem::path& configHome() const { return configHome_; }

    // A path written in a launcher's file: "~/..." and "$HOME/..." start at the home folder;
    // a relative path is taken from `base`. Empty text gives an empty path.
    std::filesystem::path expand(std::string_view text, const std::filesystem::path& base) const;

private:
    const HostEnvironment& environment_;
    std::filesystem::path home_;
    std::filesystem::path dataHome_;
    std::filesystem::path configHome_;
};

} // namespace tolvane::discovery
