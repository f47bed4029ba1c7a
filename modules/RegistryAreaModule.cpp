#include "modules/RegistryAreaModule.h"

#include "platform/FileSystem.h"
#include "platform/RegistryGateway.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

namespace tolvane {

namespace {

// Sub-key names are read into a buffer of 260 bytes of which 259 are offered.

} // namespace

RegistryAreaModule::RegistryAreaModule(ModuleSet* owner, int moduleId, const Platform& platform)
    : CModule(owner, moduleId), platform_(platform) {}

bool RegistryAreaModule::walkValues(HKey root, std::string_view path, ValueData data,
                                    const ValueVisitor& visit) {
    RegKey key;
    if (RegKey::open(registry(), root, path, key) != winerr::success) {
        return false;
    }
    walkValues(key.get(), data, visit);
    return true;
}

void RegistryAreaModule::walkValues(HKey key, ValueData data, const ValueVisitor& visit) {
    RegKeyInfo info;
    if (registry().RegQueryInfoKeyA(key, info, KeyInfoParts::counts) != winerr::success) {
        return;
    }
    const bool withData = data == ValueData::withData;
    for (std::uint32_t index = 0; index < info.values && !stopRequested(); ++index) {
        AreaValue value;
        std::uint32_t nameSize = maxPath;
        std::uint32_t dataSize = maxPath;
        std::string bytes;
        if (registry().RegEnumValueA(key, index, value.name, nameSize, &value.type,
                                     withData ? &bytes : nullptr,
                                     withData ? &dataSize : nullptr) != winerr::success) {
            continue;
        }
        value.text = bytes.substr(0, bytes.find('\0'));
        visit(value);
    }
}

bool RegistryAreaModule::walkSubKeys(HKey root, std::string_view path, const SubKeyVisitor& visit) {
    RegKey area;
    if (RegKey::open(registry(), root, path, area) != winerr::success) {
        return false;
    }
    RegKeyInfo info;
    if (registry().RegQueryInfoKeyA(area.get(), info, KeyInfoParts::counts) != winerr::success) {
        return true;
    }
    for (std::uint32_t index = 0; index < info.subKeys && !stopRequested(); ++index) {
        std::string name;
        if (registry().RegEnumKeyA(area.get(), index, name, subKeyNameOffer) == winerr::success &&
            !IsLinkKey(registry(), area.get(), name)) {
            visit(area.get(), name);
        }
    }
    return true;
}

void RegistryAreaModule::fixWithRunBackup(std::span<ProblemRecord> records, bool backup, HKey root,
                                          std::initializer_list<std::string_view> keysToSave,
                                          const Removal& remove) {
    CRegTools tools(platform_);
    bool saveTried = false;
    bool saveFailed = false;
    for (auto& record : records) {
        if (!isMine(record, {entrykind::ordinary})) {
            continue;
        }
        if (backup && !saveTried) {
            saveTried = true;
            for (const std::string_view key : keysToSave) {
                if (saveKey(tools, root, key) == BackupOutcome::failed) {
                    saveFailed = true;
                    break;
                }
            }
        }
        if (saveFailed) {
            keepForFailedBackup(record);
            continue;
        }
        keepUnlessRemoved(record, remove(record));
    }
}

void RegistryAreaModule::fixWithRecordBackup(std::span<ProblemRecord> records, bool backup,
                                             HKey root, const KeyOfRecord& keyToSave,
                                             const Removal& remove) {
    CRegTools tools(platform_);
    for (auto& record : records) {
        if (!isMine(record, {entrykind::ordinary})) {
            continue;
        }
        if (backup && saveKey(tools, root, keyToSave(record)) == BackupOutcome::failed) {
            keepForFailedBackup(record);
            continue;
        }
        keepUnlessRemoved(record, remove(record));
    }
}

void RegistryAreaModule::fixValuesOfKey(std::span<ProblemRecord> records, bool backup, HKey root,
                                        std::string_view keyPath) {
    fixWithRunBackup(records, backup, root, {keyPath}, [&](const ProblemRecord& record) {
        return deleteEntry(root, keyPath, Entry::value, record.primaryName);
    });
}

void RegistryAreaModule::fixSubKeysOfArea(std::span<ProblemRecord> records, bool backup, HKey root,
                                          std::string_view areaPath) {
    fixWithRecordBackup(
        records, backup, root,
        [&](const ProblemRecord& record) {
            return std::string(areaPath) + record.primaryName + "\\";
        },
        [&](const ProblemRecord& record) {
            return deleteEntry(root, areaPath, Entry::subKey, record.primaryName);
        });
}

std::int32_t RegistryAreaModule::deleteEntry(HKey root, std::string_view keyPath, Entry entry,
                                             std::string_view name) {
    RegKey key;
    if (const auto opened = RegKey::open(registry(), root, keyPath, key);
        opened != winerr::success) {
        return opened;
    }
    if (entry == Entry::value) {
        return registry().RegDeleteValueA(key.get(), name);
    }
    // An empty name would delete the area key itself.
    return name.empty() ? winerr::invalidParameter : registry().RegDeleteKeyA(key.get(), name);
}

std::string RegistryAreaModule::windowsFolder() {
    std::string folder;
    const std::uint32_t length = files().GetEnvironmentVariableA("WINDIR", folder, maxPath);
    if (length == 0 || length >= maxPath) {
        // An unset WINDIR would turn every candidate into a relative path.
        const std::uint32_t fallback = files().GetWindowsDirectoryA(folder, maxPath);
        if (fallback == 0 || fallback >= maxPath) {
            return {};
        }
    }
    if (folder.empty() || folder.back() != '\\') {
        folder += '\\';
    }
    return folder;
}

bool RegistryAreaModule::pathExists(const std::optional<std::string>& path) {
    return path.has_value() && files().PathFileExistsA(*path);
}

std::optional<std::string>
RegistryAreaModule::joinedWithin(std::size_t bufferSize,
                                 std::initializer_list<std::string_view> parts) {
    std::size_t length = 0;
    for (const std::string_view part : parts) {
        length += part.size();
    }
    if (length >= bufferSize) {
        return std::nullopt;
    }
    std::string joined;
    joined.reserve(length);
    for (const std::string_view part : parts) {
        joined += part;
    }
    return joined;
}

BackupOutcome RegistryAreaModule::saveKey(CRegTools& tools, HKey root, std::string_view keyPath) {
    // The key path is handed to the editor in a buffer of 260 bytes: a longer one cannot be
    // exported.
    if (keyPath.size() >= maxPath) {
        return BackupOutcome::failed;
    }
    return tools.backupKeyOutcome(backupFile(), root, keyPath);
}

} // namespace tolvane
