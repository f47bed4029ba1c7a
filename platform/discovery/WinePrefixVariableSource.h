#pragma once

#include "platform/discovery/PrefixSource.h"

namespace tolvane::discovery {

// $WINEPREFIX, named after its folder.
class WinePrefixVariableSource final : public PrefixSource {
public:
    std::string launcher() const override { return "WINEPREFIX"; }
    int rank() const override { return 1; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;
};

} // namespace tolvane::discovery
