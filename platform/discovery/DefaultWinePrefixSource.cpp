#include "platform/discovery/DefaultWinePrefixSource.h"

#include "platform/discovery/DiscoveryFiles.h"

namespace tolvane::discovery {

void DefaultWinePrefixSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    const std::filesystem::path folder = paths.home() / ".wine";
    // Only when it is there: a missing ~/.wine is the normal case, not a missing prefix.
    if (isFolder(folder)) {
        sink.found("default", folder);
    }
}

} // namespace tolvane::discovery
