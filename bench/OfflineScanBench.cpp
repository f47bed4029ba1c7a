// Loading and scanning an offline Windows installation whose SOFTWARE hive holds about 100 MB of
// generated registrations, against the same registrations in a Wine prefix, in the same run.
//
//   build/bench/tolvane-offline-scan-bench [SCALE]      (default 1.6: about 100 MB; 0.1 for a try)
//
// Both registries name the same files on one shared drive C: (half of them exist). Prints the
// hive's size, the load time of both, the full 13-module scan of both (fastest of three), their
// ratios and the problems found.
#include "bench/BenchTiming.h"
#include "engine/ModuleSet.h"
#include "engine/ScanRun.h"
#include "modules/DefaultModules.h"
#include "platform/offline/OfflinePlatform.h"
#include "platform/prefix/PrefixPlatform.h"
#include "platform/prefix/UnitText.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryProfileStore.h"
#include "tests/support/HiveImage.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowsTree.h"

#include <atomic>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <string>

namespace tolvane {
namespace {

using bench::fastest;
using bench::secondsSince;
using bench::Steady;
using bench::Timing;

// One registration: a value of a key below HKLM\SOFTWARE.
using Sink = std::function<void(const std::string& key, const std::string& name, std::uint32_t type,
                                const std::string& text)>;

std::string guid(std::uint32_t number, std::uint32_t kind) {
    const char* digits = "0123456789ABCDEF";
    std::string text = "{00000000-" + std::to_string(1000 + kind) + "-4000-8000-000000000000}";
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(1 + 7 - i)] = digits[(number >> (4 * i)) & 0xF];
    }
    return text;
}

// Registrations of a well-used Windows system: COM classes (also the 32-bit view), interfaces,
// type libraries, uninstall entries, application paths, shared DLLs and vendor settings, each
// naming a file that exists for even numbers. Keys with many sub-keys stay below the 10,000
// that every hive reader accepts.
void registrations(double scale, const Sink& sink, std::vector<std::string>& files) {
    const auto count = [&](double n) { return static_cast<std::uint32_t>(n * scale); };
    const auto file = [&](std::uint32_t i, const std::string& folder, const std::string& name) {
        std::string path = "C:\\Program Files\\" + folder + "\\" + name;
        if (i % 2 == 0) {
            files.push_back(path);
        }
        return path;
    };
    for (const std::string view : {"Classes", "Wow6432Node\\Classes"}) {
        for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count(9000), 9500); ++i) {
            const std::string key = view + "\\CLSID\\" + guid(i, view.size() == 7 ? 1 : 2);
            sink(key, "", regtype::sz, "Component " + std::to_string(i));
            sink(key + "\\InprocServer32", "", regtype::sz,
                 file(i, "Vendor" + std::to_string(i % 97),
                      "component" + std::to_string(i) + ".dll"));
            sink(key + "\\InprocServer32", "ThreadingModel", regtype::sz, "Both");
            sink(key + "\\ProgID", "", regtype::sz, "Vendor.Component." + std::to_string(i));
        }
        for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count(9000), 9500); ++i) {
            const std::string key = view + "\\Interface\\" + guid(i, 3);
            sink(key, "", regtype::sz, "IComponent" + std::to_string(i));
            sink(key + "\\ProxyStubClsid32", "", regtype::sz, guid(i, 1));
        }
    }
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count(5000), 9500); ++i) {
        const std::string key = "Classes\\TypeLib\\" + guid(i, 4) + "\\1.0\\0\\win32";
        sink(key, "", regtype::sz,
             file(i, "Vendor" + std::to_string(i % 97), "lib" + std::to_string(i) + ".tlb"));
    }
    const std::string current = "Microsoft\\Windows\\CurrentVersion\\";
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count(5000), 9500); ++i) {
        const std::string key = current + "Uninstall\\Product" + std::to_string(i);
        sink(key, "DisplayName", regtype::sz, "Product " + std::to_string(i));
        sink(key, "UninstallString", regtype::sz,
             "\"" + file(i, "Product" + std::to_string(i), "uninstall.exe") + "\" /S");
        sink(key, "InstallLocation", regtype::sz, "C:\\Program Files\\Product" + std::to_string(i));
        sink(current + "App Paths\\product" + std::to_string(i) + ".exe", "", regtype::sz,
             file(i, "Product" + std::to_string(i), "product.exe"));
    }
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count(5000), 9000); ++i) {
        sink(current + "SharedDLLs",
             file(i, "Common Files\\Shared" + std::to_string(i % 50),
                  "shared" + std::to_string(i) + ".dll"),
             regtype::dword, std::string("\1\0\0\0", 4));
    }
    // Vendor settings: the bulk of a real SOFTWARE hive.
    for (std::uint32_t v = 0; v < count(300); ++v) {
        for (std::uint32_t p = 0; p < 40; ++p) {
            const std::string key =
                "Vendor" + std::to_string(v) + "\\Product" + std::to_string(p) + "\\Settings";
            for (std::uint32_t s = 0; s < 8; ++s) {
                sink(key + "\\Section" + std::to_string(s), "Path", regtype::sz,
                     file(v + p + s, "Vendor" + std::to_string(v % 97),
                          "data" + std::to_string(p * 8 + s) + ".bin"));
                sink(key + "\\Section" + std::to_string(s), "Options", regtype::binary,
                     std::string(96, static_cast<char>(s)));
            }
        }
    }
}

std::string utf16Text(const std::string& text) {
    return prefix::unittext::utf8ToUtf16Bytes(text + std::string(1, '\0'));
}

std::size_t scanAll(const Platform& platform) {
    prefix::WineRegistry profileRegistry;
    RegistryProfileStore profile(profileRegistry, hkeyCurrentUser, "Software\\Tolvane\\bench");
    ModuleSet modules(defaultModuleFactory(platform));
    std::array<bool, moduleCount> all{};
    all.fill(true);
    std::atomic<int> busy{0};
    ScanRun scan(modules, platform, profile, busy);
    scan.start(all, nullptr, {});
    scan.wait();
    return modules.count();
}

std::string figure(const Timing& timing) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(3) << timing.wall << " s (processor "
         << timing.processor << " s)";
    return text.str();
}

int run(double scale) {
    test::WindowsTree tree;
    std::vector<std::string> files;

    // The offline installation: SOFTWARE built from the registrations, the tree's user kept.
    const auto generateStart = Steady::now();
    test::HiveImage::Key software("ROOT");
    {
        auto existing = tree.open();
        if (!existing) {
            std::cerr << existing.message() << "\n";
            return 1;
        }
    }
    const auto addText = [&](test::HiveImage::Key& root, const std::string& key,
                             const std::string& name, std::uint32_t type, const std::string& data) {
        test::HiveImage::Key* at = &root;
        for (std::size_t start = 0; start <= key.size();) {
            const std::size_t end = std::min(key.find('\\', start), key.size());
            at = &at->child(key.substr(start, end - start));
            start = end + 1;
        }
        at->set(name, type, regtype::isString(type) ? utf16Text(data) : data);
    };
    registrations(
        scale,
        [&](const std::string& key, const std::string& name, std::uint32_t type,
            const std::string& data) { addText(software, key, name, type, data); },
        files);
    addText(software,
            "Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-1111-2222-3333-1001",
            "ProfileImagePath", regtype::sz, "C:\\Users\\Bob");
    addText(software, "Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", regtype::sz,
            "C:\\Windows");
    {
        std::ofstream out(tree.hive("SOFTWARE"), std::ios::binary | std::ios::trunc);
        const std::string bytes = test::HiveImage::build(software);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    for (const std::string& path : files) {
        tree.addFile(path);
    }
    const double generated = secondsSince(generateStart);

    // The same registrations in a Wine prefix whose drive C: is the same volume.
    test::TempDir prefixFolder;
    const std::string header = "WINE REGISTRY Version 2\n;; All keys relative to \\\\";
    std::ofstream(prefixFolder / "system.reg") << header << "Machine\n\n#arch=win64\n";
    std::ofstream(prefixFolder / "user.reg")
        << header << "User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
    std::ofstream(prefixFolder / "userdef.reg") << header << "User\\\\.Default\n\n#arch=win64\n";
    std::filesystem::create_directories(prefixFolder / "dosdevices");
    std::filesystem::create_directory_symlink(tree.mount(), prefixFolder / "dosdevices" / "c:");
    {
        auto wine = prefix::WineRegistry::openPrefix(prefixFolder.path());
        if (!wine) {
            std::cerr << wine.message() << "\n";
            return 1;
        }
        std::vector<std::string> unused;
        registrations(
            scale,
            [&](const std::string& key, const std::string& name, std::uint32_t type,
                const std::string& data) {
                RegKey opened;
                RegKey::create(*wine.value(), hkeyLocalMachine, "Software\\" + key, opened);
                if (regtype::isString(type)) {
                    wine.value()->RegSetValueExW(opened.get(), prefix::unittext::toUtf16(name),
                                                 type, utf16Text(data));
                } else {
                    wine.value()->RegSetValueExA(opened.get(), name, type, data);
                }
            },
            unused);
        if (auto saved = wine.value()->save(); !saved) {
            std::cerr << saved.message() << "\n";
            return 1;
        }
    }

    const auto work = std::filesystem::temp_directory_path() / "tolvane-offline-bench";
    double offlineLoad = 0;
    double prefixLoad = 0;
    std::unique_ptr<offline::OfflinePlatform> offline;
    std::unique_ptr<prefix::PrefixPlatform> wine;
    {
        const auto start = Steady::now();
        auto opened = tree.open();
        offlineLoad = secondsSince(start);
        if (!opened) {
            std::cerr << opened.message() << "\n";
            return 1;
        }
        offline = std::move(opened.value());
    }
    {
        const auto start = Steady::now();
        auto opened =
            prefix::PrefixPlatform::open(prefixFolder.path(), {work, work / "config", "tolvane"});
        prefixLoad = secondsSince(start);
        if (!opened) {
            std::cerr << opened.message() << "\n";
            return 1;
        }
        wine = std::move(opened.value());
    }
    std::size_t offlineProblems = 0;
    std::size_t prefixProblems = 0;
    const Timing offlineScan = fastest(3, [&] { offlineProblems = scanAll(offline->platform()); });
    const Timing prefixScan = fastest(3, [&] { prefixProblems = scanAll(wine->platform()); });

    std::cout << std::fixed << std::setprecision(3) << "offline installation, scale " << scale
              << " (generated in " << generated << " s)\n"
              << "  SOFTWARE hive        "
              << std::filesystem::file_size(tree.hive("SOFTWARE")) / 1e6
              << " MB; system.reg of the prefix "
              << std::filesystem::file_size(prefixFolder / "system.reg") / 1e6 << " MB\n"
              << "  load   offline       " << offlineLoad << " s\n"
              << "  load   prefix        " << prefixLoad << " s  (offline / prefix "
              << std::setprecision(2) << offlineLoad / prefixLoad << " x)\n"
              << std::setprecision(3) << "  scan   offline       " << figure(offlineScan) << "  "
              << offlineProblems << " problems\n"
              << "  scan   prefix        " << figure(prefixScan) << "  " << prefixProblems
              << " problems\n"
              << "  scan offline / prefix " << std::setprecision(2)
              << offlineScan.wall / prefixScan.wall << " x (processor "
              << offlineScan.processor / prefixScan.processor << " x)\n";
    return 0;
}

} // namespace
} // namespace tolvane

int main(int argc, char** argv) {
    return tolvane::run(argc > 1 ? std::stod(argv[1]) : 1.6);
}
