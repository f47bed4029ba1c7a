#pragma once

#include "platform/RegistryGateway.h"
#include "platform/Result.h"
#include "platform/offline/HiveFile.h"

#include <array>
#include <compare>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::offline {

// The registry gateway over the hives of an offline Windows installation, held in memory by
// hivex, arranged as Windows mounts them:
//   HKEY_LOCAL_MACHINE\SOFTWARE and \SYSTEM (SYSTEM\CurrentControlSet is the control set that
//   Select\Current names: it opens, but is not listed, and is a link key);
//   HKEY_USERS\.DEFAULT, \<SID> (the user's NTUSER.DAT) and \<SID>_Classes (UsrClass.dat);
//   HKEY_CURRENT_USER = HKEY_USERS\<SID>, whose Software\Classes is UsrClass.dat (a link key);
//   HKEY_CLASSES_ROOT = HKLM\SOFTWARE\Classes merged with the user's classes: a key is there
//   when it is in either; sub-keys and values are the union, the user's winning on equal names;
//   a value read falls through to the machine's key; a change of a value goes to the user's key
//   when there is one, a new key to the machine's side when the parent is there; deleting a key
//   or value removes it from both sides, so that it is gone from the merged view.
// Sub-keys enumerate in the hive's order (sorted by upper-case names, as Windows stores them),
// values in stored order. Every call takes one lock.
class OfflineRegistry : public RegistryGateway {
public:
    enum class Hive { software, system, defaultUser, user, userClasses };
    static constexpr std::size_t hiveCount = 5;

    struct Hives {
        std::array<std::unique_ptr<HiveFile>, hiveCount> files;
        // The user's SID, under which HKEY_USERS shows the user's hives.
        std::string userSid;
    };

    explicit OfflineRegistry(Hives hives);
    ~OfflineRegistry() override;

    // The hive file of `hive`, or null when it was not loaded.
    HiveFile* hive(Hive hive) const;
    bool hasUnsavedChanges() const;
    // Writes each changed hive with HiveFile::commit, checking that every key changed since the
    // last commit reads back alike from the new file. Stops at the first failure; the hives
    // committed before it stay committed.
    Result<void> commit(const HiveFile::FailureHook& failAt = {});
    // Reads every hive file again, dropping what was changed in memory; open handles then
    // report that their key was deleted. On failure nothing changes.
    Result<void> reload();

    std::int32_t RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) override;
    std::int32_t RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) override;
    std::int32_t RegCloseKey(HKey key) override;
    std::int32_t RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) override;
    std::int32_t RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                             std::uint32_t nameSize) override;
    std::int32_t RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                               std::uint32_t& nameSize, std::uint32_t* type, std::string* data,
                               std::uint32_t* dataSize) override;
    std::int32_t RegQueryValueA(HKey key, std::string_view subKey, std::string* data,
                                std::int32_t& dataSize) override;
    std::int32_t RegQueryValueExA(HKey key, std::string_view valueName, std::uint32_t* type,
                                  std::string* data, std::uint32_t* dataSize) override;
    std::int32_t RegSetValueA(HKey key, std::string_view subKey, std::uint32_t type,
                              std::string_view data) override;
    std::int32_t RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t type,
                                std::string_view data) override;
    std::int32_t RegDeleteKeyA(HKey key, std::string_view subKey) override;
    std::int32_t RegDeleteValueA(HKey key, std::string_view valueName) override;
    std::int32_t RegFlushKey(HKey key) override;
    std::int32_t RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) override;

    std::int32_t RegOpenKeyExW(HKey key, std::u16string_view subKey, HKey& result) override;
    std::int32_t RegCreateKeyExW(HKey key, std::u16string_view subKey, HKey& result) override;
    std::int32_t RegEnumKeyExW(HKey key, std::uint32_t index, std::u16string& name) override;
    std::int32_t RegEnumValueW(HKey key, std::uint32_t index, std::u16string& name,
                               std::uint32_t& type, std::string& data) override;
    std::int32_t RegSetValueExW(HKey key, std::u16string_view valueName, std::uint32_t type,
                                std::string_view data) override;
    std::int32_t RegDeleteKeyW(HKey key, std::u16string_view subKey) override;
    std::int32_t RegDeleteValueW(HKey key, std::u16string_view valueName) override;

    std::size_t openHandleCount() const override;

private:
    // A key of one hive; hive -1 is none.
    struct NodeRef {
        int hive = -1;
        std::size_t node = 0;
        bool valid() const { return hive >= 0; }
        auto operator<=>(const NodeRef&) const = default;
    };
    // What a handle stands for: a root made of mounted hives, one hive's key, or a key of the
    // merged classes view (its user and machine sides, either may be missing).
    struct KeyRef {
        enum class Kind { machineRoot, usersRoot, node, classes, missing };
        Kind kind = Kind::missing;
        NodeRef node;
        NodeRef machine;
        auto operator<=>(const KeyRef&) const = default;
    };
    struct KeyRefHash {
        std::size_t operator()(const KeyRef& ref) const {
            std::size_t hash = static_cast<std::size_t>(ref.kind);
            for (const std::size_t part :
                 {static_cast<std::size_t>(ref.node.hive), ref.node.node,
                  static_cast<std::size_t>(ref.machine.hive), ref.machine.node}) {
                hash = hash * 1099511628211u ^ part;
            }
            return hash;
        }
    };
    struct ChildEntry {
        std::string name;
        KeyRef ref;
    };
    struct ChildList {
        std::vector<ChildEntry> entries;
        // hivex could not read the list (a damaged hive): callers get an error, never an
        // empty key that a scan would take for one.
        bool unreadable = false;
        std::unordered_map<std::string, std::size_t> byName;
        std::uint64_t lastUse = 0;
    };
    struct ValueEntry {
        std::string name;
        NodeRef owner;
        std::size_t value = 0;
    };
    struct ValueList {
        std::vector<ValueEntry> entries;
        bool unreadable = false;
        std::unordered_map<std::string, std::size_t> byName;
        std::uint64_t lastUse = 0;
    };
    struct Slot {
        KeyRef ref;
        std::uint32_t generation = 0;
        bool open = false;
        bool deleted = false;
    };

    // Finds the keys other hives are mounted on.
    void findMountPoints();
    hive_h* hiveHandle(int hive) const;
    NodeRef rootOf(Hive hive) const;
    std::int32_t refOf(HKey key, KeyRef& ref) const;
    HKey newHandle(const KeyRef& ref);

    const ChildList& children(const KeyRef& ref);
    const ValueList& values(const KeyRef& ref);
    // False when hivex cannot read the list.
    bool storedChildren(NodeRef node, std::vector<ChildEntry>& out) const;
    bool storedValues(NodeRef node, std::vector<ValueEntry>& out) const;
    template <typename Cache>
    void trim(Cache& cache);
    // What a change makes stale: the sub-key list of a key that got or lost a sub-key, the
    // value list of a key whose values changed, and every merged list of the classes view.
    void childrenChanged(NodeRef parent, NodeRef removed);
    void valuesChanged(NodeRef node);

    // Whether a sub-key list of `ref` cannot be read.
    bool unreadable(const KeyRef& ref);
    // The child `name` of `ref` (KeyRef::Kind::missing when there is none).
    KeyRef child(const KeyRef& ref, std::string_view name);
    // A missing child `name` of `ref`, created; missing when that is not allowed here.
    std::int32_t createChild(const KeyRef& ref, std::string_view name, KeyRef& created);
    std::int32_t walk(KeyRef start, std::string_view path, bool create, KeyRef& result);
    std::int32_t openKey(HKey key, std::string_view path, bool create, HKey& result);
    std::int32_t deleteKey(HKey key, std::string_view path);
    std::int32_t setValue(HKey key, std::string_view name, std::uint32_t type,
                          std::string_view bytes);
    std::int32_t deleteValue(HKey key, std::string_view name);
    // The raw bytes of a value.
    std::string rawData(const ValueEntry& value, std::uint32_t& type) const;
    // The bytes an A function returns: strings as UTF-8 with their NUL.
    std::string ansiData(const ValueEntry& value, std::uint32_t& type) const;
    bool isMountTarget(NodeRef node) const;
    bool isLinkChild(const KeyRef& parent, std::string_view name) const;

    // Each hive's keys changed since the last commit, as paths from the hive's root.
    std::vector<std::string> pathOf(NodeRef node) const;
    void remember(NodeRef node);
    Result<void> verify(int hive, hive_h& written) const;

    mutable std::mutex mutex_;
    Hives hives_;
    // The keys other hives are mounted on.
    NodeRef userSoftware_;
    NodeRef currentControlSet_;
    NodeRef machineClasses_;

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> freeSlots_;
    std::size_t openHandles_ = 0;

    std::unordered_map<KeyRef, ChildList, KeyRefHash> childCache_;
    std::unordered_map<KeyRef, ValueList, KeyRefHash> valueCache_;
    // The merged lists of the classes view, dropped whole on any change.
    std::unordered_map<KeyRef, ChildList, KeyRefHash> classesChildCache_;
    std::unordered_map<KeyRef, ValueList, KeyRefHash> classesValueCache_;
    std::uint64_t useCounter_ = 0;
    std::array<std::set<std::vector<std::string>>, hiveCount> changedPaths_;
};

} // namespace tolvane::offline
