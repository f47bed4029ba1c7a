#pragma once

#include "platform/discovery/DiscoverySink.h"
#include "platform/discovery/HostPaths.h"

#include <string>

namespace tolvane::discovery {

// One launcher's record of the prefixes it made, read from the launcher's own files.
class PrefixSource {
public:
    virtual ~PrefixSource() = default;

    // The launcher's name as the list shows it.
    virtual std::string launcher() const = 0;
    // When two sources name the same folder, the higher rank names it: a launcher's own
    // record beats winetricks, which beats $WINEPREFIX, which beats ~/.wine.
    virtual int rank() const { return 3; }
    // Reads the launcher's files; a file that cannot be read is reported, never thrown.
    virtual void collect(const HostPaths& paths, DiscoverySink& sink) const = 0;
};

} // namespace tolvane::discovery
