#include "modules/CModuleFont.h"

#include "engine/ModuleTable.h"
#include "platform/FileSystem.h"

namespace tolvane {

namespace {

constexpr std::string_view fontsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";

// The fonts folder and the file name are joined in a buffer of 264 bytes.
constexpr std::size_t joinedPathBuffer = 264;

} // namespace

CModuleFont::CModuleFont(ModuleSet* owner, const Platform& platform)
    : RegistryAreaModule(owner, moduleid::fonts, platform) {}

ProblemList CModuleFont::Scan() {
    resetList();
    const std::string fontsFolder = windowsFolder() + "Fonts\\";
    walkValues(hkeyLocalMachine, fontsKey, ValueData::withData, [&](const AreaValue& value) {
        setStatusText(value.name);
        // A file named with a drive (or any colon) stands for itself.
        const bool fullPath = value.text.find(':') != std::string::npos;
        if (pathExists(joinedWithin(joinedPathBuffer,
                                    {fullPath ? std::string_view() : fontsFolder, value.text}))) {
            return;
        }
        // A file named alone may be one of the font loader's own (Wine's fonts in a prefix);
        // it is reported only where every folder the loader reads is known not to hold it.
        if (!fullPath && files().FindLoaderFont(value.text) != PathState::missing) {
            return;
        }
        addProblem(entrykind::ordinary, missingPath,
                   "The key Fonts under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows "
                   "NT\\CurrentVersion\\Fonts contains a bad path for the value " +
                       value.name,
                   value.name, "");
    });
    return takeList();
}

bool CModuleFont::Fix(std::span<ProblemRecord> records, bool backup) {
    fixValuesOfKey(records, backup, hkeyLocalMachine, fontsKey);
    return true;
}

std::vector<FixTarget> CModuleFont::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{hkeyLocalMachine, std::string(fontsKey), record.primaryName}};
}

} // namespace tolvane
