#pragma once

#include "modules/RegistryAreaModule.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

class PathChecks;

// The list of installed programs: an entry whose UninstallString names an uninstaller that
// Windows would not find is reported, and the fix deletes the entry's sub-key. Beside a working
// uninstaller, a QuietUninstallString or DisplayIcon naming a file that is not there is
// reported with the value's name as second name, and the fix deletes only that value.
class CModuleUninstall final : public RegistryAreaModule {
public:
    CModuleUninstall(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    void examine(HKey area, const std::string& name, PathChecks& paths);
    // A text value of an entry read into 260 bytes, up to its first NUL.
    std::optional<std::string> readText(HKey entry, std::string_view valueName);
};

} // namespace tolvane
