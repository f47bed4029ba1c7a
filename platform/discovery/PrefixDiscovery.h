#pragma once

#include "platform/discovery/DiscoveredPrefix.h"
#include "platform/discovery/HostEnvironment.h"
#include "platform/discovery/PrefixSource.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace tolvane::discovery {

// Finds the Wine prefixes of this user: $WINEPREFIX, ~/.wine and those that Steam, Lutris,
// Bottles, Heroic, PlayOnLinux, Phoenicis, CrossOver and winetricks record. Each source is
// read on its own: one that fails is listed with its reason and the others go on. A folder
// named by several sources is listed once, under the most specific launcher.
class PrefixDiscovery {
public:
    // Where a running wineserver keeps its lock (see WineServerProbe).
    struct ServerFolders {
        std::vector<std::filesystem::path> temporaryFolders;
        std::filesystem::path upstreamFolder;

        // This user's folders: /run/user/<uid>, $TMPDIR, /tmp and /tmp/.wine-<uid>.
        static ServerFolders forUser(const HostEnvironment& environment);
    };

    PrefixDiscovery(std::vector<std::unique_ptr<PrefixSource>> sources, ServerFolders servers);

    // Every source this program knows.
    static PrefixDiscovery standard(const HostEnvironment& environment);
    static std::vector<std::unique_ptr<PrefixSource>> standardSources();

    DiscoveryReport discover(const HostEnvironment& environment) const;

    // The details of one prefix folder (time, size, server, writable, notes).
    DiscoveredPrefix describe(std::string launcher, std::string name, std::filesystem::path path,
                              std::vector<std::string> notes) const;

private:
    std::vector<std::unique_ptr<PrefixSource>> sources_;
    ServerFolders servers_;
};

} // namespace tolvane::discovery
