#pragma once

#include <array>
#include <string_view>

namespace tolvane {

inline constexpr int moduleCount = 13;

// Module numbers: they fix the scan order, the counters, the icons and the backup files.
namespace moduleid {
inline constexpr int components = 0;
inline constexpr int userSettings = 1;
inline constexpr int systemSettings = 2;
inline constexpr int sharedDlls = 3;
inline constexpr int drivers = 4;
inline constexpr int fileExtensions = 5;
inline constexpr int appPaths = 6;
inline constexpr int fonts = 7;
inline constexpr int fileAssociations = 8;
inline constexpr int startup = 9;
inline constexpr int sounds = 10;
inline constexpr int uninstall = 11;
inline constexpr int help = 12;
} // namespace moduleid

struct ModuleInfo {
    int moduleId;
    std::string_view className;
    std::string_view displayName;
    std::string_view backupFile;
};

inline constexpr std::array<ModuleInfo, moduleCount> moduleTable{{
    {0, "CModuleComponets", "ActiveX, OLE, COM", "com.reg"},
    {1, "CModuleUserSet", "User Software Settings", "user.reg"},
    {2, "CModuleSysSet", "Sys Software Settings", "system.reg"},
    {3, "CModuleShared", "Shared Dlls Section", "shared.reg"},
    {4, "CModuleDrivers", "System Drivers", "driver.reg"},
    {5, "CModuleFileExt", "File Extensions", "filext.reg"},
    {6, "CModuleAppPath", "Application Paths", "apppath.reg"},
    {7, "CModuleFont", "Fonts Section", "font.reg"},
    {8, "CModuleFileAssoc", "Invalid File Associations", "fileassoc.reg"},
    {9, "CModuleStartup", "Startup Section", "startup.reg"},
    {10, "CModuleSound", "Sound And App Events", "sound.reg"},
    {11, "CModuleUninstall", "Uninstall Secion", "uninstall.reg"},
    {12, "CModuleHelp", "Help Section", "help.reg"},
}};

constexpr bool isModuleId(int moduleId) {
    return moduleId >= 0 && moduleId < moduleCount;
}

// The module's name as the lists show it, "?" for a number no module has.
constexpr std::string_view moduleDisplayName(int moduleId) {
    return isModuleId(moduleId) ? moduleTable[static_cast<std::size_t>(moduleId)].displayName
                                : std::string_view("?");
}

} // namespace tolvane
