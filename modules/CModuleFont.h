#pragma once

#include "modules/RegistryAreaModule.h"

namespace tolvane {

// The installed fonts: a value of the Fonts key whose file is missing, in the fonts folder or
// at the full path it names, is reported; the fix deletes the value.
class CModuleFont final : public RegistryAreaModule {
public:
    CModuleFont(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;
};

} // namespace tolvane
