// The user software keys scan over a large HKEY_CURRENT_USER\Software tree, against a baseline
// measured in the same run: a plain walk that visits every key and reads every value of the
// same tree, keeping one key open per level, and tests nothing.
#include "modules/CModuleUserSet.h"
#include "platform/prefix/PrefixFileSystem.h"
#include "platform/prefix/PrefixStorage.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/RegKey.h"
#include "platform/services/SystemClock.h"
#include "platform/services/XdgAutostart.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using namespace tolvane;

namespace {

// 300 vendors, 100 programs each, 9 settings keys each: about 300 000 keys.
constexpr int vendors = 300;
constexpr int programs = 100;
constexpr int settingsKeys = 9;

fs::path makePrefix() {
    const fs::path root =
        fs::temp_directory_path() /
        ("tolvane-walk-bench-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    fs::create_directories(root / "drive_c" / "windows" / "system32");
    for (int vendor = 0; vendor < vendors; vendor += 10) {
        const fs::path folder =
            root / "drive_c" / "Program Files" / ("Vendor" + std::to_string(vendor));
        fs::create_directories(folder);
        std::ofstream(folder / "data.txt").put('x');
    }
    return root;
}

void setText(RegistryGateway& registry, HKey key, std::string_view name, std::string_view text) {
    registry.RegSetValueExA(key, name, regtype::sz, text);
}

// Each settings key holds a number, a plain text and a path: an existing file, a missing one,
// or a command line, in turn.
std::size_t fillTree(RegistryGateway& registry) {
    std::size_t keys = 0;
    const std::string number("\x01\x00\x00\x00", 4);
    for (int vendor = 0; vendor < vendors; ++vendor) {
        const std::string vendorName = "Vendor" + std::to_string(vendor);
        RegKey vendorKey;
        RegKey::create(registry, hkeyCurrentUser, "Software\\" + vendorName, vendorKey);
        ++keys;
        for (int program = 0; program < programs; ++program) {
            RegKey programKey;
            RegKey::create(registry, vendorKey.get(), "Program" + std::to_string(program),
                           programKey);
            ++keys;
            for (int settings = 0; settings < settingsKeys; ++settings) {
                RegKey key;
                RegKey::create(registry, programKey.get(), "Settings" + std::to_string(settings),
                               key);
                ++keys;
                registry.RegSetValueExA(key.get(), "Count", regtype::dword, number);
                setText(registry, key.get(), "Title", "Window title of a program");
                switch (settings % 3) {
                case 0:
                    setText(registry, key.get(), "Data",
                            "C:\\Program Files\\Vendor" + std::to_string(vendor / 10 * 10) +
                                "\\data.txt");
                    break;
                case 1:
                    setText(registry, key.get(), "LastFile",
                            "C:\\Users\\Me\\Gone" + std::to_string(program) + ".txt");
                    break;
                default:
                    setText(registry, key.get(), "Command",
                            "C:\\Program Files\\" + vendorName + "\\app.exe /open");
                    break;
                }
            }
        }
    }
    return keys;
}

// The least a walk of the tree does: every key opened once, every value read.
std::size_t plainWalk(RegistryGateway& registry, HKey parent, const std::string& path) {
    RegKey key;
    if (RegKey::open(registry, parent, path, key) != winerr::success) {
        return 0;
    }
    RegKeyInfo info;
    registry.RegQueryInfoKeyA(key.get(), info, KeyInfoParts::everything);
    std::size_t values = 0;
    std::string name;
    for (std::uint32_t index = 0; index < info.subKeys; ++index) {
        if (registry.RegEnumKeyA(key.get(), index, name, maxPath - 1) == winerr::success) {
            values += plainWalk(registry, key.get(), name);
        }
    }
    std::string data;
    for (std::uint32_t index = 0; index < info.values; ++index) {
        std::uint32_t nameSize = maxPath;
        std::uint32_t type = 0;
        std::uint32_t dataSize = maxPath;
        if (registry.RegEnumValueA(key.get(), index, name, nameSize, &type, &data, &dataSize) ==
            winerr::success) {
            ++values;
        }
    }
    return values;
}

double milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main() {
    const fs::path prefix = makePrefix();
    prefix::WineRegistry registry;
    const std::size_t keys = fillTree(registry);
    prefix::PrefixFileSystem files(prefix, registry);
    BuiltinRegistryEditor editor(registry);
    SystemClock clock;
    XdgAutostart autostart(prefix / "config", "/usr/bin/tolvane");
    prefix::PrefixStorage storage(registry, prefix, prefix::WineServerProbe::forPrefix(prefix));
    const Platform platform{registry, files, editor, clock, autostart, storage, prefix / "work"};
    CModuleUserSet module(nullptr, platform);

    std::size_t values = 0;
    const double baseline =
        milliseconds([&] { values = plainWalk(registry, hkeyCurrentUser, "Software"); });
    std::size_t problems = 0;
    const double scan = milliseconds([&] {
        const FileSystem::ScanScope scope(files);
        problems = module.Scan().count();
    });

    std::printf("%zu keys, %zu values\n", keys, values);
    std::printf("plain walk (baseline)   %8.1f ms  %6.2f us/key\n", baseline,
                baseline * 1000.0 / static_cast<double>(keys));
    std::printf("user software keys scan %8.1f ms  %6.2f us/key  x%.2f of the baseline, "
                "%zu problems\n",
                scan, scan * 1000.0 / static_cast<double>(keys), scan / baseline, problems);
    fs::remove_all(prefix);
    return 0;
}
