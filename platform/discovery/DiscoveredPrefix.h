#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tolvane::discovery {

// One Wine prefix found on this machine.
struct DiscoveredPrefix {
    // Who made it ("Steam", "Lutris", "Bottles", ...) and its name there.
    std::string launcher;
    std::string name;
    // The folder that holds drive_c and the registry files.
    std::filesystem::path path;
    // When Wine last wrote it (Proton's pfx.lock, else the newest registry file).
    std::optional<std::filesystem::file_time_type> lastUsed;
    // system.reg + user.reg + userdef.reg.
    std::uintmax_t registryBytes = 0;
    // The wineserver's process id (0 when unknown) while one runs for it.
    std::optional<pid_t> server;
    bool writable = false;
    // Things to tell the user: "game not installed", a stale savereg.tmp, ...
    std::vector<std::string> notes;

    bool running() const { return server.has_value(); }
};

// Something a source could not read, or a prefix it names that is not there.
struct DiscoveryProblem {
    std::string launcher;
    std::string reason;
};

struct DiscoveryReport {
    std::vector<DiscoveredPrefix> prefixes;
    // A file or folder of a launcher that could not be read.
    std::vector<DiscoveryProblem> errors;
    // Prefixes a launcher names that are missing or not prefixes (not listed above).
    std::vector<DiscoveryProblem> skipped;
};

} // namespace tolvane::discovery
