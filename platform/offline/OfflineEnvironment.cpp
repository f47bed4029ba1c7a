#include "platform/offline/OfflineEnvironment.h"

#include "platform/base/AsciiText.h"
#include "platform/services/RegKey.h"

namespace tolvane::offline {

OfflineEnvironment::OfflineEnvironment(RegistryGateway& registry, std::string userProfile) {
    set("SystemDrive", "C:");
    std::string root = readText(registry, hkeyLocalMachine,
                                "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot")
                           .value_or("C:\\Windows");
    set("SystemRoot", root);
    set("windir", root);
    addValues(registry, hkeyLocalMachine,
              "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");

    const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    const std::string programData =
        readText(registry, hkeyLocalMachine, profiles, "ProgramData").value_or("C:\\ProgramData");
    setUnlessSet("ALLUSERSPROFILE", programData);
    setUnlessSet("ProgramData", programData);
    setUnlessSet(
        "PUBLIC",
        readText(registry, hkeyLocalMachine, profiles, "Public").value_or("C:\\Users\\Public"));
    const std::string current = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    const std::pair<const char*, const char*> folders[] = {
        {"ProgramFiles", "ProgramFilesDir"},
        {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
        {"ProgramW6432", "ProgramW6432Dir"},
        {"CommonProgramFiles", "CommonFilesDir"},
        {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"},
        {"CommonProgramW6432", "CommonW6432Dir"},
    };
    for (const auto& [variable, value] : folders) {
        if (auto text = readText(registry, hkeyLocalMachine, current, value)) {
            setUnlessSet(variable, std::move(*text));
        }
    }
    if (auto name = readText(registry, hkeyLocalMachine,
                             "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                             "ComputerName")) {
        setUnlessSet("COMPUTERNAME", std::move(*name));
    }

    if (!userProfile.empty()) {
        userProfile = expand(userProfile);
        set("USERPROFILE", userProfile);
        const std::size_t slash = userProfile.rfind('\\');
        set("USERNAME", slash == std::string::npos ? userProfile : userProfile.substr(slash + 1));
        if (userProfile.size() >= 2 && userProfile[1] == ':') {
            set("HOMEDRIVE", userProfile.substr(0, 2));
            set("HOMEPATH", userProfile.substr(2));
        }
        set("APPDATA", userProfile + "\\AppData\\Roaming");
        set("LOCALAPPDATA", userProfile + "\\AppData\\Local");
        addValues(registry, hkeyCurrentUser, "Environment");
    }

    // What Windows sets when the hives do not say.
    setUnlessSet("ProgramFiles", "C:\\Program Files");
    setUnlessSet("ProgramFiles(x86)", "C:\\Program Files (x86)");
    setUnlessSet("ProgramW6432", "C:\\Program Files");
    setUnlessSet("CommonProgramFiles", "C:\\Program Files\\Common Files");
    setUnlessSet("CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files");
    setUnlessSet("CommonProgramW6432", "C:\\Program Files\\Common Files");
    setUnlessSet("ComSpec", root + "\\system32\\cmd.exe");
    setUnlessSet("PATHEXT", ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC");
    setUnlessSet("Path", root + "\\system32;" + root + ";" + root + "\\System32\\Wbem");
}

const std::string* OfflineEnvironment::find(std::string_view name) const {
    for (const Variable& variable : variables_) {
        if (equalsIgnoringAsciiCase(variable.name, name)) {
            return &variable.value;
        }
    }
    return nullptr;
}

void OfflineEnvironment::set(std::string_view name, std::string value) {
    for (Variable& variable : variables_) {
        if (equalsIgnoringAsciiCase(variable.name, name)) {
            variable.value = std::move(value);
            return;
        }
    }
    variables_.push_back({std::string(name), std::move(value)});
}

void OfflineEnvironment::setUnlessSet(std::string_view name, std::string value) {
    if (find(name) == nullptr) {
        set(name, std::move(value));
    }
}

std::optional<std::string> OfflineEnvironment::get(std::string_view name) const {
    const std::string* value = find(name);
    return value != nullptr ? std::optional<std::string>(*value) : std::nullopt;
}

std::string OfflineEnvironment::expand(std::string_view text) const {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        if (open == std::string_view::npos) {
            break;
        }
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        out.append(text.substr(at, open - at));
        if (const std::string* value = find(text.substr(open + 1, close - open - 1));
            value != nullptr && close > open + 1) {
            out += *value;
            at = close + 1;
        } else {
            // Unknown: the first '%' stays and the second may open the next reference.
            out.append(text.substr(open, close - open));
            at = close;
        }
    }
    out.append(text.substr(std::min(at, text.size())));
    return out;
}

std::optional<std::string> OfflineEnvironment::readText(RegistryGateway& registry, HKey root,
                                                        std::string_view path,
                                                        std::string_view name) const {
    RegKey key;
    if (RegKey::open(registry, root, path, key) != winerr::success) {
        return std::nullopt;
    }
    std::uint32_t type = 0;
    std::string data;
    std::uint32_t size = 32768;
    if (registry.RegQueryValueExA(key.get(), name, &type, &data, &size) != winerr::success ||
        !regtype::isString(type)) {
        return std::nullopt;
    }
    data = data.substr(0, data.find('\0'));
    if (data.empty()) {
        return std::nullopt;
    }
    return type == regtype::expandSz ? expand(data) : data;
}

void OfflineEnvironment::addValues(RegistryGateway& registry, HKey root, std::string_view path) {
    RegKey key;
    if (RegKey::open(registry, root, path, key) != winerr::success) {
        return;
    }
    for (std::uint32_t index = 0;; ++index) {
        std::string name;
        std::uint32_t nameSize = 16384;
        std::uint32_t type = 0;
        std::string data;
        std::uint32_t size = 32768;
        const std::int32_t rc =
            registry.RegEnumValueA(key.get(), index, name, nameSize, &type, &data, &size);
        if (rc == winerr::noMoreItems) {
            return;
        }
        if (rc != winerr::success || !regtype::isString(type) || name.empty()) {
            continue;
        }
        std::string value = data.substr(0, data.find('\0'));
        if (value.empty()) {
            continue;
        }
        if (type == regtype::expandSz) {
            value = expand(value);
        }
        const std::string* before = find(name);
        if (before != nullptr && equalsIgnoringAsciiCase(name, "Path")) {
            value = *before + ";" + value;
        }
        set(name, std::move(value));
    }
}

} // namespace tolvane::offline
