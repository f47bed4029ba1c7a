#include "modules/CModuleUninstall.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/PathChecks.h"
#include "platform/RegKey.h"
#include "platform/RegistryGateway.h"

#include <algorithm>

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
    walkSubKeys(hkeyLocalMachine, uninstallKey,
                [this](HKey area, const std::string& name) { examine(area, name); });
    return takeList();
}

void CModuleUninstall::examine(HKey area, const std::string& name) {
    if (isProductCode(name)) {
        return;
    }
    setStatusText(name);
    std::string command;
    {
        RegKey entry;
        if (RegKey::open(registry(), area, name, entry) != winerr::success) {
            return;
        }
        std::uint32_t size = maxPath;
        if (registry().RegQueryValueExA(entry.get(), "UninstallString", nullptr, &command, &size) !=
            winerr::success) {
            return;
        }
    }
    command.resize(std::min(command.size(), command.find('\0')));
    // A program named without its folder (the installer, a system tool) is never judged.
    std::string path;
    if (!HasDrivePath(command, path) || files().PathFileExistsA(path)) {
        return;
    }
    addProblem(
        entrykind::ordinary, "Invalid Uninstall Path",
        "The key " + name +
            " under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall "
            "contains a bad path for the UninstallString value",
        name, "");
}

bool CModuleUninstall::Fix(std::span<ProblemRecord> records, bool backup) {
    // Each entry is saved on its own, just before its deletion.
    fixSubKeysOfArea(records, backup, hkeyLocalMachine, uninstallKey);
    return true;
}

std::vector<FixTarget> CModuleUninstall::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, std::string(uninstallKey) + record.primaryName, {}}};
}

} // namespace tolvane
