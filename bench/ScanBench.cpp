// A full scan of a large Wine prefix against its floor, and the fix of every problem found.
//
//   scripts/make-bench-prefix DIR [SCALE]
//   build/bench/tolvane-scan-bench DIR
//   cmake --build build --target scan-bench      (makes the 1x and 2x prefixes, runs both)
//
// Prints, for one prefix: the load time; the floor of this run (one walk over every key and
// value of the registry, then one existence test of every distinct path the scan tests); the
// full 13-module scan time and its ratio to the floor; the peak memory; and the time of fixing
// every problem found with backup. Times are the fastest of five runs, except the fix, which
// changes the registry and runs once, on a copy of the prefix the benchmark makes itself.
#include "bench/BenchTiming.h"
#include "engine/FixRun.h"
#include "engine/ModuleSet.h"
#include "engine/ScanRun.h"
#include "modules/DefaultModules.h"
#include "platform/FileSystem.h"
#include "platform/prefix/PrefixPlatform.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryProfileStore.h"
#include "tests/support/PathWatchingFileSystem.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <iomanip>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace tolvane {
namespace {

using bench::fastest;
using bench::secondsSince;
using bench::Steady;
using bench::Timing;

std::string figure(const Timing& timing) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(3) << timing.wall << " s (processor "
         << timing.processor << " s)";
    return text.str();
}

long peakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// Remembers every distinct path the scan asks about.
class PathRecorder final : public test::PathWatchingFileSystem {
public:
    using PathWatchingFileSystem::PathWatchingFileSystem;
    std::set<std::string, std::less<>> paths;

private:
    void pathTested(std::string_view path) override { paths.emplace(path); }
};

// Reads every key name, value name and value of the tree below `key`.
std::size_t walkAll(RegistryGateway& registry, HKey key) {
    std::size_t items = 0;
    RegKeyInfo info;
    registry.RegQueryInfoKeyA(key, info, KeyInfoParts::everything);
    std::string name;
    std::string data;
    for (std::uint32_t i = 0; i < info.values; ++i) {
        std::uint32_t nameSize = info.maxValueNameLen * 3 + 1;
        std::uint32_t type = 0;
        std::uint32_t dataSize = info.maxValueLen * 2 + 2;
        registry.RegEnumValueA(key, i, name, nameSize, &type, &data, &dataSize);
        ++items;
    }
    for (std::uint32_t i = 0; i < info.subKeys; ++i) {
        if (registry.RegEnumKeyA(key, i, name, info.maxSubKeyLen * 3 + 1) != winerr::success) {
            continue;
        }
        RegKey child;
        if (RegKey::open(registry, key, name, child) == winerr::success) {
            items += 1 + walkAll(registry, child.get());
        }
    }
    return items;
}

std::unique_ptr<prefix::PrefixPlatform> openPrefix(const std::filesystem::path& folder) {
    auto opened = prefix::PrefixPlatform::open(
        folder,
        {std::filesystem::temp_directory_path() / "tolvane-scan-bench",
         std::filesystem::temp_directory_path() / "tolvane-scan-bench" / "config", "tolvane"});
    if (!opened) {
        std::cerr << opened.message() << "\n";
        std::exit(1);
    }
    return std::move(opened.value());
}

int run(const std::filesystem::path& prefixFolder) {
    std::filesystem::create_directories(std::filesystem::temp_directory_path() /
                                        "tolvane-scan-bench" / "Backup");
    const auto loadStart = Steady::now();
    auto prefix = openPrefix(prefixFolder);
    const double load = secondsSince(loadStart);
    Platform& platform = prefix->platform();
    prefix::WineRegistry profileRegistry;
    RegistryProfileStore profile(profileRegistry, hkeyCurrentUser, "Software\\Tolvane\\bench");

    // The scan, with every module, through the scan run as the front ends drive it.
    PathRecorder recorder(platform.files);
    Platform recording{platform.registry,        recorder,           platform.editor,
                       platform.clock,           platform.autostart, platform.storage,
                       platform.workingDirectory};
    std::size_t problems = 0;
    std::array<bool, moduleCount> all{};
    all.fill(true);
    const auto scanWith = [&](const Platform& used) {
        ModuleSet modules(defaultModuleFactory(used));
        std::atomic<int> busy{0};
        ScanRun scan(modules, used, profile, busy);
        scan.start(all, nullptr, {});
        scan.wait();
        problems = modules.count();
    };
    scanWith(recording);
    const Timing scanTime = fastest(5, [&] { scanWith(platform); });
    const long scanPeak = peakKilobytes();
    std::array<Timing, moduleCount> moduleTimes{};
    for (int id = 0; id < moduleCount; ++id) {
        std::array<bool, moduleCount> one{};
        one[static_cast<std::size_t>(id)] = true;
        moduleTimes[static_cast<std::size_t>(id)] = fastest(2, [&] {
            ModuleSet modules(defaultModuleFactory(platform));
            std::atomic<int> busy{0};
            ScanRun scan(modules, platform, profile, busy);
            scan.start(one, nullptr, {});
            scan.wait();
        });
    }

    // The floor: one walk over the registry, one existence test per distinct path.
    std::size_t items = 0;
    const Timing walk = fastest(5, [&] {
        items = walkAll(platform.registry, hkeyLocalMachine) +
                walkAll(platform.registry, hkeyCurrentUser);
    });
    const Timing exists = fastest(5, [&] {
        const FileSystem::ScanScope scope(platform.files);
        for (const auto& path : recorder.paths) {
            platform.files.PathFileExistsA(path);
        }
    });
    const Timing floor{walk.wall + exists.wall, walk.processor + exists.processor};

    std::cout << std::fixed << std::setprecision(3) << "prefix " << prefixFolder.string() << "\n"
              << "  load                " << load << " s\n"
              << "  floor               " << figure(floor) << "\n"
              << "    walk of " << items << " keys and values  " << figure(walk) << "\n"
              << "    " << recorder.paths.size() << " distinct paths tested  " << figure(exists)
              << "\n"
              << "  full scan           " << figure(scanTime) << "  " << problems << " problems\n"
              << "  scan / floor        " << std::setprecision(2) << scanTime.wall / floor.wall
              << " x (processor " << scanTime.processor / floor.processor << " x)\n"
              << "  peak memory         " << scanPeak / 1024 << " MB\n";
    for (int id = 0; id < moduleCount; ++id) {
        std::cout << "    module " << std::setw(2) << id << "  "
                  << figure(moduleTimes[static_cast<std::size_t>(id)]) << "  "
                  << moduleTable[static_cast<std::size_t>(id)].displayName << "\n";
    }

    // The fix of every problem, with backup, on a copy of the prefix's registry files.
    const auto copy = std::filesystem::temp_directory_path() / "tolvane-scan-bench" / "prefix";
    std::filesystem::remove_all(copy);
    std::filesystem::create_directories(copy);
    for (const char* file : {"system.reg", "user.reg", "userdef.reg"}) {
        std::filesystem::copy_file(prefixFolder / file, copy / file);
    }
    std::filesystem::create_directory_symlink(std::filesystem::absolute(prefixFolder / "drive_c"),
                                              copy / "drive_c");
    std::filesystem::create_directory(copy / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", copy / "dosdevices" / "c:");
    std::filesystem::create_directory_symlink("/", copy / "dosdevices" / "z:");
    auto target = openPrefix(copy);
    ModuleSet modules(defaultModuleFactory(target->platform()));
    std::atomic<int> busy{0};
    ScanRun scan(modules, target->platform(), profile, busy);
    scan.start(all, nullptr, {});
    scan.wait();
    for (auto& record : modules.results()) {
        record.selected = 1;
    }
    FixRun fix(modules, target->platform(), busy);
    std::promise<FixOutcome> done;
    const auto fixStart = Steady::now();
    fix.start(
        modules.results().records(), nullptr, {}, [] { return BackupChoice::backup; },
        [&done](const FixOutcome& outcome) { done.set_value(outcome); });
    const FixOutcome outcome = done.get_future().get();
    fix.wait();
    const double fixTime = secondsSince(fixStart);
    std::cout << std::setprecision(3) << "  fix with backup     " << fixTime << " s  ("
              << outcome.fixed << " fixed, " << outcome.keptForBackup << " kept; registry saved)\n";
    std::filesystem::remove_all(copy);
    return outcome.error.empty() ? 0 : 1;
}

} // namespace
} // namespace tolvane

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tolvane-scan-bench PREFIX\n";
        return 2;
    }
    return tolvane::run(argv[1]);
}
