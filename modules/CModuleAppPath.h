#pragma once

#include "modules/RegistryAreaModule.h"

namespace tolvane {

class PathChecks;

// The application path entries of the machine: a sub-key of App Paths whose default value is
// too short, names no drive or names a program that is not there is reported; the fix deletes
// the sub-key.
class CModuleAppPath final : public RegistryAreaModule {
public:
    CModuleAppPath(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    void examine(HKey area, const std::string& name, PathChecks& paths);
};

} // namespace tolvane
