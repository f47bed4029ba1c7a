#pragma once

#include "modules/RegistryAreaModule.h"

namespace tolvane {

// The list of installed programs: an entry whose UninstallString names, with a drive, an
// uninstaller that no longer exists is reported; the fix deletes the entry's sub-key.
class CModuleUninstall final : public RegistryAreaModule {
public:
    CModuleUninstall(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    void examine(HKey area, const std::string& name);
};

} // namespace tolvane
