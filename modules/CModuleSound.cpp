#include "modules/CModuleSound.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/services/CRegTools.h"
#include "platform/services/PathChecks.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

namespace tolvane {

namespace {

constexpr std::string_view appsPath = "AppEvents\\Schemes\\Apps\\";

} // namespace

CModuleSound::CModuleSound(ModuleSet* owner, const Platform& platform)
    : CModule(owner, moduleid::sounds), platform_(platform),
      paths_(platform.files, platform.registry) {}

ProblemList CModuleSound::Scan() {
    resetList();
    keyPath_.assign(appsPath);
    walk();
    return takeList();
}

// Each level adds at least two characters to a path that must fit maxPath, so the recursion
// stays below maxPath / 2 levels whatever the tree holds (links looping back included).
void CModuleSound::walk() {
    if (stopRequested() || keyPath_.size() >= maxPath) {
        return;
    }
    RegKey key;
    if (RegKey::open(platform_.registry, hkeyCurrentUser, keyPath_, key) != winerr::success) {
        return;
    }
    RegKeyInfo info;
    if (platform_.registry.RegQueryInfoKeyA(key.get(), info, KeyInfoParts::counts) !=
        winerr::success) {
        info = RegKeyInfo{};
    }
    for (std::uint32_t index = 0; index < info.subKeys; ++index) {
        if (stopRequested()) {
            return;
        }
        if (platform_.registry.RegEnumKeyA(key.get(), index, subKeyName_, subKeyNameOffer) !=
                winerr::success ||
            IsLinkKey(platform_.registry, key.get(), subKeyName_)) {
            continue;
        }
        const std::size_t length = keyPath_.size();
        keyPath_ += subKeyName_;
        keyPath_ += '\\';
        walk();
        keyPath_.resize(length);
    }
    for (std::uint32_t index = 0; index < info.values; ++index) {
        examineValue(key.get(), index);
    }
}

void CModuleSound::examineValue(HKey key, std::uint32_t index) {
    std::uint32_t nameSize = maxPath;
    std::uint32_t dataSize = maxPath;
    if (platform_.registry.RegEnumValueA(key, index, valueName_, nameSize, nullptr, &valueData_,
                                         &dataSize) != winerr::success ||
        dataSize == 0) {
        return;
    }
    if (const std::size_t nul = valueData_.find('\0'); nul != std::string::npos) {
        valueData_.resize(nul);
    }
    // A sound named with a drive, quoted or not, with environment references; a bare name is
    // looked for in places this check does not know, so it is never reported.
    if (paths_.FileState(valueData_) != PathState::missing) {
        return;
    }
    std::string description = "The key ";
    description += keyPath_;
    if (valueName_.empty()) {
        description += " under HKEY_CURRENT_USER contains a bad path for the default value";
    } else {
        description += " under HKEY_CURRENT_USER contains a bad path for the value ";
        description += valueName_;
    }
    addProblem(entrykind::ordinary, missingPath, description, keyPath_, valueName_);
}

bool CModuleSound::Fix(std::span<ProblemRecord> records, bool backup) {
    CRegTools tools(platform_);
    bool backupTried = false;
    bool backupFailed = false;
    for (ProblemRecord& record : records) {
        if (!isMine(record, {entrykind::ordinary})) {
            continue;
        }
        // The whole tree is saved once, before the first change.
        if (backup && !backupTried) {
            backupTried = true;
            backupFailed = tools.backupKeyOutcome(backupFile(), hkeyCurrentUser, appsPath) ==
                           BackupOutcome::failed;
        }
        if (backupFailed) {
            keepForFailedBackup(record);
            continue;
        }
        // A key removed since the scan is left alone rather than made anew.
        RegKey key;
        if (RegKey::open(platform_.registry, hkeyCurrentUser, record.primaryName, key) !=
            winerr::success) {
            continue;
        }
        if (record.secondaryName.empty()) {
            keepUnlessRemoved(record,
                              platform_.registry.RegSetValueA(key.get(), "", regtype::sz, ""));
        } else {
            keepUnlessRemoved(record, platform_.registry.RegSetValueExA(
                                          key.get(), record.secondaryName, regtype::sz, ""));
        }
    }
    return true;
}

std::vector<FixTarget> CModuleSound::fixTargets(const ProblemRecord& record) const {
    // The fix empties the value rather than deleting it: still a change to that value.
    return {FixTarget{hkeyCurrentUser, record.primaryName, record.secondaryName}};
}

} // namespace tolvane
