#pragma once

#include "engine/CModule.h"
#include "platform/Platform.h"
#include "platform/RegistryTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class RegKey;

// The software keys modules: a depth-first walk of the "Software\" tree below one root that
// reports every named text value holding an absolute path to nothing (and that does not look
// like a command line, a list or a short name); the fix deletes the value.
//
// The walk keeps one key open at a time: it closes a key before entering a sub-key and reopens
// it by its path afterwards. It runs on an explicit stack, so a tree thousands of levels deep
// costs heap, not call stack; a key whose path does not fit the working buffer does not open.
class SoftwareKeyWalk : public CModule {
public:
    // Longest current key path, and the working buffer every opened path is copied into; both
    // count the terminating NUL.
    static constexpr std::size_t currentPathSize = 10000;
    static constexpr std::size_t workingBufferSize = 1300;
    // Keys reporting more sub-keys than this are treated as having none.
    static constexpr std::uint32_t maxSubKeys = 100000;

    ProblemList Scan() override;
    bool Fix(std::span<ProblemRecord> records, bool backup) override;
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override;

protected:
    struct Area {
        HKey root;
        // Whether sub-keys whose names contain "Classes" or "Installer" are passed over.
        bool skipClassesAndInstaller;
        // Stands before the value's data in every problem's description.
        std::string_view descriptionPrefix;
    };

    SoftwareKeyWalk(ModuleSet* owner, int moduleId, const Platform& platform, Area area);

private:
    // What is left to do in one open key of the walk.
    struct Frame {
        std::uint32_t subKeys;
        std::uint32_t values;
        std::uint32_t nextSubKey;
    };

    void walk();
    // Opens the key named by the current path and pushes its frame; false when it does not open.
    bool enterCurrentKey(RegKey& key);
    // Opens the key named by the current path again after one of its sub-keys; when it has gone
    // meanwhile, its frame is left with nothing more to do.
    void reopenCurrentKey(RegKey& key);
    // Reads sub-key `index` of `key` and appends it to the current path; false when it is
    // passed over (unreadable, skipped by name, or too long a path).
    bool appendSubKey(RegKey& key, std::uint32_t index);
    // Pops the current path's last component.
    void cutComponent();
    // The key's sub-tree is done: examine its values, close it, and reopen its parent.
    void leaveCurrentKey(RegKey& key);
    // Reports value `index` of the key named by the current path when it names nothing.
    void examineValue(HKey key, std::uint32_t index);

    const Platform& platform_;
    const Area area_;

    // The key being walked, relative to the root, every component ending in a backslash.
    std::string currentPath_;
    // Length of each component appended to the current path.
    std::vector<std::uint32_t> components_;
    std::vector<Frame> frames_;

    // Working buffers, reused at every depth.
    std::string subKeyName_;
    std::string valueName_;
    std::string valueData_;
    std::string drivePath_;
};

} // namespace tolvane
