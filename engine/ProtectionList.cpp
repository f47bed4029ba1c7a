#include "engine/ProtectionList.h"

#include "platform/RegistryGateway.h"
#include "platform/base/AsciiText.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

#include <array>
#include <string>

namespace tolvane {

namespace {

constexpr std::string_view classes = "hklm\\software\\classes";
constexpr std::string_view machineVersion = "hklm\\software\\microsoft\\windows\\currentversion";
constexpr std::string_view userVersion = "hkcu\\software\\microsoft\\windows\\currentversion";

// Containers: the key and every key above it stay; what they hold is judged as usual.
constexpr std::array<std::string_view, 12> containers{
    "hklm\\software\\classes\\clsid",
    "hklm\\software\\classes\\interface",
    "hklm\\software\\classes\\typelib",
    "hklm\\software\\classes\\appid",
    "hklm\\software\\microsoft\\windows\\currentversion\\app paths",
    "hklm\\software\\microsoft\\windows\\currentversion\\uninstall",
    "hklm\\software\\microsoft\\windows\\currentversion\\shareddlls",
    "hklm\\software\\microsoft\\windows nt\\currentversion\\drivers32",
    "hklm\\software\\microsoft\\windows nt\\currentversion\\fonts",
    "hklm\\software\\microsoft\\windows\\help",
    "hklm\\software\\microsoft\\windows\\html help",
    "hkcu\\appevents\\schemes\\apps",
};

// The Run keys below the machine's and the user's CurrentVersion.
constexpr std::array<std::string_view, 6> runKeys{
    "\\run",         "\\runonce",         "\\runonceex",
    "\\runservices", "\\runservicesonce", "\\policies\\explorer\\run",
};

// The 32-bit views: the key, its values and its direct sub-keys.
constexpr std::array<std::string_view, 3> views{
    "hklm\\software\\classes\\wow6432node",
    "hklm\\software\\wow6432node",
    "hkcu\\software\\classes\\wow6432node",
};

// Whole trees: the key, every key and value below it.
constexpr std::array<std::string_view, 6> trees{
    "hklm\\software\\wine",
    "hkcu\\software\\wine",
    "hklm\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "hklm\\software\\microsoft\\windows\\currentversion\\explorer\\user shell folders",
    "hkcu\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "hkcu\\software\\microsoft\\windows\\currentversion\\explorer\\user shell folders",
};

// Keys where Wine registers the bitmap fonts of its code page, and those fonts' names.
constexpr std::array<std::string_view, 2> fontKeys{
    "hklm\\software\\microsoft\\windows nt\\currentversion\\fonts",
    "hklm\\software\\microsoft\\windows\\currentversion\\fonts",
};
constexpr std::array<std::string_view, 4> wineBitmapFonts{"courier", "ms sans serif", "ms serif",
                                                          "small fonts"};
constexpr std::string_view directMusic = "hklm\\software\\microsoft\\directmusic";

bool isWithin(std::string_view path, std::string_view key) {
    return path.size() > key.size() && path.starts_with(key) && path[key.size()] == '\\';
}

std::string_view parentOf(std::string_view path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
}

// Removing the key `path` removes `protectedKey` when it is that key or one above it.
bool removes(std::string_view path, std::string_view protectedKey) {
    return path == protectedKey || isWithin(protectedKey, path);
}

// A bare font file name as Wine writes it: no folder, ending in ".fon".
bool isBareFontFile(std::string_view data) {
    return data.size() > 4 && data.find_first_of("\\/:") == std::string_view::npos &&
           data.ends_with(".fon");
}

} // namespace

ProtectionList::ProtectionList(RegistryGateway& registry) : registry_(registry) {}

std::string ProtectionList::canonicalPath(HKey root, std::string_view keyPath) {
    std::string path;
    if (root == hkeyClassesRoot) {
        path = classes;
    } else if (root == hkeyLocalMachine) {
        path = "hklm";
    } else if (root == hkeyCurrentUser) {
        path = "hkcu";
    } else if (root == hkeyUsers) {
        path = "hku";
    } else if (root == hkeyCurrentConfig) {
        path = "hklm\\system\\currentcontrolset\\hardware profiles\\current";
    } else {
        return {};
    }
    std::size_t pos = 0;
    while (pos < keyPath.size()) {
        std::size_t end = keyPath.find('\\', pos);
        end = end == std::string_view::npos ? keyPath.size() : end;
        if (end > pos) {
            path += '\\';
            path += asciiLower(keyPath.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return path;
}

bool ProtectionList::covers(const FixTarget& target) const {
    const std::string key = canonicalPath(target.root, target.keyPath);
    // A whole root, or one the list cannot place, is never removed.
    if (key.empty() || key.find('\\') == std::string::npos) {
        return true;
    }
    for (const std::string_view tree : trees) {
        if (key == tree || isWithin(key, tree) || (!target.valueName && isWithin(tree, key))) {
            return true;
        }
    }
    for (const std::string_view view : views) {
        if (key == view || (!target.valueName && (removes(key, view) || parentOf(key) == view))) {
            return true;
        }
    }
    if (!target.valueName) {
        for (const std::string_view container : containers) {
            if (removes(key, container)) {
                return true;
            }
        }
        for (const std::string_view version : {machineVersion, userVersion}) {
            for (const std::string_view run : runKeys) {
                if (removes(key, std::string(version) + std::string(run))) {
                    return true;
                }
            }
        }
    }
    return isWineDefaultValue(target, key) || passesThroughLink(target);
}

bool ProtectionList::isWineDefaultValue(const FixTarget& target, std::string_view key) const {
    if (!target.valueName) {
        return false;
    }
    const std::string name = asciiLower(*target.valueName);
    if (key == directMusic) {
        return name == "gmfilepath";
    }
    bool fontKey = false;
    for (const std::string_view fonts : fontKeys) {
        fontKey = fontKey || key == fonts;
    }
    bool wineFont = false;
    for (const std::string_view font : wineBitmapFonts) {
        wineFont = wineFont || name == font;
    }
    if (!fontKey || !wineFont) {
        return false;
    }
    RegKey fonts;
    if (RegKey::open(registry_, target.root, target.keyPath, fonts) != winerr::success) {
        return false;
    }
    std::string data;
    std::uint32_t type = regtype::none;
    std::uint32_t size = maxPath;
    if (registry_.RegQueryValueExA(fonts.get(), *target.valueName, &type, &data, &size) !=
        winerr::success) {
        return false;
    }
    if (const std::size_t nul = data.find('\0'); nul != std::string::npos) {
        data.resize(nul);
    }
    return isBareFontFile(asciiLower(data));
}

bool ProtectionList::passesThroughLink(const FixTarget& target) const {
    // Every key from the root down to the target's own: a fix through a link would reach a key
    // under another path than the one it reported.
    const std::string_view path = target.keyPath;
    std::size_t end = 0;
    while (end < path.size()) {
        end = path.find('\\', end + 1);
        end = end == std::string_view::npos ? path.size() : end;
        const std::string_view prefix = path.substr(0, end);
        if (!prefix.empty() && prefix.back() != '\\' && IsLinkKey(registry_, target.root, prefix)) {
            return true;
        }
    }
    return false;
}

} // namespace tolvane
