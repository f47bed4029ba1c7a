#include "platform/discovery/PrefixDiscovery.h"

#include "platform/base/AsciiText.h"
#include "platform/base/PathText.h"
#include "platform/discovery/BottlesSource.h"
#include "platform/discovery/CrossOverSource.h"
#include "platform/discovery/DefaultWinePrefixSource.h"
#include "platform/discovery/DiscoveryFiles.h"
#include "platform/discovery/FolderListSource.h"
#include "platform/discovery/HeroicSource.h"
#include "platform/discovery/LutrisSource.h"
#include "platform/discovery/SteamSource.h"
#include "platform/discovery/WinePrefixVariableSource.h"
#include "platform/discovery/WinetricksSource.h"
#include "platform/prefix/WineServerProbe.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unistd.h>

namespace tolvane::discovery {
namespace {

constexpr const char* registryFiles[] = {"system.reg", "user.reg", "userdef.reg"};

} // namespace

PrefixDiscovery::ServerFolders
PrefixDiscovery::ServerFolders::forUser(const HostEnvironment& environment) {
    const std::string uid = std::to_string(::getuid());
    ServerFolders folders;
    folders.temporaryFolders.emplace_back("/run/user/" + uid);
    if (auto tmpdir = environment.variable("TMPDIR")) {
        folders.temporaryFolders.push_back(pathFromText(*tmpdir));
    }
    folders.temporaryFolders.emplace_back("/tmp");
    folders.upstreamFolder = "/tmp/.wine-" + uid;
    return folders;
}

PrefixDiscovery::PrefixDiscovery(std::vector<std::unique_ptr<PrefixSource>> sources,
                                 ServerFolders servers)
    : sources_(std::move(sources)), servers_(std::move(servers)) {}

std::vector<std::unique_ptr<PrefixSource>> PrefixDiscovery::standardSources() {
    std::vector<std::unique_ptr<PrefixSource>> sources;
    sources.push_back(std::make_unique<SteamSource>());
    sources.push_back(std::make_unique<LutrisSource>());
    sources.push_back(std::make_unique<BottlesSource>());
    sources.push_back(std::make_unique<HeroicSource>());
    sources.push_back(std::make_unique<FolderListSource>(FolderListSource::playOnLinux()));
    sources.push_back(std::make_unique<FolderListSource>(FolderListSource::phoenicis()));
    sources.push_back(std::make_unique<CrossOverSource>());
    sources.push_back(std::make_unique<WinetricksSource>());
    sources.push_back(std::make_unique<WinePrefixVariableSource>());
    sources.push_back(std::make_unique<DefaultWinePrefixSource>());
    return sources;
}

PrefixDiscovery PrefixDiscovery::standard(const HostEnvironment& environment) {
    return PrefixDiscovery(standardSources(), ServerFolders::forUser(environment));
}

DiscoveredPrefix PrefixDiscovery::describe(std::string launcher, std::string name,
                                           std::filesystem::path path,
                                           std::vector<std::string> notes) const {
    DiscoveredPrefix prefix;
    prefix.launcher = std::move(launcher);
    prefix.name = std::move(name);
    prefix.path = std::move(path);
    prefix.notes = std::move(notes);
    prefix.writable = ::access(prefix.path.c_str(), W_OK) == 0;
    for (const char* file : registryFiles) {
        const auto registry = prefix.path / file;
        std::error_code error;
        const auto size = std::filesystem::file_size(registry, error);
        if (error) {
            continue;
        }
        prefix.registryBytes += size;
        const auto time = std::filesystem::last_write_time(registry, error);
        if (!error && (!prefix.lastUsed || time > *prefix.lastUsed)) {
            prefix.lastUsed = time;
        }
        if (::access(registry.c_str(), W_OK) != 0) {
            prefix.writable = false;
        }
    }
    // Proton touches pfx.lock beside pfx/ each time it starts the game.
    if (prefix.path.filename() == "pfx") {
        std::error_code error;
        const auto time =
            std::filesystem::last_write_time(prefix.path.parent_path() / "pfx.lock", error);
        if (!error) {
            prefix.lastUsed = time;
        }
    }
    prefix.server =
        prefix::WineServerProbe(prefix.path, servers_.temporaryFolders, servers_.upstreamFolder)
            .runningServer();
    if (!prefix.writable) {
        prefix.notes.emplace_back("read-only");
    }
    if (!prefix.running() && isFile(prefix.path / "savereg.tmp")) {
        prefix.notes.emplace_back(
            "stale savereg.tmp (an interrupted Proton save; Wine ignores it)");
    }
    return prefix;
}

DiscoveryReport PrefixDiscovery::discover(const HostEnvironment& environment) const {
    const HostPaths paths(environment);
    DiscoveryReport report;
    struct Chosen {
        int rank = -1;
        std::size_t sourceIndex = 0;
        std::string launcher;
        DiscoverySink::Candidate candidate;
    };
    // Keyed by the folder's canonical path, so links to one folder count once.
    std::map<std::filesystem::path, Chosen> chosen;
    for (std::size_t index = 0; index < sources_.size(); ++index) {
        const auto& source = sources_[index];
        DiscoverySink sink;
        const std::string launcher = source->launcher();
        try {
            source->collect(paths, sink);
        } catch (const std::exception& error) {
            // Sources report their failures; this is the last guard (out of memory, ...).
            sink.fail(error.what());
        }
        for (const auto& reason : sink.errors()) {
            report.errors.push_back({launcher, reason});
        }
        for (const auto& reason : sink.skipped()) {
            report.skipped.push_back({launcher, reason});
        }
        for (const auto& candidate : sink.candidates()) {
            std::error_code error;
            const auto canonical = std::filesystem::canonical(candidate.path, error);
            if (error) {
                report.skipped.push_back(
                    {launcher, candidate.name + ": " + describeFailure(candidate.path, error)});
                continue;
            }
            if (!isPrefixFolder(canonical)) {
                report.skipped.push_back({launcher, candidate.name + ": " +
                                                        textFromPath(candidate.path) +
                                                        " is not a Wine prefix (no drive_c or "
                                                        "registry files)"});
                continue;
            }
            auto& slot = chosen[canonical];
            if (source->rank() > slot.rank) {
                slot = Chosen{source->rank(), index, launcher, candidate};
            }
        }
    }
    std::vector<const Chosen*> ordered;
    for (const auto& [path, entry] : chosen) {
        ordered.push_back(&entry);
    }
    // Launchers in the order of the sources, then names as people sort them.
    std::sort(ordered.begin(), ordered.end(), [](const Chosen* a, const Chosen* b) {
        const auto nameA = asciiLower(a->candidate.name);
        const auto nameB = asciiLower(b->candidate.name);
        return std::tie(a->sourceIndex, nameA, a->candidate.path) <
               std::tie(b->sourceIndex, nameB, b->candidate.path);
    });
    for (const Chosen* entry : ordered) {
        report.prefixes.push_back(describe(entry->launcher, entry->candidate.name,
                                           entry->candidate.path.lexically_normal(),
                                           entry->candidate.notes));
    }
    return report;
}

} // namespace tolvane::discovery
