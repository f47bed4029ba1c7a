#include "platform/prefix/PrefixEnvironment.h"

#include "platform/services/RegKey.h"

#include <array>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tolvane::prefix {

namespace {

constexpr std::string_view sessionEnvironmentKey =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr std::string_view profileListKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr std::string_view currentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
// Names may be as long as the registry allows.
constexpr std::uint32_t valueNameBuffer = 16384;

// The text of string data as the "A" functions hand it out: up to the first NUL.
std::string textOf(const std::string& data) {
    return data.substr(0, data.find('\0'));
}

// Wine names the Windows user after the Unix user.
std::string hostUserName() {
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') {
        return user;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr) {
        return entry->pw_name;
    }
    return "wine";
}

} // namespace

PrefixEnvironment::PrefixEnvironment(RegistryGateway& registry, const NameFolder& folder,
                                     std::string userName)
    : folder_(folder) {
    // Wine's loader sets these itself; it keeps Windows in C:\windows whatever the registry says.
    set("SystemDrive", "C:");
    set("SystemRoot", "C:\\windows");
    addRegistryValues(registry, hkeyLocalMachine, sessionEnvironmentKey);
    addRegistryValues(registry, hkeyCurrentUser, "Environment");
    addRegistryValues(registry, hkeyCurrentUser, "Volatile Environment");
    addComputedValues(registry);
    if (userName.empty()) {
        userName = hostUserName();
    }
    addFreshPrefixValues(registry, userName);
}

std::optional<std::string> PrefixEnvironment::get(std::string_view name) const {
    const std::string* value = find(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return *value;
}

std::string PrefixEnvironment::expand(std::string_view text) const {
    std::string expanded;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        if (open == std::string_view::npos) {
            expanded += text.substr(pos);
            break;
        }
        expanded += text.substr(pos, open - pos);
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            expanded += text.substr(open);
            break;
        }
        // An unknown name stays with both its '%'; reading goes on after the closing one.
        const std::string* value = find(text.substr(open + 1, close - open - 1));
        expanded +=
            value != nullptr ? std::string_view(*value) : text.substr(open, close - open + 1);
        pos = close + 1;
    }
    return expanded;
}

void PrefixEnvironment::set(std::string_view name, std::string value) {
    std::string folded = folder_.fold(name);
    for (auto& variable : variables_) {
        if (variable.folded == folded) {
            variable.value = std::move(value);
            return;
        }
    }
    variables_.push_back(Variable{std::string(name), std::move(value), std::move(folded)});
}

void PrefixEnvironment::setUnlessSet(std::string_view name, std::string value) {
    if (find(name) == nullptr) {
        set(name, std::move(value));
    }
}

const std::string* PrefixEnvironment::find(std::string_view name) const {
    if (name.empty()) {
        return nullptr;
    }
    const std::string folded = folder_.fold(name);
    for (const auto& variable : variables_) {
        if (variable.folded == folded) {
            return &variable.value;
        }
    }
    return nullptr;
}

void PrefixEnvironment::addRegistryValues(RegistryGateway& registry, HKey root,
                                          std::string_view path) {
    RegKey key;
    if (RegKey::open(registry, root, path, key) != winerr::success) {
        return;
    }
    for (std::uint32_t index = 0;; ++index) {
        std::string name;
        std::uint32_t nameSize = valueNameBuffer;
        std::uint32_t type = 0;
        std::uint32_t dataSize = 0;
        if (registry.RegEnumValueA(key.get(), index, name, nameSize, &type, nullptr, &dataSize) !=
            winerr::success) {
            break;
        }
        std::string data;
        nameSize = valueNameBuffer;
        if (type != regtype::sz && type != regtype::expandSz) {
            continue;
        }
        if (registry.RegEnumValueA(key.get(), index, name, nameSize, &type, &data, &dataSize) !=
            winerr::success) {
            continue;
        }
        std::string value = textOf(data);
        if (value.empty()) {
            continue;
        }
        if (type == regtype::expandSz) {
            value = expand(value);
        }
        // A later PATH adds to the one set before.
        if (const std::string* path = find("PATH");
            path != nullptr && folder_.equal(name, "PATH")) {
            value = *path + ";" + value;
        }
        set(name, std::move(value));
    }
}

void PrefixEnvironment::addComputedValues(RegistryGateway& registry) {
    struct Source {
        std::string_view key;
        std::string_view value;
        std::array<std::string_view, 2> variables;
    };
    // The program folders are those a 64-bit process gets.
    const Source sources[] = {
        {profileListKey, "ProgramData", {"ALLUSERSPROFILE", "ProgramData"}},
        {profileListKey, "Public", {"PUBLIC"}},
        {currentVersionKey, "ProgramFilesDir", {"ProgramFiles", "ProgramW6432"}},
        {currentVersionKey, "ProgramFilesDir (x86)", {"ProgramFiles(x86)"}},
        {currentVersionKey, "CommonFilesDir", {"CommonProgramFiles", "CommonProgramW6432"}},
        {currentVersionKey, "CommonFilesDir (x86)", {"CommonProgramFiles(x86)"}},
    };
    for (const auto& source : sources) {
        if (const auto text = readText(registry, hkeyLocalMachine, source.key, source.value)) {
            for (const auto variable : source.variables) {
                if (!variable.empty()) {
                    set(variable, *text);
                }
            }
        }
    }
    // wineboot copies the stored name to the volatile ActiveComputerName at every start.
    auto computerName = readText(
        registry, hkeyLocalMachine,
        "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName", "ComputerName");
    if (!computerName) {
        computerName = readText(registry, hkeyLocalMachine,
                                "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                                "ComputerName");
    }
    if (computerName) {
        set("COMPUTERNAME", std::move(*computerName));
    }
}

void PrefixEnvironment::addFreshPrefixValues(RegistryGateway& registry,
                                             const std::string& userName) {
    // The values wine.inf and wineboot write into a new 64-bit prefix, for a prefix whose
    // registry lacks them: computed here, not read.
    const std::string windows = *find("SystemRoot");
    const std::string system = windows + "\\system32";
    setUnlessSet("windir", windows);
    setUnlessSet("winsysdir", system);
    setUnlessSet("ComSpec", system + "\\cmd.exe");
    setUnlessSet("PATH", system + ";" + windows + ";" + system + "\\wbem;" + system +
                             "\\WindowsPowershell\\v1.0");
    setUnlessSet("PATHEXT", ".com;.exe;.bat;.cmd;.vbs;.vbe;.js;.jse;.wsf;.wsh");
    setUnlessSet("OS", "Windows_NT");
    setUnlessSet("PROCESSOR_ARCHITECTURE", "AMD64");
    setUnlessSet("USERNAME", userName);
    const std::string profiles =
        readText(registry, hkeyLocalMachine, profileListKey, "ProfilesDirectory")
            .value_or("C:\\users");
    setUnlessSet("USERPROFILE", profiles + "\\" + *find("USERNAME"));
    const std::string profile = *find("USERPROFILE");
    setUnlessSet("HOMEDRIVE", profile.substr(0, 2));
    setUnlessSet("HOMEPATH", profile.size() > 2 ? profile.substr(2) : "\\");
    setUnlessSet("APPDATA", profile + "\\AppData\\Roaming");
    setUnlessSet("LOCALAPPDATA", profile + "\\AppData\\Local");
    setUnlessSet("TEMP", profile + "\\Temp");
    setUnlessSet("TMP", profile + "\\Temp");
    setUnlessSet("ALLUSERSPROFILE", "C:\\ProgramData");
    setUnlessSet("ProgramData", "C:\\ProgramData");
    setUnlessSet("PUBLIC", profiles + "\\Public");
    setUnlessSet("ProgramFiles", "C:\\Program Files");
    setUnlessSet("ProgramW6432", "C:\\Program Files");
    setUnlessSet("ProgramFiles(x86)", "C:\\Program Files (x86)");
    setUnlessSet("CommonProgramFiles", "C:\\Program Files\\Common Files");
    setUnlessSet("CommonProgramW6432", "C:\\Program Files\\Common Files");
    setUnlessSet("CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files");
}

std::optional<std::string> PrefixEnvironment::readText(RegistryGateway& registry, HKey root,
                                                       std::string_view path,
                                                       std::string_view valueName) const {
    RegKey key;
    if (RegKey::open(registry, root, path, key) != winerr::success) {
        return std::nullopt;
    }
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (registry.RegQueryValueExA(key.get(), valueName, &type, nullptr, &size) != winerr::success ||
        (type != regtype::sz && type != regtype::expandSz)) {
        return std::nullopt;
    }
    std::string data;
    if (registry.RegQueryValueExA(key.get(), valueName, &type, &data, &size) != winerr::success) {
        return std::nullopt;
    }
    std::string text = textOf(data);
    if (text.empty()) {
        return std::nullopt;
    }
    return type == regtype::expandSz ? expand(text) : text;
}

} // namespace tolvane::prefix
