// The file associations scan over HKEY_CLASSES_ROOT of growing size: N extensions, each naming
// its own file type (which the scan then meets again by its own name and skips), half of them
// with an open command whose program is gone. The baseline is the bare walk of the same keys:
// enumerate, open, read the default value, close. The time per key should stay flat as N grows.
#include "modules/CModuleFileAssoc.h"
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

fs::path makePrefix() {
    const fs::path root =
        fs::temp_directory_path() /
        ("tolvane-fileassoc-bench-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    fs::create_directories(root / "drive_c" / "windows" / "system32");
    std::ofstream(root / "drive_c" / "windows" / "notepad.exe").put('x');
    return root;
}

void setDefault(RegistryGateway& registry, const std::string& path, const std::string& text) {
    RegKey key;
    RegKey::create(registry, hkeyClassesRoot, path, key);
    registry.RegSetValueA(key.get(), "", regtype::sz, text);
}

void fillClasses(RegistryGateway& registry, int extensions) {
    for (int i = 0; i < extensions; ++i) {
        const std::string number = std::to_string(i);
        // Named in another case than the type's own key, as real registries often do.
        setDefault(registry, ".e" + number, "Type" + number);
        setDefault(registry, "type" + number + "\\shell\\open\\command",
                   i % 2 == 0 ? "notepad.exe %1" : "C:\\Gone\\app" + number + ".exe %1");
    }
}

// Enumerates HKEY_CLASSES_ROOT, opening each key and reading its default value.
std::size_t bareWalk(RegistryGateway& registry) {
    std::size_t read = 0;
    std::string name;
    for (std::uint32_t index = 0;
         registry.RegEnumKeyA(hkeyClassesRoot, index, name, maxPath) == winerr::success; ++index) {
        RegKey key;
        if (RegKey::open(registry, hkeyClassesRoot, name, key) != winerr::success) {
            continue;
        }
        std::string value;
        std::int32_t size = static_cast<std::int32_t>(maxPath);
        read += registry.RegQueryValueA(key.get(), "", &value, size) == winerr::success ? 1 : 0;
    }
    return read;
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void measure(const fs::path& root, int extensions) {
    prefix::WineRegistry registry;
    fillClasses(registry, extensions);
    prefix::PrefixFileSystem files(root, registry);
    BuiltinRegistryEditor editor(registry);
    SystemClock clock;
    XdgAutostart autostart(root / "config", "/usr/bin/tolvane");
    prefix::PrefixStorage storage(registry, root, prefix::WineServerProbe(root, {}, root / "none"));
    const Platform platform{registry, files, editor, clock, autostart, storage, root / "work"};
    CModuleFileAssoc module(nullptr, platform);

    std::size_t read = 0;
    const double walk = seconds([&] { read = bareWalk(registry); });
    std::size_t found = 0;
    const double scan = seconds([&] { found = module.Scan().count(); });
    const auto keys = static_cast<double>(2 * extensions);
    std::printf("%6d extensions + %6d types: bare walk %8.1f ms (%5.2f us/key)  scan %8.1f ms "
                "(%6.2f us/key)  x%.1f  (%zu read, %zu problems)\n",
                extensions, extensions, walk * 1e3, walk * 1e6 / keys, scan * 1e3,
                scan * 1e6 / keys, scan / walk, read, found);
}

} // namespace

int main() {
    const fs::path root = makePrefix();
    for (const int extensions : {2500, 5000, 10000, 20000}) {
        measure(root, extensions);
    }
    std::error_code error;
    fs::remove_all(root, error);
    return 0;
}
