#pragma once

#include "modules/RegistryAreaModule.h"

namespace tolvane {

// The list of shared libraries: a value of SharedDlls whose name, the full path of a shared
// file, names nothing that exists is reported; the fix deletes the value.
class CModuleShared final : public RegistryAreaModule {
public:
    CModuleShared(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;
};

} // namespace tolvane
