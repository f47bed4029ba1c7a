#include "modules/CModuleHelp.h"

#include "engine/ModuleTable.h"

namespace tolvane {

namespace {

constexpr std::string_view helpKey = "Software\\Microsoft\\Windows\\Help\\";
constexpr std::string_view htmlHelpKey = "Software\\Microsoft\\Windows\\HTML Help\\";

} // namespace

CModuleHelp::CModuleHelp(ModuleSet* owner, const Platform& platform)
    : RegistryAreaModule(owner, moduleid::help, platform) {}

ProblemList CModuleHelp::Scan() {
    resetList();
    scanList(helpKey, "The key Help under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help "
                      "contains a bad path for the value ");
    if (!stopRequested()) {
        scanList(htmlHelpKey, "The key HTML Help under "
                              "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\HTML Help "
                              "contains a bad path for the value ");
    }
    return takeList();
}

void CModuleHelp::scanList(std::string_view keyPath, std::string_view descriptionStart) {
    walkValues(hkeyLocalMachine, keyPath, ValueData::withData, [&](const AreaValue& value) {
        setStatusText(value.text);
        // The default value and one-letter names name no help file.
        if (value.name.size() <= 1) {
            return;
        }
        // An empty folder names no place where the file could be: reported as it stands.
        if (!value.text.empty()) {
            const std::string_view separator = value.text.back() == '\\' ? "" : "\\";
            // The path is built where the folder was read, in 260 bytes.
            if (pathExists(joinedWithin(maxPath, {value.text, separator, value.name}))) {
                return;
            }
        }
        addProblem(entrykind::ordinary, missingPath, std::string(descriptionStart) + value.name,
                   value.name, keyPath);
    });
}

bool CModuleHelp::Fix(std::span<ProblemRecord> records, bool backup) {
    // Both lists are saved, whichever list the records come from.
    fixWithRunBackup(records, backup, hkeyLocalMachine, {helpKey, htmlHelpKey},
                     [this](const ProblemRecord& record) {
                         return deleteEntry(hkeyLocalMachine, record.secondaryName, Entry::value,
                                            record.primaryName);
                     });
    return true;
}

std::vector<FixTarget> CModuleHelp::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, record.secondaryName, record.primaryName}};
}

} // namespace tolvane
