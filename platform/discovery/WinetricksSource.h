#pragma once

#include "platform/discovery/PrefixSource.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::discovery {

// winetricks' prefixes: every folder of ${WINE_PREFIXES:-$XDG_DATA_HOME/wineprefixes}, named
// by the ww_name line of its wrapper.cfg, else by the folder.
class WinetricksSource final : public PrefixSource {
public:
    std::string launcher() const override { return "winetricks"; }
    int rank() const override { return 2; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;

    // The value of `ww_name="..."` (quotes optional) in a wrapper.cfg text.
    static std::optional<std::string> wrapperName(std::string_view text);
};

} // namespace tolvane::discovery
