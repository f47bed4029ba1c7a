#pragma once

#include "modules/RegistryAreaModule.h"

#include <string>
#include <string_view>

namespace tolvane {

class PathChecks;

// The programs started at log-on: a value of the machine's or the user's Run key whose program
// Windows would not find is reported (the user's with the second name "HKEY_CURRENT_USER");
// the fix deletes the value from its own key.
class CModuleStartup final : public RegistryAreaModule {
public:
    CModuleStartup(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

    // A command cut down to its program: quotes go, then everything from the first " /" and
    // from the first "/". Blanks and other arguments stay.
    static std::string CutToPath(std::string_view command);

private:
    void scanRunKey(PathChecks& paths, HKey root, std::string_view rootName, std::string_view mark);
};

} // namespace tolvane
