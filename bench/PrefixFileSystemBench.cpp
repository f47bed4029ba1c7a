// Existence tests of a large scan against a prefix: every query going to the disk (the
// baseline) against the same queries inside a scan, where folder listings are cached.
#include "platform/prefix/PrefixFileSystem.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/PathChecks.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tolvane;

namespace {

constexpr int applications = 200;
constexpr int filesPerApplication = 40;
constexpr int systemFiles = 2000;

void touch(const fs::path& file) {
    std::ofstream(file).put('x');
}

fs::path makePrefix() {
    const fs::path root =
        fs::temp_directory_path() /
        ("tolvane-bench-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    const fs::path system = root / "drive_c" / "windows" / "system32";
    fs::create_directories(system);
    for (int file = 0; file < systemFiles; ++file) {
        touch(system / ("sys" + std::to_string(file) + ".dll"));
    }
    for (int app = 0; app < applications; ++app) {
        const fs::path folder = root / "drive_c" / "Program Files" / ("App" + std::to_string(app));
        fs::create_directories(folder);
        for (int file = 0; file < filesPerApplication; ++file) {
            touch(folder / ("File" + std::to_string(file) + ".dll"));
        }
    }
    return root;
}

// A third spelled as on disk, a third in other case, a third missing.
std::vector<std::string> scanPaths() {
    std::vector<std::string> paths;
    for (int app = 0; app < applications; ++app) {
        for (int file = 0; file < filesPerApplication; ++file) {
            const std::string number = std::to_string(app) + "\\File" + std::to_string(file);
            paths.push_back("C:\\Program Files\\App" + number + ".dll");
            paths.push_back("c:\\PROGRAM FILES\\app" + number + ".DLL");
            paths.push_back("C:\\Program Files\\App" + number + ".gone");
        }
    }
    return paths;
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `work` with every test going to the disk, then inside a scan, and prints both.
void compare(const char* what, std::size_t count, FileSystem& files,
             const std::function<void()>& work) {
    const double disk = seconds(work);
    double cached = 0;
    {
        const FileSystem::ScanScope scan(files);
        cached = seconds(work);
    }
    std::printf("%-36s %6zu tests  disk %8.1f ms (%8.2f us/test)  scan cache %8.1f ms "
                "(%6.2f us/test)  x%.1f\n",
                what, count, disk * 1e3, disk * 1e6 / static_cast<double>(count), cached * 1e3,
                cached * 1e6 / static_cast<double>(count), disk / cached);
}

} // namespace

int main() {
    const fs::path root = makePrefix();
    prefix::WineRegistry registry;
    prefix::PrefixFileSystem files(root, registry);
    PathChecks checks(files, registry);
    const auto paths = scanPaths();

    std::size_t found = 0;
    compare("PathFileExistsA", paths.size(), files, [&] {
        for (const auto& path : paths) {
            found += files.PathFileExistsA(path) ? 1 : 0;
        }
    });

    // COM server paths with arguments: ExistsTrimmingTail tests every shorter text too.
    std::vector<std::string> servers;
    for (int app = 0; app < applications; ++app) {
        servers.push_back("C:\\Program Files\\App" + std::to_string(app) + "\\Gone.dll -Embedding");
        servers.push_back("sys" + std::to_string(app) + ".dll /automation");
    }
    compare("ExistsTrimmingTail (server paths)", servers.size(), files, [&] {
        for (const auto& server : servers) {
            found += checks.ExistsTrimmingTail(server) ? 1 : 0;
        }
    });
    std::printf("(%zu found)\n", found);

    std::error_code error;
    fs::remove_all(root, error);
    return 0;
}
