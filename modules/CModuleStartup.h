#pragma once

#include "modules/RegistryAreaModule.h"

#include <string>
#include <string_view>

namespace tolvane {

// The programs started at log-on for every user: a value of the machine's Run key whose
// program is found neither as written nor in the Windows or the system folder is reported;
// the fix deletes the value.
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
    bool existsHereOrInSystemFolders(const std::string& path, const std::string& windows,
                                     const std::string& system);
};

} // namespace tolvane
