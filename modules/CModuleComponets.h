#pragma once

#include "engine/CModule.h"
#include "platform/Platform.h"
#include "platform/RegistryTypes.h"
#include "platform/services/PathChecks.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace tolvane {

class RegKey;

// COM entries under HKEY_CLASSES_ROOT: the server files of every class, the proxy/stub
// references of every interface and the 32-bit files of every type library. The fix deletes
// the one key holding the bad entry, under HKEY_CLASSES_ROOT and under
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes. Backups go to "com.reg".
class CModuleComponets final : public CModule {
public:
    CModuleComponets(ModuleSet* owner, const Platform& platform);

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

private:
    // Calls `visit` with the open area key HKEY_CLASSES_ROOT\areaPath for each of its sub-keys
    // whose name reads and whose path fits a buffer, with name_ holding the name and keyPath_
    // the path (areaPath, name, backslash). A stop request ends the loop.
    template <typename Visit>
    void forEachEntry(std::string_view areaPath, Visit visit);
    void classPass();
    void interfacePass();
    void typeLibraryPass();

    // Judges the default value of keyPath + subKey (both ending in a backslash): an interface's
    // proxy/stub reference must not be empty, a class's server file must exist. `parent` is an
    // open key whose path is the first `parentLength` characters of keyPath. With `show`, the
    // key path goes to the status line.
    void CheckServerKey(HKey parent, std::size_t parentLength, std::string_view keyPath,
                        std::string_view subKey, bool interfaceCheck, bool show);
    // Reads the default value of `key` into value_; false when it cannot be read.
    bool readDefaultValue(HKey key);
    // Name of sub-key `index` of `key` into `name`; false when it cannot be read.
    bool readSubKeyName(const RegKey& key, std::uint32_t index, std::string& name);
    void reportMissingPath(const std::string& keyPath);

    const Platform& platform_;
    PathChecks paths_;

    // Working buffers, reused for every key.
    std::string name_;
    std::string version_;
    std::string locale_;
    std::string keyPath_;
    std::string serverPath_;
    std::string value_;
};

} // namespace tolvane
