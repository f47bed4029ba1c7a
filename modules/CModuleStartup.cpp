#include "modules/CModuleStartup.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"
#include "platform/services/PathChecks.h"

#include <algorithm>
#include <vector>

namespace tolvane {

namespace {

constexpr std::string_view runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The second name of a record from the user's own Run key.
constexpr std::string_view userRunMark = "HKEY_CURRENT_USER";

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
    const FileSystem::ScanScope scanScope(files());
    PathChecks paths(files(), registry());
    scanRunKey(paths, hkeyLocalMachine, "HKEY_LOCAL_MACHINE", {});
    if (!stopRequested()) {
        scanRunKey(paths, hkeyCurrentUser, "HKEY_CURRENT_USER", userRunMark);
    }
    return takeList();
}

void CModuleStartup::scanRunKey(PathChecks& paths, HKey root, std::string_view rootName,
                                std::string_view mark) {
    walkValues(root, runKey, ValueData::withData, [&](const AreaValue& value) {
        const std::string path = CutToPath(value.text);
        setStatusText(path);
        // The command is started as Windows starts it: only a program that is surely not
        // there is reported.
        if (path.size() <= 1 || paths.CommandState(value.text) != PathState::missing) {
            return;
        }
        addProblem(entrykind::ordinary, missingPath,
                   "The key Run under " + std::string(rootName) +
                       "\\Software\\Microsoft\\Windows\\CurrentVersion contains a bad path " + path,
                   value.name, std::string(mark));
    });
}

bool CModuleStartup::Fix(std::span<ProblemRecord> records, bool backup) {
    // Each Run key is saved once, before the first of its own values goes: the records are
    // fixed in two groups and their outcome copied back in place.
    for (const bool user : {false, true}) {
        std::vector<ProblemRecord> group;
        std::vector<std::size_t> places;
        for (std::size_t index = 0; index < records.size(); ++index) {
            if ((records[index].secondaryName == userRunMark) == user) {
                group.push_back(records[index]);
                places.push_back(index);
            }
        }
        if (group.empty()) {
            continue;
        }
        fixValuesOfKey(group, backup, user ? hkeyCurrentUser : hkeyLocalMachine, runKey);
        for (std::size_t index = 0; index < group.size(); ++index) {
            records[places[index]] = std::move(group[index]);
        }
    }
    return true;
}

std::vector<FixTarget> CModuleStartup::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, std::string(runKey), record.primaryName}};
}

} // namespace tolvane
