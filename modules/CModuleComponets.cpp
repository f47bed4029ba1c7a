#include "modules/CModuleComponets.h"

#include "engine/ModuleTable.h"
#include "platform/services/CRegTools.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

namespace tolvane {

namespace {

constexpr std::string_view classesPath = "CLSID\\";
constexpr std::string_view interfacesPath = "Interface\\";
constexpr std::string_view typeLibrariesPath = "TypeLib\\";
constexpr std::string_view machineClassesPath = "SOFTWARE\\Classes\\";

// Paths are joined in buffers of maxPath bytes; a longer one names a key that does not open.
bool fitsPathBuffer(std::string_view path) {
    return path.size() < maxPath;
}

// The status line shows the 5th, 9th, 13th, ... key of a pass.
class StatusCadence {
public:
    bool next() {
        const bool show = counter_ == 4;
        if (show) {
            counter_ = 0;
        }
        ++counter_;
        return show;
    }

private:
    int counter_ = 0;
};

std::uint32_t subKeyCount(RegistryGateway& registry, const RegKey& key) {
    RegKeyInfo info;
    return registry.RegQueryInfoKeyA(key.get(), info, KeyInfoParts::counts) == winerr::success
               ? info.subKeys
               : 0;
}

} // namespace

CModuleComponets::CModuleComponets(ModuleSet* owner, const Platform& platform)
    : CModule(owner, moduleid::components), platform_(platform),
      paths_(platform.files, platform.registry) {}

ProblemList CModuleComponets::Scan() {
    resetList();
    classPass();
    interfacePass();
    typeLibraryPass();
    return takeList();
}

bool CModuleComponets::readSubKeyName(const RegKey& key, std::uint32_t index, std::string& name) {
    // A link key is passed over: what it leads to is seen under its own path.
    return platform_.registry.RegEnumKeyA(key.get(), index, name, maxPath) == winerr::success &&
           !IsLinkKey(platform_.registry, key.get(), name);
}

bool CModuleComponets::readDefaultValue(HKey key) {
    std::uint32_t size = maxPath;
    if (platform_.registry.RegQueryValueExA(key, "", nullptr, &value_, &size) != winerr::success) {
        return false;
    }
    if (const std::size_t nul = value_.find('\0'); nul != std::string::npos) {
        value_.resize(nul);
    }
    return true;
}

template <typename Visit>
void CModuleComponets::forEachEntry(std::string_view areaPath, Visit visit) {
    RegKey area;
    if (RegKey::open(platform_.registry, hkeyClassesRoot, areaPath, area) != winerr::success) {
        return;
    }
    const std::uint32_t count = subKeyCount(platform_.registry, area);
    for (std::uint32_t index = 0; index < count; ++index) {
        if (stopRequested()) {
            return;
        }
        if (!readSubKeyName(area, index, name_)) {
            continue;
        }
        keyPath_.assign(areaPath).append(name_).append("\\");
        if (fitsPathBuffer(keyPath_)) {
            visit(area.get());
        }
    }
}

void CModuleComponets::classPass() {
    StatusCadence cadence;
    forEachEntry(classesPath, [&](HKey classes) {
        RegKey classKey;
        if (RegKey::open(platform_.registry, classes, name_, classKey) != winerr::success) {
            return;
        }
        const bool show = cadence.next();
        CheckServerKey(classKey.get(), keyPath_.size(), keyPath_, "InprocServer32\\", false, show);
        CheckServerKey(classKey.get(), keyPath_.size(), keyPath_, "LocalServer32\\", false, false);
    });
}

void CModuleComponets::interfacePass() {
    StatusCadence cadence;
    // The interface key itself is not opened.
    forEachEntry(interfacesPath, [&](HKey interfaces) {
        const bool show = cadence.next();
        CheckServerKey(interfaces, interfacesPath.size(), keyPath_, "ProxyStubClsid\\", true, show);
        CheckServerKey(interfaces, interfacesPath.size(), keyPath_, "ProxyStubClsid32\\", true,
                       false);
    });
}

void CModuleComponets::CheckServerKey(HKey parent, std::size_t parentLength,
                                      std::string_view keyPath, std::string_view subKey,
                                      bool interfaceCheck, bool show) {
    serverPath_.assign(keyPath).append(subKey);
    if (show) {
        setStatusText(keyPath);
    }
    RegKey server;
    if (!fitsPathBuffer(serverPath_) ||
        RegKey::open(platform_.registry, parent, std::string_view(serverPath_).substr(parentLength),
                     server) != winerr::success ||
        !readDefaultValue(server.get())) {
        return;
    }
    if (interfaceCheck) {
        // A named class is not looked up; only an empty reference is a problem.
        if (value_.empty()) {
            std::string description = "The HKEY_CLASSES_ROOT\\Interface\\";
            description += keyPath.substr(keyPath.find('\\') + 1);
            description += subKey;
            description += " key points to the missing HKEY_CLASSES_ROOT\\CLSID\\";
            addProblem(entrykind::ordinary, "Empty referecnce", description, serverPath_, "");
        }
        return;
    }
    if (paths_.ServerState(value_) == PathState::missing) {
        reportMissingPath(serverPath_);
    }
}

void CModuleComponets::typeLibraryPass() {
    forEachEntry(typeLibrariesPath, [&](HKey libraries) {
        RegKey library;
        if (RegKey::open(platform_.registry, libraries, name_, library) != winerr::success) {
            return;
        }
        const std::size_t libraryLength = keyPath_.size();
        const std::uint32_t versions = subKeyCount(platform_.registry, library);
        for (std::uint32_t version = 0; version < versions && !stopRequested(); ++version) {
            if (!readSubKeyName(library, version, version_)) {
                continue;
            }
            keyPath_.resize(libraryLength);
            keyPath_.append(version_).append("\\");
            if (!fitsPathBuffer(keyPath_)) {
                continue;
            }
            // Only the first locale of a version is examined.
            {
                RegKey versionKey;
                if (RegKey::open(platform_.registry, library.get(), version_, versionKey) !=
                        winerr::success ||
                    !readSubKeyName(versionKey, 0, locale_)) {
                    continue;
                }
            }
            keyPath_.append(locale_).append("\\win32");
            RegKey win32;
            if (!fitsPathBuffer(keyPath_) ||
                RegKey::open(platform_.registry, library.get(),
                             std::string_view(keyPath_).substr(libraryLength),
                             win32) != winerr::success ||
                !readDefaultValue(win32.get())) {
                continue;
            }
            const PathState state = paths_.ServerState(value_);
            setStatusText(value_);
            if (state == PathState::missing) {
                reportMissingPath(keyPath_);
            }
        }
    });
}

void CModuleComponets::reportMissingPath(const std::string& keyPath) {
    std::string description = "The default key under the key HKEY_CLASSES_ROOT\\";
    description += keyPath;
    description += " contains a bad path ";
    description += value_;
    addProblem(entrykind::ordinary, missingPath, description, keyPath, "");
}

bool CModuleComponets::Fix(std::span<ProblemRecord> records, bool backup) {
    CRegTools tools(platform_);
    const auto file = backupFile();
    std::string machinePath;
    for (ProblemRecord& record : records) {
        // An empty name would stand for the classes root itself.
        if (!isMine(record, {entrykind::ordinary}) || record.primaryName.empty()) {
            continue;
        }
        machinePath.assign(machineClassesPath).append(record.primaryName);
        // A machine path that does not fit its buffer names no key: nothing to save or delete.
        const bool machineFits = fitsPathBuffer(machinePath);
        if (backup &&
            (tools.backupKeyOutcome(file, hkeyClassesRoot, record.primaryName) ==
                 BackupOutcome::failed ||
             (machineFits && tools.backupKeyOutcome(file, hkeyLocalMachine, machinePath) ==
                                 BackupOutcome::failed))) {
            keepForFailedBackup(record);
            continue;
        }
        // Only the key named in the record goes, and only when it has no sub-keys.
        keepUnlessRemoved(record,
                          platform_.registry.RegDeleteKeyA(hkeyClassesRoot, record.primaryName));
        if (machineFits) {
            keepUnlessRemoved(record,
                              platform_.registry.RegDeleteKeyA(hkeyLocalMachine, machinePath));
        }
    }
    return true;
}

std::vector<FixTarget> CModuleComponets::fixTargets(const ProblemRecord& record) const {
    std::vector<FixTarget> targets{FixTarget{hkeyClassesRoot, record.primaryName, {}}};
    std::string machinePath(machineClassesPath);
    machinePath += record.primaryName;
    if (fitsPathBuffer(machinePath)) {
        targets.push_back(FixTarget{hkeyLocalMachine, std::move(machinePath), {}});
    }
    return targets;
}

} // namespace tolvane
