#pragma once

#include "platform/discovery/PrefixSource.h"

namespace tolvane::discovery {

// ~/.wine, the prefix Wine uses when nothing else is said; named "default".
class DefaultWinePrefixSource final : public PrefixSource {
public:
    std::string launcher() const override { return "Wine"; }
    int rank() const override { return 0; }
    void collect(const HostPaths& paths, DiscoverySink& sink) const override;
};

} // namespace tolvane::discovery
