#pragma once

#include "engine/CModule.h"
#include "platform/Platform.h"
#include "platform/RegistryTypes.h"
#include "platform/services/CRegTools.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane {

class FileSystem;
class RegistryGateway;

// One value as a walk reads it. `text` is the data up to its first NUL, which is how the
// modules read any value as a text, whatever its type.
struct AreaValue {
    std::string name;
    std::uint32_t type = regtype::none;
    std::string text;
};

// What the modules whose area is one registry key (or two) have in common: walks over the
// values or the sub-keys of a key that pass over whatever does not fit the buffers offered,
// and the two ways a fix saves and removes, the whole area once per run or the key of each
// record before its removal. A record whose wanted backup could not be written is kept, and
// so is one whose removal the registry refused.
class RegistryAreaModule : public CModule {
protected:
    RegistryAreaModule(ModuleSet* owner, int moduleId, const Platform& platform);

    enum class ValueData { nameOnly, withData };
    using ValueVisitor = std::function<void(const AreaValue&)>;
    // Opens `path` below `root` and visits its values in order: names of up to 259 characters,
    // data of up to 260 bytes; a value that does not fit is passed over. Ends early on a stop
    // request. False when the key cannot be opened.
    bool walkValues(HKey root, std::string_view path, ValueData data, const ValueVisitor& visit);
    void walkValues(HKey key, ValueData data, const ValueVisitor& visit);

    using SubKeyVisitor = std::function<void(HKey area, const std::string& name)>;
    // Opens `path` below `root` and visits the names of its sub-keys in order, offering 259
    // bytes for each name; a name that does not fit is passed over. Ends early on a stop
    // request. False when the key cannot be opened.
    bool walkSubKeys(HKey root, std::string_view path, const SubKeyVisitor& visit);

    // Removes what one record names; the registry's result code.
    using Removal = std::function<std::int32_t(const ProblemRecord&)>;
    // For the module's own ordinary selected records: before the first removal, if `backup` is
    // set, saves every key of `keysToSave` below `root` into the module's backup file; when a
    // save fails no record of the module is touched in this run.
    void fixWithRunBackup(std::span<ProblemRecord> records, bool backup, HKey root,
                          std::initializer_list<std::string_view> keysToSave,
                          const Removal& remove);
    using KeyOfRecord = std::function<std::string(const ProblemRecord&)>;
    // For the module's own ordinary selected records: if `backup` is set, saves the key that
    // `keyToSave` names below `root` into the module's backup file, then removes the record's
    // entry; a record whose save fails is kept.
    void fixWithRecordBackup(std::span<ProblemRecord> records, bool backup, HKey root,
                             const KeyOfRecord& keyToSave, const Removal& remove);

    // The two fixes most modules make: values named by `primaryName` deleted from one key
    // that is saved once per run; sub-keys of an area named by `primaryName`, each saved
    // before its deletion.
    void fixValuesOfKey(std::span<ProblemRecord> records, bool backup, HKey root,
                        std::string_view keyPath);
    void fixSubKeysOfArea(std::span<ProblemRecord> records, bool backup, HKey root,
                          std::string_view areaPath);

    // Deletes the value or the sub-key `name` of the key `keyPath`; a sub-key only when it has
    // no sub-keys of its own (the registry refuses any other).
    enum class Entry { value, subKey };
    std::int32_t deleteEntry(HKey root, std::string_view keyPath, Entry entry,
                             std::string_view name);

    // The Windows folder from "WINDIR", or from GetWindowsDirectoryA where that is not set,
    // ending in a backslash; empty when neither answers.
    std::string windowsFolder();
    // PathFileExistsA on a path that fits; a path joined beyond its buffer is not found.
    bool pathExists(const std::optional<std::string>& path);

    RegistryGateway& registry() const { return platform_.registry; }
    FileSystem& files() const { return platform_.files; }

    // `parts` joined, or nothing when the text would not fit a buffer of `bufferSize` bytes
    // with its NUL.
    static std::optional<std::string> joinedWithin(std::size_t bufferSize,
                                                   std::initializer_list<std::string_view> parts);

private:
    BackupOutcome saveKey(CRegTools& tools, HKey root, std::string_view keyPath);

    const Platform& platform_;
};

} // namespace tolvane
