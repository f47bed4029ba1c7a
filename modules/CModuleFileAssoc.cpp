#include "modules/CModuleFileAssoc.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/base/AsciiText.h"
#include "platform/services/CRegTools.h"
#include "platform/services/PathChecks.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tolvane {

namespace {

// Executable types: whatever they hold, they are never judged or touched.
constexpr std::array<std::string_view, 12> neverExamined{
    ".bat",    ".com",    ".exe",    ".cmd",    ".pif",    ".scr",
    "batfile", "comfile", "cmdfile", "exefile", "piffile", "scrfile"};

// Only every tenth name examined reaches the status line.
constexpr int statusEvery = 10;

bool isNeverExamined(std::string_view name) {
    return std::find(neverExamined.begin(), neverExamined.end(), name) != neverExamined.end();
}

bool isExtension(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

// Key paths are joined in MAX_PATH buffers: one that does not fit is a key that does not open.
bool openClassKey(RegistryGateway& registry, const std::string& path, RegKey& key) {
    return path.size() < maxPath &&
           RegKey::open(registry, hkeyClassesRoot, path, key) == winerr::success;
}

// The default value of an open key, read into a MAX_PATH buffer.
bool readDefaultValue(RegistryGateway& registry, const RegKey& key, std::string& text) {
    std::int32_t size = static_cast<std::int32_t>(maxPath);
    return registry.RegQueryValueA(key.get(), "", &text, size) == winerr::success;
}

} // namespace

CModuleFileAssoc::CModuleFileAssoc(ModuleSet* owner, const Platform& platform)
    : CModule(owner, moduleid::fileAssociations), platform_(platform) {}

ProblemList CModuleFileAssoc::Scan() {
    resetList();
    seenTypes_.clear();
    iconsJudged_.clear();
    RegistryGateway& registry = platform_.registry;
    const FileSystem::ScanScope scanScope(platform_.files);
    PathChecks paths(platform_.files, registry);

    int untilShown = 0;
    std::string name;
    for (std::uint32_t index = 0; !stopRequested(); ++index) {
        const std::int32_t enumerated = registry.RegEnumKeyA(hkeyClassesRoot, index, name, maxPath);
        if (enumerated == winerr::moreData) {
            continue; // a name longer than the buffer is not read
        }
        if (enumerated != winerr::success) {
            break;
        }
        if (isNeverExamined(name) || IsSeenType(name) ||
            IsLinkKey(registry, hkeyClassesRoot, name)) {
            continue;
        }
        if (untilShown == 0) {
            setStatusText("HKEY_CLASSES_ROOT\\" + name);
        }
        untilShown = (untilShown + 1) % statusEvery;

        CheckProgIdClsid(hkeyClassesRoot, name);

        std::string fileType = name;
        {
            RegKey key;
            if (RegKey::open(registry, hkeyClassesRoot, name, key) != winerr::success) {
                continue;
            }
            if (isExtension(name)) {
                if (!readDefaultValue(registry, key, fileType)) {
                    continue;
                }
                if (!fileType.empty()) {
                    seenTypes_.insert(asciiLower(fileType));
                }
            }
        }
        // A type whose command is reported loses its whole key, icon and all.
        if (!fileType.empty() && !checkOpenCommand(name, fileType, paths)) {
            checkDefaultIcon(fileType, paths);
        }
    }
    return takeList();
}

void CModuleFileAssoc::CheckProgIdClsid(HKey root, const std::string& keyName) {
    RegistryGateway& registry = platform_.registry;
    const std::string clsidPath = keyName + "\\CLSID";
    RegKey clsid;
    if (clsidPath.size() >= maxPath ||
        RegKey::open(registry, root, clsidPath, clsid) != winerr::success) {
        return;
    }
    std::string value;
    if (!readDefaultValue(registry, clsid, value)) {
        return;
    }
    if (value.empty()) {
        addProblem(entrykind::fileAssociation, "Empty CLSID",
                   "The CLSID is empty in HKEY_CLASSES_ROOT\\" + keyName + " key ", clsidPath, "");
        return;
    }
    const std::string classText = value.front() == '{' ? value : "{" + value + "}";
    RegKey classKey;
    if (!openClassKey(registry, "CLSID\\" + classText, classKey)) {
        addProblem(entrykind::fileAssociation, "Missing CLSID",
                   "The HKEY_CLASSES_ROOT\\" + keyName +
                       " key points to the missing CLSID HKEY_CLASSES_ROOT\\CLSID\\" + classText,
                   keyName, "");
    }
}

bool CModuleFileAssoc::IsSeenType(std::string_view name) const {
    return seenTypes_.contains(asciiLower(name));
}

bool CModuleFileAssoc::checkOpenCommand(const std::string& keyName, const std::string& fileType,
                                        PathChecks& paths) {
    RegistryGateway& registry = platform_.registry;
    const std::string shellPath = fileType + "\\shell";
    RegKey shell;
    if (!openClassKey(registry, shellPath, shell)) {
        return false;
    }
    const std::string openPath = shellPath + "\\open";
    RegKey open;
    if (!openClassKey(registry, openPath, open)) {
        return false;
    }
    const std::string commandPath = openPath + "\\command";
    RegKey command;
    if (!openClassKey(registry, commandPath, command)) {
        if (IsKeyEmpty(registry, open.get())) {
            addProblem(entrykind::ordinary, "Key is Empty", "The key " + openPath + " is empty",
                       openPath, "");
        }
        return false;
    }
    std::string commandText;
    if (!readDefaultValue(registry, command, commandText)) {
        return false;
    }
    if (!commandText.empty()) {
        if (!paths.CommandTargetExists(commandText)) {
            addProblem(entrykind::ordinary, missingPath,
                       "The Filetype " + keyName +
                           " under HKEY_CLASSES_ROOT is associated to non-existent " + fileType,
                       keyName, isExtension(keyName) ? fileType : std::string());
            return true;
        }
    } else if (IsKeyEmpty(registry, command.get())) {
        addProblem(entrykind::ordinary, "Key is Empty", "The key " + commandPath + " is empty",
                   commandPath, "");
    }
    return false;
}

void CModuleFileAssoc::checkDefaultIcon(const std::string& fileType, PathChecks& paths) {
    // A type that several extensions name is judged once.
    if (!iconsJudged_.insert(asciiLower(fileType)).second) {
        return;
    }
    RegistryGateway& registry = platform_.registry;
    const std::string iconPath = fileType + "\\DefaultIcon";
    RegKey icon;
    std::string location;
    if (!openClassKey(registry, iconPath, icon) || !readDefaultValue(registry, icon, location) ||
        location.empty()) {
        return;
    }
    // "%1" (each file its own icon), an unset variable or no path at all is never reported.
    if (paths.IconState(location) == PathState::missing) {
        addProblem(entrykind::ordinary, missingPath,
                   "The Filetype " + fileType +
                       " under HKEY_CLASSES_ROOT is associated to non-existent " + location,
                   iconPath, "");
    }
}

bool CModuleFileAssoc::Fix(std::span<ProblemRecord> records, bool backup) {
    RegistryGateway& registry = platform_.registry;
    for (ProblemRecord& record : records) {
        // An empty name would stand for HKEY_CLASSES_ROOT itself.
        if (!isMine(record, {entrykind::ordinary, entrykind::fileAssociation}) ||
            record.primaryName.empty()) {
            continue;
        }
        if (backup && !backUpRecord(record)) {
            keepForFailedBackup(record);
            continue;
        }
        keepUnlessRemoved(record, DeleteKeyTree(registry, hkeyClassesRoot, record.primaryName));
        if (!record.secondaryName.empty()) {
            keepUnlessRemoved(record,
                              DeleteKeyTree(registry, hkeyClassesRoot, record.secondaryName));
        }
    }
    return true;
}

bool CModuleFileAssoc::backUpRecord(const ProblemRecord& record) {
    CRegTools tools(platform_);
    const auto file = backupFile();
    if (tools.backupKeyOutcome(file, hkeyClassesRoot, record.primaryName) ==
        BackupOutcome::failed) {
        return false;
    }
    return record.secondaryName.empty() ||
           tools.backupKeyOutcome(file, hkeyClassesRoot, record.secondaryName) !=
               BackupOutcome::failed;
}

std::vector<FixTarget> CModuleFileAssoc::fixTargets(const ProblemRecord& record) const {
    std::vector<FixTarget> targets{FixTarget{hkeyClassesRoot, record.primaryName, {}}};
    if (!record.secondaryName.empty()) {
        targets.push_back(FixTarget{hkeyClassesRoot, record.secondaryName, {}});
    }
    return targets;
}

} // namespace tolvane
