#pragma once

#include "engine/CModule.h"
#include "platform/Platform.h"
#include "platform/RegistryTypes.h"
#include "platform/services/PathChecks.h"

#include <cstdint>
#include <span>
#include <string>

namespace tolvane {

// Event sounds: every value below HKEY_CURRENT_USER\AppEvents\Schemes\Apps, at any depth,
// whose text is an absolute path to a file that does not exist. The fix empties the value and
// leaves it in place. Backups go to "sound.reg", one export of the whole tree per fix run.
class CModuleSound final : public CModule {
public:
    CModuleSound(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    // Examines the key named by keyPath_ and everything below it, sub-keys first.
    void walk();
    void examineValue(HKey key, std::uint32_t index);

    const Platform& platform_;
    PathChecks paths_;
    // The key being walked, relative to HKEY_CURRENT_USER and ending in a backslash.
    std::string keyPath_;
    // Working buffers, reused at every depth.
    std::string subKeyName_;
    std::string valueName_;
    std::string valueData_;
};

} // namespace tolvane
