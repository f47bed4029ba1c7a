#include "modules/CModuleShared.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"

namespace tolvane {

namespace {

constexpr std::string_view sharedDllsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls\\";

} // namespace

CModuleShared::CModuleShared(ModuleSet* owner, const Platform& platform)
    : RegistryAreaModule(owner, moduleid::sharedDlls, platform) {}

ProblemList CModuleShared::Scan() {
    resetList();
    // The data is a usage count; only the names matter.
    walkValues(
        hkeyLocalMachine, sharedDllsKey, ValueData::nameOnly, [this](const AreaValue& value) {
            setStatusText(value.name);
            if (value.name.size() <= 1 || files().PathFileExistsA(value.name)) {
                return;
            }
            addProblem(
                entrykind::ordinary, missingPath,
                "The key SharedDlls under "
                "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion contains a "
                "bad path " +
                    value.name,
                value.name, "");
        });
    return takeList();
}

bool CModuleShared::Fix(std::span<ProblemRecord> records, bool backup) {
    fixValuesOfKey(records, backup, hkeyLocalMachine, sharedDllsKey);
    return true;
}

std::vector<FixTarget> CModuleShared::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, std::string(sharedDllsKey), record.primaryName}};
}

} // namespace tolvane
