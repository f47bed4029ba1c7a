#include "modules/CModuleDrivers.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/RegistryGateway.h"
#include "platform/services/PathChecks.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

namespace tolvane {

namespace {

constexpr std::string_view driversKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32\\";

// A key reporting more sub-keys than this is taken for a damaged one and not walked into.
constexpr std::uint32_t mostSubKeys = 100000;

} // namespace

CModuleDrivers::CModuleDrivers(ModuleSet* owner, const Platform& platform)
    : RegistryAreaModule(owner, moduleid::drivers, platform),
      paths_(platform.files, platform.registry) {}

ProblemList CModuleDrivers::Scan() {
    resetList();
    const std::string windows = windowsFolder();
    candidateFolders_ = {windows, windows + "system\\", windows + "system32\\",
                         windows + "system32\\Drivers\\"};
    currentPath_ = driversKey;
    pathLengths_.clear();
    scanDriversKey();
    return takeList();
}

void CModuleDrivers::scanDriversKey() {
    std::string keyPath = currentPath_;
    RegKey key;
    if (RegKey::open(registry(), hkeyLocalMachine, keyPath, key) != winerr::success) {
        leaveKey();
        return;
    }
    RegKeyInfo info;
    if (registry().RegQueryInfoKeyA(key.get(), info, KeyInfoParts::counts) != winerr::success) {
        info = {};
    }
    if (info.subKeys >= 1 && info.subKeys <= mostSubKeys) {
        for (std::uint32_t index = 0; index < info.subKeys && !stopRequested(); ++index) {
            std::string name;
            if (registry().RegEnumKeyA(key.get(), index, name, subKeyNameOffer) !=
                    winerr::success ||
                IsLinkKey(registry(), key.get(), name)) {
                continue;
            }
            name += '\\';
            // The path lives in a buffer of 260 bytes: a key whose path would pass it counts as
            // one that cannot be opened.
            if (currentPath_.size() + name.size() >= maxPath) {
                continue;
            }
            pathLengths_.push_back(name.size());
            currentPath_ += name;
            key.close();
            scanDriversKey();
            keyPath = currentPath_;
            if (RegKey::open(registry(), hkeyLocalMachine, keyPath, key) != winerr::success) {
                break;
            }
        }
    }
    leaveKey();
    if (key) {
        walkValues(key.get(), ValueData::withData,
                   [this, &keyPath](const AreaValue& value) { examineValue(value, keyPath); });
    }
}

void CModuleDrivers::leaveKey() {
    if (!pathLengths_.empty()) {
        currentPath_.resize(currentPath_.size() - pathLengths_.back());
        pathLengths_.pop_back();
    }
}

void CModuleDrivers::examineValue(const AreaValue& value, const std::string& keyPath) {
    if (value.type == regtype::dword) {
        return;
    }
    setStatusText(value.name);
    // Only text values are ever reported, so only they need the file tests.
    if (value.type != regtype::sz && value.type != regtype::expandSz) {
        return;
    }
    if (value.text.find(':') != std::string::npos || value.text.find('%') != std::string::npos ||
        value.text.starts_with('"')) {
        // A driver named by its path: expanded and unquoted; one that cannot be told is kept.
        if (paths_.FileState(value.text) != PathState::missing) {
            return;
        }
    } else {
        for (const std::string& folder : candidateFolders_) {
            if (pathExists(joinedWithin(maxPath, {folder, value.text}))) {
                return;
            }
        }
    }
    addProblem(entrykind::ordinary, missingPath,
               "The key Drivers under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows "
               "NT\\CurrentVersion\\Drivers32\\ contains a bad path " +
                   value.text,
               value.name, keyPath);
}

bool CModuleDrivers::Fix(std::span<ProblemRecord> records, bool backup) {
    // The holding key is saved once per record, so a key with several fixed values is in the
    // backup file once for each of them.
    fixWithRecordBackup(
        records, backup, hkeyLocalMachine,
        [](const ProblemRecord& record) { return record.secondaryName; },
        [this](const ProblemRecord& record) {
            return deleteEntry(hkeyLocalMachine, record.secondaryName, Entry::value,
                               record.primaryName);
        });
    return true;
}

std::vector<FixTarget> CModuleDrivers::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, record.secondaryName, record.primaryName}};
}

} // namespace tolvane
