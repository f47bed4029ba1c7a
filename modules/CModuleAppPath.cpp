#include "modules/CModuleAppPath.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/RegistryGateway.h"
#include "platform/base/AsciiText.h"
#include "platform/services/PathChecks.h"

#include <algorithm>
#include <array>

namespace tolvane {

namespace {

constexpr std::string_view appPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// Installers and the setup programs of Windows itself.
constexpr std::array<std::string_view, 5> skippedNames{"install.exe", "setup.exe", "win.exe",
                                                       "winnt.exe", "winnt32.exe"};

// A default value of this size or less (in bytes with the NUL) cannot hold a usable path.
constexpr std::int32_t tooShortSize = 7;

} // namespace

CModuleAppPath::CModuleAppPath(ModuleSet* owner, const Platform& platform)
    : RegistryAreaModule(owner, moduleid::appPaths, platform) {}

ProblemList CModuleAppPath::Scan() {
    resetList();
    const FileSystem::ScanScope scanScope(files());
    PathChecks paths(files(), registry());
    walkSubKeys(hkeyLocalMachine, appPathsKey,
                [this, &paths](HKey area, const std::string& name) { examine(area, name, paths); });
    return takeList();
}

void CModuleAppPath::examine(HKey area, const std::string& name, PathChecks& paths) {
    setStatusText(name);
    const std::string lowered = asciiLower(name);
    if (std::find(skippedNames.begin(), skippedNames.end(), lowered) != skippedNames.end()) {
        return;
    }
    std::string value;
    std::int32_t size = maxPath;
    // A value that does not fit the buffer, or a sub-key gone meanwhile, is not judged.
    if (registry().RegQueryValueA(area, name, &value, size) != winerr::success) {
        return;
    }
    // Too short for any path, or no program where the entry says: an entry that cannot be
    // judged (an unset variable) is kept.
    if (size > tooShortSize && paths.AppPathTargetState(value) != PathState::missing) {
        return;
    }
    addProblem(entrykind::ordinary, missingPath,
               "The key " + name +
                   " under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App "
                   "Paths contains a bad path for the default value",
               name, "");
}

bool CModuleAppPath::Fix(std::span<ProblemRecord> records, bool backup) {
    fixSubKeysOfArea(records, backup, hkeyLocalMachine, appPathsKey);
    return true;
}

std::vector<FixTarget> CModuleAppPath::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, std::string(appPathsKey) + record.primaryName, {}}};
}

} // namespace tolvane
