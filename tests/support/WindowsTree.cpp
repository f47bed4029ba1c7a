#include "tests/support/WindowsTree.h"

#include "platform/base/AsciiText.h"
#include "platform/base/Utf16Text.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/regformat/RegFileText.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "tests/support/HiveImage.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>

namespace tolvane::test {
namespace {

std::filesystem::path hostPath(const std::filesystem::path& mount, std::string_view windowsPath) {
    std::string relative(windowsPath.substr(windowsPath.starts_with("C:\\") ? 3 : 0));
    for (char& c : relative) {
        if (c == '\\') {
            c = '/';
        }
    }
    return mount / relative;
}

void makeHive(const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    if (auto written = HiveImage::write(file); !written) {
        throw std::runtime_error(written.message());
    }
}

} // namespace

WindowsTree::WindowsTree() : mount_(root_ / "win") {
    for (const char* name : {"SOFTWARE", "SYSTEM", "DEFAULT"}) {
        makeHive(mount_ / "Windows/System32/config" / name);
    }
    for (const char* file : {"C:\\Windows\\System32\\cmd.exe", "C:\\Windows\\System32\\msiexec.exe",
                             "C:\\Windows\\System32\\rundll32.exe", "C:\\Windows\\explorer.exe",
                             "C:\\Windows\\notepad.exe", "C:\\Windows\\regedit.exe"}) {
        addFile(file);
    }
    std::filesystem::create_directories(mount_ / "Program Files/Common Files");
    std::filesystem::create_directories(mount_ / "Program Files (x86)");
    std::filesystem::create_directories(mount_ / "ProgramData");
    std::filesystem::create_directories(mount_ / "Windows/Fonts");
    importReg("REGEDIT4\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
              "\"SystemRoot\"=\"C:\\\\Windows\"\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList]\n"
              "\"ProgramData\"=\"C:\\\\ProgramData\"\n"
              "\"ProfilesDirectory\"=\"C:\\\\Users\"\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
              "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"
              "\"ProgramFilesDir (x86)\"=\"C:\\\\Program Files (x86)\"\n"
              "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\n\n"
              "[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\n"
              "\"Current\"=dword:00000001\n\n"
              "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Session Manager\\Environment]\n"
              "\"TEMP\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,54,45,4d,50,00\n"
              "\"OS\"=\"Windows_NT\"\n\n"
              "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\ComputerName\\ComputerName]\n"
              "\"ComputerName\"=\"OFFLINE-PC\"\n\n");
    addUser("Bob", "S-1-5-21-1111-2222-3333-1001");
}

std::filesystem::path WindowsTree::hive(std::string_view name) const {
    if (name == "NTUSER.DAT") {
        return mount_ / "Users/Bob/NTUSER.DAT";
    }
    if (name == "UsrClass.dat") {
        return mount_ / "Users/Bob/AppData/Local/Microsoft/Windows/UsrClass.dat";
    }
    return mount_ / "Windows/System32/config" / std::string(name);
}

void WindowsTree::addUser(std::string_view name, std::string_view sid) {
    const std::filesystem::path profile = mount_ / "Users" / std::string(name);
    makeHive(profile / "NTUSER.DAT");
    makeHive(profile / "AppData/Local/Microsoft/Windows/UsrClass.dat");
    importReg("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
              "ProfileList\\" +
              std::string(sid) + "]\n\"ProfileImagePath\"=\"C:\\\\Users\\\\" + std::string(name) +
              "\"\n\n");
    // The user's own hives get their top keys through a registry that mounts them.
    auto opened = open(name);
    if (!opened) {
        throw std::runtime_error(opened.message());
    }
    auto& registry = opened.value()->registry();
    BuiltinRegistryEditor editor(registry);
    if (auto imported =
            editor.importBytes("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft]\n\n"
                               "[HKEY_CURRENT_USER\\Environment]\n\n");
        !imported) {
        throw std::runtime_error(imported.message());
    }
    if (auto committed = registry.commit(); !committed) {
        throw std::runtime_error(committed.message());
    }
}

void WindowsTree::importReg(std::string_view text, bool skipRefused) {
    // Before a user exists, the machine hives alone.
    std::unique_ptr<offline::OfflinePlatform> platform;
    std::unique_ptr<offline::OfflineRegistry> machine;
    offline::OfflineRegistry* registry = nullptr;
    if (auto opened = open(); opened) {
        platform = std::move(opened.value());
        registry = &platform->registry();
    } else {
        offline::OfflineRegistry::Hives hives;
        const std::pair<offline::OfflineRegistry::Hive, const char*> files[] = {
            {offline::OfflineRegistry::Hive::software, "SOFTWARE"},
            {offline::OfflineRegistry::Hive::system, "SYSTEM"},
            {offline::OfflineRegistry::Hive::defaultUser, "DEFAULT"}};
        for (const auto& [which, name] : files) {
            auto file = offline::HiveFile::open(hive(name));
            if (!file) {
                throw std::runtime_error(file.message());
            }
            hives.files[static_cast<std::size_t>(which)] = std::move(file.value());
        }
        machine = std::make_unique<offline::OfflineRegistry>(std::move(hives));
        registry = machine.get();
    }
    BuiltinRegistryEditor editor(*registry);
    if (auto imported = editor.importBytes(text); !imported && !skipRefused) {
        throw std::runtime_error(imported.message());
    }
    if (auto committed = registry->commit(); !committed) {
        throw std::runtime_error(committed.message());
    }
}

namespace {

// Copies `from` into `to`, each name merged into an existing one that differs only in case.
void mergeFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::create_directories(to);
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        std::filesystem::path target = to / name;
        for (const auto& existing : std::filesystem::directory_iterator(to)) {
            if (equalsIgnoringAsciiCase(existing.path().filename().string(), name)) {
                target = existing.path();
            }
        }
        if (entry.is_directory()) {
            mergeFolder(entry.path(), target);
        } else {
            std::filesystem::copy_file(entry.path(), target,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

} // namespace

void WindowsTree::importPrefix(const std::filesystem::path& prefix) {
    mergeFolder(prefix / "drive_c", mount_);
    auto wine = prefix::WineRegistry::openPrefix(prefix);
    if (!wine) {
        throw std::runtime_error(wine.message());
    }
    BuiltinRegistryEditor exporter(*wine.value());
    std::ostringstream out;
    if (auto written = exporter.writeRegistry(out); !written) {
        throw std::runtime_error(written.message());
    }
    // The export is UTF-16; the prefix user's keys become Bob's.
    auto text = wideToNarrow(utf16BytesToUnits(out.str().substr(2)));
    if (!text) {
        throw std::runtime_error("the prefix's export is no text");
    }
    std::string reg = replaceAll(*text, "[HKEY_USERS\\S-1-5-21-0-0-0-1000_Classes",
                                 "[HKEY_CURRENT_USER\\Software\\Classes");
    reg = replaceAll(reg, "[HKEY_USERS\\S-1-5-21-0-0-0-1000", "[HKEY_CURRENT_USER");
    const auto wide = narrowToWide(reg);
    importReg(std::string("\xFF\xFE") + unitsToUtf16Bytes(*wide), true);
}

std::filesystem::path WindowsTree::addFile(std::string_view windowsPath) {
    const std::filesystem::path file = hostPath(mount_, windowsPath);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).put('x');
    return file;
}

Result<std::unique_ptr<offline::OfflinePlatform>> WindowsTree::open(std::string_view user) {
    offline::OfflinePlatform::Options options{root_.path(), root_ / "config", root_ / "tolvane",
                                              dataHome()};
    if (!user.empty()) {
        options.user = std::string(user);
    }
    options.volume = &volume;
    options.tempDirectory = root_.path();
    return offline::OfflinePlatform::open(mount_, options);
}

} // namespace tolvane::test
