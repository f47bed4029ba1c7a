#pragma once

#include "engine/CModule.h"
#include "platform/Platform.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane {

class PathChecks;

// The per-user file extension settings of Explorer (HKEY_CURRENT_USER ...\Explorer\FileExts):
// extensions no longer known to HKEY_CLASSES_ROOT, programs of an OpenWithList that cannot be
// found, and program identifiers of an OpenWithProgids that are not registered. The fix deletes
// the extension's key, or the one value, keeping the key's MRUList order text in step.
class CModuleFileExt final : public CModule {
public:
    CModuleFileExt(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    // Whether HKEY_CLASSES_ROOT\<name> opens.
    bool isClassKey(std::string_view name);
    void checkOpenWithList(const std::string& extension, PathChecks& paths);
    void checkOpenWithProgids(const std::string& extension);
    // Whether `program` exists in one of the folders of `searchPath_`.
    bool isOnSearchPath(std::string_view program);
    // Whether App Paths or HKEY_CLASSES_ROOT\Applications registers `program` with a command
    // whose program exists.
    bool isRegisteredProgram(const std::string& program, PathChecks& paths);
    // Deletes value `valueName` of HKEY_CURRENT_USER\<keyPath>; false when that fails.
    std::int32_t removeValue(const std::string& keyPath, const std::string& valueName);
    // Takes every occurrence of `valueName` out of the key's MRUList order text.
    void dropFromOrderText(const std::string& keyPath, std::string_view valueName);

    const Platform& platform_;
    // The PATH variable, read once per scan; nothing when it is not set.
    std::optional<std::string> searchPath_;
};

} // namespace tolvane
