// The built-in registry editor beside Wine's regedit, on the same prefixes in the same run:
// "export-all" against "wine regedit /e" and "import" against "wine regedit /s".
//
//   cmake --build build --target editor-bench     (generates the large registry on first use)
//   build/bench/tolvane-editor-bench [--large GENERATED.reg] [--work DIR] [--runs N]
//
// A fresh prefix is booted with wineboot. With --large, a second prefix gets the fresh
// system.reg with the generated keys added (about 100 MB). For each prefix it prints:
//   wine regedit, cold     the wineserver starts, loads the files, regedit runs, the server
//                          saves and ends: what a user waits for;
//   wine regedit, running  the same regedit run against a server already up with the
//                          registry loaded (only regedit's own work and start; fresh prefix);
//   built-in               what tolvane-cli does: load the prefix files, export (resp. import
//                          and save the changed files), with the parts in brackets.
// The speed-up is taken against the faster of the two Wine figures.
#include "bench/BenchTiming.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/BuiltinRegistryEditor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace tolvane;
using SteadyClock = bench::Steady;
using bench::secondsSince;
namespace fs = std::filesystem;

[[noreturn]] void die(const std::string& message) {
    std::cerr << "tolvane-editor-bench: " << message << "\n";
    std::exit(1);
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string onDriveZ(const fs::path& path) {
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return shellQuoted(text);
}

std::string wineEnvironment(const fs::path& prefix) {
    return "WINEPREFIX=" + shellQuoted(prefix.string()) + " WINEDEBUG=-all ";
}

void shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        die("failed: " + command);
    }
}

// Runs a Wine program in the prefix and waits until the wineserver has saved and ended.
double timeWineCold(const fs::path& prefix, const std::string& arguments) {
    const auto start = SteadyClock::now();
    shell(wineEnvironment(prefix) + "wine " + arguments + " >/dev/null 2>&1; " +
          wineEnvironment(prefix) + "wineserver -w");
    return secondsSince(start);
}

// A wineserver kept running for the prefix, with Wine's own services already started.
class RunningServer {
public:
    explicit RunningServer(fs::path prefix) : prefix_(std::move(prefix)) {
        shell(wineEnvironment(prefix_) + "wineserver -p");
        shell(wineEnvironment(prefix_) + "wine cmd /c exit >/dev/null 2>&1");
    }
    ~RunningServer() {
        (void)std::system((wineEnvironment(prefix_) + "wineserver -k; " + wineEnvironment(prefix_) +
                           "wineserver -w")
                              .c_str());
    }
    double time(const std::string& arguments) const {
        const auto start = SteadyClock::now();
        shell(wineEnvironment(prefix_) + "wine " + arguments + " >/dev/null 2>&1");
        return secondsSince(start);
    }

private:
    fs::path prefix_;
};

struct BuiltinTiming {
    double total = 1e30;
    double load = 0;
    double work = 0;
    double save = 0;
};

std::unique_ptr<prefix::WineRegistry> openPrefix(const fs::path& prefix) {
    auto registry = prefix::WineRegistry::openPrefix(prefix);
    if (!registry) {
        die(registry.message());
    }
    return std::move(registry.value());
}

// What tolvane-cli does: load the prefix files, then export the registry into `file`, or import
// `file` and save the changed files.
BuiltinTiming builtinRun(const fs::path& prefix, const fs::path& file, int runs, bool import) {
    // Every import starts from the same files, so that each one has the same changes to save.
    const auto pristine = prefix / "pristine";
    const std::vector<std::string> files{"system.reg", "user.reg", "userdef.reg"};
    const auto copyAll = [&](const fs::path& from, const fs::path& to) {
        fs::create_directories(to);
        for (const auto& name : files) {
            fs::copy_file(from / name, to / name, fs::copy_options::overwrite_existing);
        }
    };
    if (import) {
        copyAll(prefix, pristine);
    }
    BuiltinTiming best;
    for (int run = 0; run < runs; ++run) {
        if (import) {
            copyAll(pristine, prefix);
        }
        BuiltinTiming timing;
        const auto start = SteadyClock::now();
        auto registry = openPrefix(prefix);
        timing.load = secondsSince(start);
        const auto workStart = SteadyClock::now();
        BuiltinRegistryEditor editor(*registry);
        if (auto done = import ? editor.importRegFile(file) : editor.exportRegistry(file); !done) {
            die(done.message());
        }
        timing.work = secondsSince(workStart);
        const auto saveStart = SteadyClock::now();
        if (auto saved = import ? registry->save() : Result<void>(); !saved) {
            die(saved.message());
        }
        timing.save = secondsSince(saveStart);
        timing.total = secondsSince(start);
        best = timing.total < best.total ? timing : best;
    }
    fs::remove_all(pristine);
    return best;
}

double megabytes(const fs::path& file) {
    return static_cast<double>(fs::file_size(file)) / 1e6;
}

std::string fixed(double value, int decimals = 2) {
    std::ostringstream text;
    text.setf(std::ios::fixed);
    text.precision(decimals);
    text << value;
    return text.str();
}

void report(const std::string& title, const fs::path& prefix, const fs::path& work, int runs,
            bool withRunningServer) {
    const auto wineFile = work / "wine.reg";
    const auto ourFile = work / "builtin.reg";
    std::cout << "\n"
              << title << ": system.reg " << fixed(megabytes(prefix / "system.reg"), 1) << " MB\n";

    const double wineExportCold = timeWineCold(prefix, "regedit /e " + onDriveZ(wineFile));
    const auto ourExport = builtinRun(prefix, ourFile, runs, false);
    const double wineImportCold = timeWineCold(prefix, "regedit /s " + onDriveZ(wineFile));
    const auto ourImport = builtinRun(prefix, wineFile, runs, true);
    double wineExportRunning = wineExportCold;
    double wineImportRunning = wineImportCold;
    if (withRunningServer) {
        RunningServer server(prefix);
        wineExportRunning = server.time("regedit /e " + onDriveZ(work / "wine-running.reg"));
        wineImportRunning = server.time("regedit /s " + onDriveZ(wineFile));
    }
    std::cout << "  export file: Wine " << fixed(megabytes(wineFile), 1) << " MB, built-in "
              << fixed(megabytes(ourFile), 1) << " MB\n";
    std::cout << "                              export-all (/e)   import (/s)\n";
    std::cout << "  wine regedit, cold          " << fixed(wineExportCold) << " s\t\t"
              << fixed(wineImportCold) << " s\n";
    if (withRunningServer) {
        std::cout << "  wine regedit, running       " << fixed(wineExportRunning) << " s\t\t"
                  << fixed(wineImportRunning) << " s\n";
    }
    std::cout << "  built-in                    " << fixed(ourExport.total, 3) << " s\t\t"
              << fixed(ourImport.total, 3) << " s\n";
    std::cout << "    [load " << fixed(ourExport.load, 3) << " + export "
              << fixed(ourExport.work, 3) << "]\t[load " << fixed(ourImport.load, 3) << " + import "
              << fixed(ourImport.work, 3) << " + save " << fixed(ourImport.save, 3) << "]\n";
    const double exportRatio = std::min(wineExportCold, wineExportRunning) / ourExport.total;
    const double importRatio = std::min(wineImportCold, wineImportRunning) / ourImport.total;
    std::cout << "  built-in faster by          " << fixed(exportRatio, 1) << "x\t\t"
              << fixed(importRatio, 1) << "x\t(target: 20x)\n";
}

} // namespace

int main(int argc, char** argv) {
    std::optional<fs::path> large;
    std::optional<fs::path> work;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--large" && i + 1 < argc) {
            large = argv[++i];
        } else if (argument == "--work" && i + 1 < argc) {
            work = argv[++i];
        } else if (argument == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            die("usage: tolvane-editor-bench [--large GENERATED.reg] [--work DIR] [--runs N]");
        }
    }
    if (std::system("command -v wine >/dev/null 2>&1") != 0) {
        die("Wine is not installed: there is nothing to compare with");
    }
    const bool ownWork = !work;
    if (ownWork) {
        work = fs::temp_directory_path() / ("tolvane-editor-bench-" + std::to_string(::getpid()));
    }
    fs::create_directories(*work);

    const auto fresh = *work / "fresh";
    const auto bootStart = SteadyClock::now();
    if (!fs::exists(fresh / "system.reg")) {
        timeWineCold(fresh, "wineboot -i");
    }
    std::cout << "Registry editor benchmark (wall-clock seconds; built-in: best of " << runs
              << " runs)\nfresh prefix booted in " << fixed(secondsSince(bootStart), 1) << " s\n";
    report("Fresh Wine prefix", fresh, *work, runs, true);

    if (large) {
        // The fresh prefix with the generated keys added to its system.reg; drive C is shared.
        const auto big = *work / "large";
        fs::remove_all(big);
        fs::create_directories(big);
        fs::copy(fresh / "dosdevices", big / "dosdevices", fs::copy_options::copy_symlinks);
        for (const auto* name : {"user.reg", "userdef.reg", ".update-timestamp"}) {
            fs::copy_file(fresh / name, big / name);
        }
        fs::create_directory_symlink(fs::absolute(fresh / "drive_c"), big / "drive_c");
        std::ofstream system(big / "system.reg", std::ios::binary);
        std::ifstream freshSystem(fresh / "system.reg", std::ios::binary);
        system << freshSystem.rdbuf();
        std::ifstream generated(*large, std::ios::binary);
        std::string line;
        for (int header = 0; header < 4 && std::getline(generated, line); ++header) {
        }
        system << generated.rdbuf();
        system.close();
        if (!system) {
            die("cannot write " + (big / "system.reg").string());
        }
        // Wine needs minutes per run here: only the cold runs, which include its loading and
        // saving of the files just as the built-in figures do.
        report("Wine prefix with a generated system.reg", big, *work, runs, false);
    }
    if (ownWork) {
        fs::remove_all(*work);
    }
    return 0;
}
