#include "modules/CModuleUninstall.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/RegistryGateway.h"
#include "platform/services/PathChecks.h"
#include "platform/services/RegKey.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tolvane {

namespace {

constexpr std::string_view uninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Entries named by a product code in braces belong to the Windows installer.
bool isProductCode(const std::string& name) {
    return !name.empty() && name.front() == '{' && name.back() == '}';
}

} // namespace

CModuleUninstall::CModuleUninstall(ModuleSet* owner, const Platform& platform)
    : RegistryAreaModule(owner, moduleid::uninstall, platform) {}

ProblemList CModuleUninstall::Scan() {
    resetList();
    const FileSystem::ScanScope scanScope(files());
    PathChecks paths(files(), registry());
    walkSubKeys(hkeyLocalMachine, uninstallKey,
                [&](HKey area, const std::string& name) { examine(area, name, paths); });
    return takeList();
}

void CModuleUninstall::examine(HKey area, const std::string& name, PathChecks& paths) {
    if (isProductCode(name)) {
        return;
    }
    setStatusText(name);
    RegKey entry;
    if (RegKey::open(registry(), area, name, entry) != winerr::success) {
        return;
    }
    const std::string description =
        "The key " + name +
        " under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall "
        "contains a bad path for the ";
    // Without its uninstaller the entry is dead and goes as a whole; a missing icon or quiet
    // uninstaller beside a working one costs only that value.
    const auto command = readText(entry.get(), "UninstallString");
    if (command && paths.CommandState(*command) == PathState::missing) {
        addProblem(entrykind::ordinary, "Invalid Uninstall Path",
                   description + "UninstallString value", name, "");
        return;
    }
    const auto quiet = readText(entry.get(), "QuietUninstallString");
    if (quiet && paths.CommandState(*quiet) == PathState::missing) {
        addProblem(entrykind::ordinary, "Invalid Uninstall Path",
                   description + "QuietUninstallString value", name, "QuietUninstallString");
    }
    const auto icon = readText(entry.get(), "DisplayIcon");
    if (icon && paths.IconState(*icon) == PathState::missing) {
        addProblem(entrykind::ordinary, "Invalid Uninstall Path", description + "DisplayIcon value",
                   name, "DisplayIcon");
    }
}

std::optional<std::string> CModuleUninstall::readText(HKey entry, std::string_view valueName) {
    std::string text;
    std::uint32_t size = maxPath;
    if (registry().RegQueryValueExA(entry, valueName, nullptr, &text, &size) != winerr::success) {
        return std::nullopt;
    }
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
}

bool CModuleUninstall::Fix(std::span<ProblemRecord> records, bool backup) {
    // Each entry is saved on its own, just before its deletion or the deletion of its value.
    fixWithRecordBackup(
        records, backup, hkeyLocalMachine,
        [](const ProblemRecord& record) {
            return std::string(uninstallKey) + record.primaryName + "\\";
        },
        [this](const ProblemRecord& record) {
            if (record.secondaryName.empty()) {
                return deleteEntry(hkeyLocalMachine, uninstallKey, Entry::subKey,
                                   record.primaryName);
            }
            return deleteEntry(hkeyLocalMachine, std::string(uninstallKey) + record.primaryName,
                               Entry::value, record.secondaryName);
        });
    return true;
}

std::vector<FixTarget> CModuleUninstall::fixTargets(const ProblemRecord& record) const {
    // A record of one value (an icon, a quiet uninstaller) leaves the rest of its entry alone.
    std::optional<std::string> value;
    if (!record.secondaryName.empty()) {
        value = record.secondaryName;
    }
    return {FixTarget{hkeyLocalMachine, std::string(uninstallKey) + record.primaryName, value}};
}

} // namespace tolvane
