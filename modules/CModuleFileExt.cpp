#include "modules/CModuleFileExt.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/services/CRegTools.h"
#include "platform/services/PathChecks.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

#include <cstdint>

namespace tolvane {

namespace {

constexpr std::string_view fileExtsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
constexpr std::string_view appPathsParent =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr std::string_view orderValue = "MRUList";

// The buffer the PATH variable is first read into; a longer PATH is read at its full length.
constexpr std::uint32_t searchPathBuffer = 1000;

// "FileExts\<extension>" or "FileExts\<extension>\<sub-key>".
std::string extensionKeyPath(std::string_view extension, std::string_view subKey = {}) {
    std::string path(fileExtsKey);
    path += '\\';
    path += extension;
    if (!subKey.empty()) {
        path += '\\';
        path += subKey;
    }
    return path;
}

// Key paths are joined in MAX_PATH buffers: one that does not fit is a key that does not open.
bool openJoinedKey(RegistryGateway& registry, HKey root, const std::string& path, RegKey& key) {
    return path.size() < maxPath && RegKey::open(registry, root, path, key) == winerr::success;
}

// Registry data as the C string a fixed buffer would hold: up to the first NUL.
std::string textOf(const std::string& data) {
    return data.substr(0, data.find('\0'));
}

std::optional<std::string> readSearchPath(FileSystem& files) {
    std::string path;
    std::uint32_t size = searchPathBuffer;
    std::uint32_t length = files.GetEnvironmentVariableA("PATH", path, size);
    if (length >= size) {
        size = length;
        length = files.GetEnvironmentVariableA("PATH", path, size);
    }
    if (length == 0 || length >= size) {
        return std::nullopt;
    }
    return path;
}

// Whether the default value of `subKey` below `key` names a program that exists.
bool commandOfKeyExists(RegistryGateway& registry, HKey key, std::string_view subKey,
                        PathChecks& paths) {
    RegKey commandKey;
    if (RegKey::open(registry, key, subKey, commandKey) != winerr::success) {
        return false;
    }
    std::string command;
    std::int32_t size = static_cast<std::int32_t>(maxPath);
    return registry.RegQueryValueA(commandKey.get(), "", &command, size) == winerr::success &&
           paths.CommandTargetExists(command);
}

} // namespace

CModuleFileExt::CModuleFileExt(ModuleSet* owner, const Platform& platform)
    : CModule(owner, moduleid::fileExtensions), platform_(platform) {}

ProblemList CModuleFileExt::Scan() {
    resetList();
    RegistryGateway& registry = platform_.registry;
    RegKey fileExts;
    if (RegKey::open(registry, hkeyCurrentUser, fileExtsKey, fileExts) != winerr::success) {
        return takeList();
    }
    const FileSystem::ScanScope scanScope(platform_.files);
    PathChecks paths(platform_.files, registry);
    searchPath_ = readSearchPath(platform_.files);

    std::string extension;
    for (std::uint32_t index = 0; !stopRequested(); ++index) {
        const std::int32_t enumerated =
            registry.RegEnumKeyA(fileExts.get(), index, extension, maxPath);
        if (enumerated == winerr::moreData) {
            continue; // a name longer than the buffer is not read
        }
        if (enumerated != winerr::success) {
            break;
        }
        if (IsLinkKey(registry, fileExts.get(), extension)) {
            continue;
        }
        const std::string keyPath = extensionKeyPath(extension);
        if (keyPath.size() >= maxPath) {
            continue; // no room for its key path: a key that does not open
        }
        setStatusText("HKEY_CURRENT_USER\\" + keyPath);
        if (!isClassKey(extension)) {
            addProblem(entrykind::explorerExtension, missingPath,
                       "The key " + extension + " under " + std::string(fileExtsKey) +
                           " contains a bad path for the value",
                       keyPath, "");
            continue;
        }
        checkOpenWithList(extension, paths);
        checkOpenWithProgids(extension);
    }
    return takeList();
}

bool CModuleFileExt::isClassKey(std::string_view name) {
    RegKey key;
    return RegKey::open(platform_.registry, hkeyClassesRoot, name, key) == winerr::success;
}

void CModuleFileExt::checkOpenWithList(const std::string& extension, PathChecks& paths) {
    RegistryGateway& registry = platform_.registry;
    const std::string keyPath = extensionKeyPath(extension, "OpenWithList");
    RegKey list;
    if (!openJoinedKey(registry, hkeyCurrentUser, keyPath, list)) {
        return;
    }
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const std::string valueName(1, letter);
        std::string data;
        std::uint32_t size = maxPath;
        if (registry.RegQueryValueExA(list.get(), valueName, nullptr, &data, &size) !=
            winerr::success) {
            continue;
        }
        const std::string program = textOf(data);
        if (isOnSearchPath(program) || isRegisteredProgram(program, paths)) {
            continue;
        }
        addProblem(entrykind::ordinary, missingPath,
                   "The key OpenWithList under " + std::string(fileExtsKey) +
                       " contains a bad path " + program + " for the value " + valueName,
                   keyPath, valueName);
    }
}

void CModuleFileExt::checkOpenWithProgids(const std::string& extension) {
    RegistryGateway& registry = platform_.registry;
    const std::string keyPath = extensionKeyPath(extension, "OpenWithProgids");
    RegKey progids;
    if (!openJoinedKey(registry, hkeyCurrentUser, keyPath, progids)) {
        return;
    }
    std::string name;
    for (std::uint32_t index = 0;; ++index) {
        std::uint32_t nameSize = maxPath;
        const std::int32_t enumerated =
            registry.RegEnumValueA(progids.get(), index, name, nameSize, nullptr, nullptr, nullptr);
        if (enumerated == winerr::moreData) {
            continue; // a name longer than the buffer is not read
        }
        if (enumerated != winerr::success) {
            break;
        }
        if (!isClassKey(name)) {
            addProblem(entrykind::ordinary, missingPath,
                       "The key OpenWithProgids under " + extensionKeyPath(extension) +
                           " contains a bad path " + name + " for the value",
                       keyPath, name);
        }
    }
}

bool CModuleFileExt::isOnSearchPath(std::string_view program) {
    if (!searchPath_) {
        return false;
    }
    std::string_view rest = *searchPath_;
    for (;;) {
        const std::size_t semicolon = rest.find(';');
        const std::string_view folder = rest.substr(0, semicolon);
        // An empty piece gives an empty candidate, which names nothing.
        if (!folder.empty()) {
            std::string candidate(folder);
            if (candidate.back() != '\\') {
                candidate += '\\';
            }
            candidate += program;
            if (candidate.size() < maxPath && platform_.files.PathFileExistsA(candidate)) {
                return true;
            }
        }
        if (semicolon == std::string_view::npos) {
            return false;
        }
        rest.remove_prefix(semicolon + 1);
    }
}

bool CModuleFileExt::isRegisteredProgram(const std::string& program, PathChecks& paths) {
    RegistryGateway& registry = platform_.registry;
    {
        RegKey appPath;
        if (openJoinedKey(registry, hkeyLocalMachine, std::string(appPathsParent) + "\\" + program,
                          appPath) &&
            commandOfKeyExists(registry, appPath.get(), "", paths)) {
            return true;
        }
    }
    RegKey application;
    if (!openJoinedKey(registry, hkeyClassesRoot, "Applications\\" + program, application)) {
        return false;
    }
    return commandOfKeyExists(registry, application.get(), "shell\\open\\command", paths) ||
           commandOfKeyExists(registry, application.get(), "shell\\edit\\command", paths);
}

bool CModuleFileExt::Fix(std::span<ProblemRecord> records, bool backup) {
    CRegTools tools(platform_);
    const auto file = backupFile();
    for (ProblemRecord& record : records) {
        // An empty key path would stand for HKEY_CURRENT_USER itself.
        if (!isMine(record, {entrykind::ordinary, entrykind::explorerExtension}) ||
            record.primaryName.empty()) {
            continue;
        }
        if (backup && tools.backupKeyOutcome(file, hkeyCurrentUser, record.primaryName) ==
                          BackupOutcome::failed) {
            keepForFailedBackup(record);
            continue;
        }
        if (record.entryKind == entrykind::explorerExtension) {
            keepUnlessRemoved(
                record, DeleteKeyTree(platform_.registry, hkeyCurrentUser, record.primaryName));
        } else {
            keepUnlessRemoved(record, removeValue(record.primaryName, record.secondaryName));
            // A value the registry kept keeps its place in the order text too.
            if (record.selected != 0) {
                dropFromOrderText(record.primaryName, record.secondaryName);
            }
        }
    }
    return true;
}

std::int32_t CModuleFileExt::removeValue(const std::string& keyPath, const std::string& valueName) {
    RegKey key;
    if (const auto opened = RegKey::open(platform_.registry, hkeyCurrentUser, keyPath, key);
        opened != winerr::success) {
        return opened;
    }
    return platform_.registry.RegDeleteValueA(key.get(), valueName);
}

void CModuleFileExt::dropFromOrderText(const std::string& keyPath, std::string_view valueName) {
    if (valueName.empty()) {
        return;
    }
    RegistryGateway& registry = platform_.registry;
    RegKey key;
    if (RegKey::open(registry, hkeyCurrentUser, keyPath, key) != winerr::success) {
        return;
    }
    std::uint32_t type = regtype::none;
    std::string data;
    std::uint32_t size = maxPath;
    // Only a text is an order text: rewriting other data as REG_SZ would change its meaning.
    if (registry.RegQueryValueExA(key.get(), orderValue, &type, &data, &size) != winerr::success ||
        (type != regtype::sz && type != regtype::expandSz)) {
        return;
    }
    const std::string order = textOf(data);
    std::string kept;
    std::size_t from = 0;
    for (std::size_t hit = order.find(valueName); hit != std::string::npos;
         hit = order.find(valueName, from)) {
        kept.append(order, from, hit - from);
        from = hit + valueName.size();
    }
    if (from == 0) {
        return; // nothing to take out
    }
    kept.append(order, from);
    kept.push_back('\0'); // its length counts the terminating NUL
    registry.RegSetValueExA(key.get(), orderValue, regtype::sz, kept);
}

std::vector<FixTarget> CModuleFileExt::fixTargets(const ProblemRecord& record) const {
    if (record.entryKind == entrykind::explorerExtension) {
        return {FixTarget{hkeyCurrentUser, record.primaryName, {}}};
    }
    return {FixTarget{hkeyCurrentUser, record.primaryName, record.secondaryName}};
}

} // namespace tolvane
