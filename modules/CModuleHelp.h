#pragma once

#include "modules/RegistryAreaModule.h"

#include <string_view>

namespace tolvane {

// The two lists of help files: a value of Help or HTML Help, named after a help file and
// holding its folder, whose folder lacks that file is reported; the fix deletes the value.
class CModuleHelp final : public RegistryAreaModule {
public:
    CModuleHelp(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    void scanList(std::string_view keyPath, std::string_view descriptionStart);
};

} // namespace tolvane
