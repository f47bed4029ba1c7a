#pragma once

#include "modules/RegistryAreaModule.h"
#include "platform/services/PathChecks.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tolvane {

// The multimedia driver list of the machine: the values of Drivers32 and, depth first, of
// every key below it. A text value whose driver file is found neither as written nor in the
// Windows folder or its system folders is reported; the fix deletes the value.
class CModuleDrivers final : public RegistryAreaModule {
public:
    CModuleDrivers(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    // Examines the key named by currentPath_ and everything below it, sub-keys before the
    // key's own values, and leaves currentPath_ as its caller had it.
    void scanDriversKey();
    // Ends currentPath_ before the component the walk appended last.
    void leaveKey();
    void examineValue(const AreaValue& value, const std::string& keyPath);

    // The key being walked, relative to HKEY_LOCAL_MACHINE and ending in a backslash.
    std::string currentPath_;
    // Length of each component (sub-key name and backslash) appended on the way down.
    std::vector<std::size_t> pathLengths_;
    // The Windows folder and its system folders, each ending in a backslash, for this scan.
    std::vector<std::string> candidateFolders_;
    PathChecks paths_;
};

} // namespace tolvane
