#include "modules/CModuleStartup.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace tolvane {

namespace {

constexpr std::string_view runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A folder as the Win32 call reports it into 260 bytes; empty when it does not answer.
template <typename Query>
std::string folderOrEmpty(Query query) {
    std::string folder;
    const std::uint32_t length = query(folder);
    return length == 0 || length >= maxPath ? std::string() : folder;
}

} // namespace

CModuleStartup::CModuleStartup(ModuleSet* owner, const Platform& platform)
    : RegistryAreaModule(owner, moduleid::startup, platform) {}

std::string CModuleStartup::CutToPath(std::string_view command) {
    std::string path;
    for (const char c : command) {
        if (c != '"') {
            path += c;
        }
    }
    path.resize(std::min(path.size(), path.find(" /")));
    path.resize(std::min(path.size(), path.find('/')));
    return path;
}

ProblemList CModuleStartup::Scan() {
    resetList();
    const std::string windows = folderOrEmpty(
        [this](std::string& folder) { return files().GetWindowsDirectoryA(folder, maxPath); });
    const std::string system = folderOrEmpty(
        [this](std::string& folder) { return files().GetSystemDirectoryA(folder, maxPath); });
    walkValues(hkeyLocalMachine, runKey, ValueData::withData, [&](const AreaValue& value) {
        const std::string path = CutToPath(value.text);
        setStatusText(path);
        if (path.size() <= 1 || existsHereOrInSystemFolders(path, windows, system)) {
            return;
        }
        addProblem(
            entrykind::ordinary, "Missing or Invalid Path",
            "The key Run under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion "
            "contains a bad path " +
                path,
            value.name, "");
    });
    return takeList();
}

bool CModuleStartup::existsHereOrInSystemFolders(const std::string& path,
                                                 const std::string& windows,
                                                 const std::string& system) {
    // A folder that did not answer is not tried: a lone backslash in front of the path would
    // name the root of the current drive.
    return files().PathFileExistsA(path) ||
           (!windows.empty() && pathExists(joinedWithin(maxPath, {windows, "\\", path}))) ||
           (!system.empty() && pathExists(joinedWithin(maxPath, {system, "\\", path})));
}

bool CModuleStartup::Fix(std::span<ProblemRecord> records, bool backup) {
    fixValuesOfKey(records, backup, hkeyLocalMachine, runKey);
    return true;
}

std::vector<FixTarget> CModuleStartup::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, std::string(runKey), record.primaryName}};
}

} // namespace tolvane
