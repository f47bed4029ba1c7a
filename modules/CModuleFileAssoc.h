#pragma once

#include "engine/CModule.h"
#include "platform/Platform.h"
#include "platform/RegistryTypes.h"

#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tolvane {

class PathChecks;

// File associations: every key directly under HKEY_CLASSES_ROOT, that is extensions, the file
// types they name and programmatic identifiers. It reports CLSID references to missing classes,
// open commands whose program is gone, icons whose file is gone, and open or command keys left
// empty; the fix deletes the key trees a record names.
class CModuleFileAssoc final : public CModule {
public:
    CModuleFileAssoc(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    // Reports `keyName`'s CLSID sub-key when its value is empty or names a missing class.
    void CheckProgIdClsid(HKey root, const std::string& keyName);
    // Whether an extension met earlier in this scan named `name` as its file type, in any case.
    bool IsSeenType(std::string_view name) const;
    // Judges the open command of `fileType`, the type that key `keyName` leads to. True when
    // it reported the command missing, a record whose fix deletes the type's whole key.
    bool checkOpenCommand(const std::string& keyName, const std::string& fileType,
                          PathChecks& paths);
    // Reports `fileType`'s DefaultIcon key when the icon file it names is gone; the fix
    // deletes that key only.
    void checkDefaultIcon(const std::string& fileType, PathChecks& paths);
    // Saves the keys a record names; false when a key exists but could not be saved.
    bool backUpRecord(const ProblemRecord& record);

    const Platform& platform_;
    // Lower-cased file types named by the extensions of the current scan. A large registry
    // holds tens of thousands of extensions and types, so every name is looked up here.
    std::unordered_set<std::string> seenTypes_;
    // Lower-cased file types whose icon this scan has judged.
    std::unordered_set<std::string> iconsJudged_;
};

} // namespace tolvane
