#include "platform/offline/OfflineRegistry.h"

#include "platform/base/AsciiText.h"
#include "platform/base/Utf16Text.h"
#include "platform/offline/Malloced.h"
#include "platform/regformat/RegFileText.h"

#include <algorithm>
#include <cstdlib>
#include <hivex.h>

namespace tolvane::offline {
namespace {

// Cached lists beyond this many are dropped, the least recently used first.
constexpr std::size_t cacheLimit = 4096;
constexpr std::size_t maxKeyNameLength = 255;
constexpr std::size_t maxValueNameLength = 16383;

std::string nodeName(hive_h* hive, hive_node_h node) {
    Malloced<char> name(hivex_node_name(hive, node));
    return name ? std::string(name.get()) : std::string();
}

std::string valueName(hive_h* hive, hive_value_h value) {
    Malloced<char> name(hivex_value_key(hive, value));
    return name ? std::string(name.get()) : std::string();
}

// Windows keeps sub-keys sorted by their upper-case names.
bool upperLess(std::string_view left, std::string_view right) {
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A')
                                    : static_cast<unsigned char>(c);
    };
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                        [&](char a, char b) { return upper(a) < upper(b); });
}

std::uint32_t utf16Length(std::string_view utf8) {
    const auto wide = narrowToWide(utf8);
    return static_cast<std::uint32_t>(wide ? wide->size() : utf8.size());
}

} // namespace

OfflineRegistry::OfflineRegistry(Hives hives) : hives_(std::move(hives)) {
    findMountPoints();
}

void OfflineRegistry::findMountPoints() {
    userSoftware_ = {};
    currentControlSet_ = {};
    machineClasses_ = {};
    if (hive_h* user = hiveHandle(static_cast<int>(Hive::user));
        user != nullptr && hives_.files[static_cast<int>(Hive::userClasses)]) {
        if (const hive_node_h software = hivex_node_get_child(user, hivex_root(user), "Software")) {
            userSoftware_ = {static_cast<int>(Hive::user), software};
        }
    }
    if (hive_h* system = hiveHandle(static_cast<int>(Hive::system))) {
        std::uint32_t current = 1;
        if (const hive_node_h select = hivex_node_get_child(system, hivex_root(system), "Select")) {
            if (const hive_value_h value = hivex_node_get_value(system, select, "Current")) {
                current = static_cast<std::uint32_t>(hivex_value_dword(system, value));
            }
        }
        std::string name = "ControlSet000";
        const std::string digits = std::to_string(current % 1000);
        name.replace(name.size() - digits.size(), digits.size(), digits);
        if (const hive_node_h set =
                hivex_node_get_child(system, hivex_root(system), name.c_str())) {
            currentControlSet_ = {static_cast<int>(Hive::system), set};
        }
    }
    if (hive_h* software = hiveHandle(static_cast<int>(Hive::software))) {
        if (const hive_node_h classes =
                hivex_node_get_child(software, hivex_root(software), "Classes")) {
            machineClasses_ = {static_cast<int>(Hive::software), classes};
        }
    }
}

OfflineRegistry::~OfflineRegistry() = default;

HiveFile* OfflineRegistry::hive(Hive hive) const {
    return hives_.files[static_cast<std::size_t>(hive)].get();
}

hive_h* OfflineRegistry::hiveHandle(int hive) const {
    if (hive < 0 || hive >= static_cast<int>(hiveCount) || !hives_.files[hive]) {
        return nullptr;
    }
    return &hives_.files[hive]->handle();
}

OfflineRegistry::NodeRef OfflineRegistry::rootOf(Hive hive) const {
    const int index = static_cast<int>(hive);
    hive_h* handle = hiveHandle(index);
    return handle != nullptr ? NodeRef{index, hivex_root(handle)} : NodeRef{};
}

bool OfflineRegistry::hasUnsavedChanges() const {
    std::scoped_lock lock(mutex_);
    return std::any_of(hives_.files.begin(), hives_.files.end(),
                       [](const auto& file) { return file && file->modified(); });
}

// --- keys and their children ------------------------------------------------------------

std::int32_t OfflineRegistry::refOf(HKey key, KeyRef& ref) const {
    using Kind = KeyRef::Kind;
    if (key == hkeyLocalMachine) {
        ref = {Kind::machineRoot, {}, {}};
    } else if (key == hkeyUsers) {
        ref = {Kind::usersRoot, {}, {}};
    } else if (key == hkeyCurrentUser) {
        ref = {Kind::node, rootOf(Hive::user), {}};
    } else if (key == hkeyClassesRoot) {
        ref = {Kind::classes, rootOf(Hive::userClasses), machineClasses_};
        if (!ref.node.valid() && !ref.machine.valid()) {
            ref.kind = Kind::missing;
        }
    } else if (isPredefinedKey(key)) {
        ref = {Kind::missing, {}, {}};
    } else {
        const auto value = static_cast<std::uint64_t>(key);
        const std::uint64_t index = (value & 0xFFFFFFFFu) - 1;
        if (index >= slots_.size() || !slots_[index].open ||
            slots_[index].generation != (value >> 32)) {
            return winerr::invalidHandle;
        }
        if (slots_[index].deleted) {
            return winerr::keyDeleted;
        }
        ref = slots_[index].ref;
        return winerr::success;
    }
    if (ref.kind == Kind::node && !ref.node.valid()) {
        ref.kind = Kind::missing;
    }
    return ref.kind == Kind::missing ? winerr::fileNotFound : winerr::success;
}

HKey OfflineRegistry::newHandle(const KeyRef& ref) {
    std::uint32_t index = 0;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        index = static_cast<std::uint32_t>(slots_.size());
        slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    slot.ref = ref;
    slot.open = true;
    slot.deleted = false;
    ++slot.generation;
    ++openHandles_;
    return static_cast<HKey>(std::uint64_t{slot.generation} << 32 | (std::uint64_t{index} + 1));
}

bool OfflineRegistry::storedChildren(NodeRef node, std::vector<ChildEntry>& out) const {
    hive_h* handle = hiveHandle(node.hive);
    Malloced<hive_node_h> list(hivex_node_children(handle, node.node));
    if (!list) {
        return false;
    }
    for (std::size_t i = 0; list && list.get()[i] != 0; ++i) {
        const hive_node_h child = list.get()[i];
        out.push_back({nodeName(handle, child), {KeyRef::Kind::node, {node.hive, child}, {}}});
    }
    return true;
}

bool OfflineRegistry::storedValues(NodeRef node, std::vector<ValueEntry>& out) const {
    hive_h* handle = hiveHandle(node.hive);
    Malloced<hive_value_h> list(hivex_node_values(handle, node.node));
    if (!list) {
        return false;
    }
    for (std::size_t i = 0; list && list.get()[i] != 0; ++i) {
        out.push_back({valueName(handle, list.get()[i]), node, list.get()[i]});
    }
    return true;
}

template <typename Cache>
void OfflineRegistry::trim(Cache& cache) {
    if (cache.size() < cacheLimit) {
        return;
    }
    std::vector<std::uint64_t> uses;
    uses.reserve(cache.size());
    for (const auto& [ref, list] : cache) {
        uses.push_back(list.lastUse);
    }
    auto middle = uses.begin() + static_cast<std::ptrdiff_t>(uses.size() / 2);
    std::nth_element(uses.begin(), middle, uses.end());
    const std::uint64_t cut = *middle;
    std::erase_if(cache, [cut](const auto& entry) { return entry.second.lastUse <= cut; });
}

const OfflineRegistry::ChildList& OfflineRegistry::children(const KeyRef& ref) {
    using Kind = KeyRef::Kind;
    auto& cache = ref.kind == Kind::classes ? classesChildCache_ : childCache_;
    if (auto found = cache.find(ref); found != cache.end()) {
        found->second.lastUse = ++useCounter_;
        return found->second;
    }
    trim(cache);
    ChildList list;
    switch (ref.kind) {
    case Kind::machineRoot:
        if (const NodeRef root = rootOf(Hive::software); root.valid()) {
            list.entries.push_back({"SOFTWARE", {Kind::node, root, {}}});
        }
        if (const NodeRef root = rootOf(Hive::system); root.valid()) {
            list.entries.push_back({"SYSTEM", {Kind::node, root, {}}});
        }
        break;
    case Kind::usersRoot:
        if (const NodeRef root = rootOf(Hive::defaultUser); root.valid()) {
            list.entries.push_back({".DEFAULT", {Kind::node, root, {}}});
        }
        if (const NodeRef root = rootOf(Hive::user); root.valid()) {
            list.entries.push_back({hives_.userSid, {Kind::node, root, {}}});
        }
        if (const NodeRef root = rootOf(Hive::userClasses); root.valid()) {
            list.entries.push_back({hives_.userSid + "_Classes", {Kind::node, root, {}}});
        }
        break;
    case Kind::node:
        list.unreadable = !storedChildren(ref.node, list.entries);
        if (ref.node == userSoftware_) {
            // Software\Classes of the user is UsrClass.dat, whatever NTUSER.DAT holds there.
            const KeyRef classes{Kind::node, rootOf(Hive::userClasses), {}};
            auto stored = std::find_if(list.entries.begin(), list.entries.end(), [](const auto& e) {
                return equalsIgnoringAsciiCase(e.name, "Classes");
            });
            if (stored != list.entries.end()) {
                stored->ref = classes;
            } else {
                auto at = std::find_if(list.entries.begin(), list.entries.end(),
                                       [](const auto& e) { return upperLess("Classes", e.name); });
                list.entries.insert(at, {"Classes", classes});
            }
        }
        break;
    case Kind::classes: {
        std::vector<ChildEntry> user;
        std::vector<ChildEntry> machine;
        if (ref.node.valid()) {
            list.unreadable = !storedChildren(ref.node, user);
        }
        if (ref.machine.valid()) {
            list.unreadable = !storedChildren(ref.machine, machine) || list.unreadable;
        }
        std::unordered_map<std::string, std::size_t> seen;
        for (const ChildEntry& entry : user) {
            seen.emplace(asciiLower(entry.name), list.entries.size());
            list.entries.push_back({entry.name, {Kind::classes, entry.ref.node, {}}});
        }
        for (const ChildEntry& entry : machine) {
            if (auto it = seen.find(asciiLower(entry.name)); it != seen.end()) {
                list.entries[it->second].ref.machine = entry.ref.node;
            } else {
                list.entries.push_back({entry.name, {Kind::classes, {}, entry.ref.node}});
            }
        }
        std::stable_sort(list.entries.begin(), list.entries.end(),
                         [](const auto& a, const auto& b) { return upperLess(a.name, b.name); });
        break;
    }
    case Kind::missing:
        break;
    }
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        list.byName.emplace(asciiLower(list.entries[i].name), i);
    }
    list.lastUse = ++useCounter_;
    return cache.emplace(ref, std::move(list)).first->second;
}

const OfflineRegistry::ValueList& OfflineRegistry::values(const KeyRef& ref) {
    auto& cache = ref.kind == KeyRef::Kind::classes ? classesValueCache_ : valueCache_;
    if (auto found = cache.find(ref); found != cache.end()) {
        found->second.lastUse = ++useCounter_;
        return found->second;
    }
    trim(cache);
    ValueList list;
    if (ref.kind == KeyRef::Kind::node || ref.kind == KeyRef::Kind::classes) {
        if (ref.node.valid()) {
            list.unreadable = !storedValues(ref.node, list.entries);
        }
        for (std::size_t i = 0; i < list.entries.size(); ++i) {
            list.byName.emplace(asciiLower(list.entries[i].name), i);
        }
        if (ref.kind == KeyRef::Kind::classes && ref.machine.valid()) {
            std::vector<ValueEntry> machine;
            list.unreadable = !storedValues(ref.machine, machine) || list.unreadable;
            for (ValueEntry& entry : machine) {
                if (list.byName.emplace(asciiLower(entry.name), list.entries.size()).second) {
                    list.entries.push_back(std::move(entry));
                }
            }
        }
    }
    list.lastUse = ++useCounter_;
    return cache.emplace(ref, std::move(list)).first->second;
}

void OfflineRegistry::childrenChanged(NodeRef parent, NodeRef removed) {
    childCache_.erase({KeyRef::Kind::node, parent, {}});
    if (removed.valid()) {
        childCache_.erase({KeyRef::Kind::node, removed, {}});
        valueCache_.erase({KeyRef::Kind::node, removed, {}});
    }
    classesChildCache_.clear();
    classesValueCache_.clear();
    hives_.files[static_cast<std::size_t>(parent.hive)]->markModified();
}

void OfflineRegistry::valuesChanged(NodeRef node) {
    valueCache_.erase({KeyRef::Kind::node, node, {}});
    classesValueCache_.clear();
    hives_.files[static_cast<std::size_t>(node.hive)]->markModified();
}

bool OfflineRegistry::isMountTarget(NodeRef node) const {
    for (std::size_t hive = 0; hive < hiveCount; ++hive) {
        if (rootOf(static_cast<Hive>(hive)) == node) {
            return true;
        }
    }
    return node == currentControlSet_;
}

bool OfflineRegistry::isLinkChild(const KeyRef& parent, std::string_view name) const {
    if (parent.kind != KeyRef::Kind::node) {
        return false;
    }
    return (parent.node == rootOf(Hive::system) && currentControlSet_.valid() &&
            equalsIgnoringAsciiCase(name, "CurrentControlSet")) ||
           (parent.node == userSoftware_ && equalsIgnoringAsciiCase(name, "Classes"));
}

OfflineRegistry::KeyRef OfflineRegistry::child(const KeyRef& ref, std::string_view name) {
    if (ref.kind == KeyRef::Kind::node && ref.node == rootOf(Hive::system) &&
        currentControlSet_.valid() && equalsIgnoringAsciiCase(name, "CurrentControlSet")) {
        return {KeyRef::Kind::node, currentControlSet_, {}};
    }
    if (ref.kind == KeyRef::Kind::classes) {
        // Each side on its own: the merged list is only made for enumeration.
        const KeyRef user =
            ref.node.valid() ? child({KeyRef::Kind::node, ref.node, {}}, name) : KeyRef{};
        const KeyRef machine =
            ref.machine.valid() ? child({KeyRef::Kind::node, ref.machine, {}}, name) : KeyRef{};
        if (user.kind == KeyRef::Kind::missing && machine.kind == KeyRef::Kind::missing) {
            return {};
        }
        return {KeyRef::Kind::classes, user.node, machine.node};
    }
    const ChildList& list = children(ref);
    const auto found = list.byName.find(asciiLower(name));
    return found != list.byName.end() ? list.entries[found->second].ref : KeyRef{};
}

bool OfflineRegistry::unreadable(const KeyRef& ref) {
    if (ref.kind == KeyRef::Kind::classes) {
        return (ref.node.valid() && children({KeyRef::Kind::node, ref.node, {}}).unreadable) ||
               (ref.machine.valid() && children({KeyRef::Kind::node, ref.machine, {}}).unreadable);
    }
    return children(ref).unreadable;
}

std::int32_t OfflineRegistry::createChild(const KeyRef& ref, std::string_view name,
                                          KeyRef& created) {
    using Kind = KeyRef::Kind;
    if (name.size() > maxKeyNameLength) {
        return winerr::invalidParameter;
    }
    NodeRef parent;
    if (ref.kind == Kind::node) {
        parent = ref.node;
    } else if (ref.kind == Kind::classes) {
        // A new key goes where the parent is the machine's, as Windows does for shared keys.
        parent = ref.machine.valid() ? ref.machine : ref.node;
    } else {
        // Hives are mounted, not made: nothing new at the roots.
        return winerr::accessDenied;
    }
    const std::string text(name);
    const hive_node_h node =
        hivex_node_add_child(hiveHandle(parent.hive), parent.node, text.c_str());
    if (node == 0) {
        return winerr::writeFault;
    }
    const NodeRef made{parent.hive, node};
    childrenChanged(parent, NodeRef{});
    remember(made);
    if (ref.kind == Kind::classes) {
        created = parent == ref.machine ? KeyRef{Kind::classes, {}, made}
                                        : KeyRef{Kind::classes, made, {}};
    } else {
        created = {Kind::node, made, {}};
    }
    return winerr::success;
}

std::int32_t OfflineRegistry::walk(KeyRef start, std::string_view path, bool create,
                                   KeyRef& result) {
    if (!path.empty() && path.front() == '\\') {
        return winerr::badPathname;
    }
    KeyRef at = start;
    while (!path.empty()) {
        const std::size_t end = path.find('\\');
        const std::string_view name = path.substr(0, end);
        path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
        if (name.empty()) {
            continue;
        }
        KeyRef next = child(at, name);
        if (next.kind == KeyRef::Kind::missing && unreadable(at)) {
            return winerr::accessDenied;
        }
        if (next.kind == KeyRef::Kind::missing) {
            if (!create) {
                return winerr::fileNotFound;
            }
            if (const std::int32_t rc = createChild(at, name, next); rc != winerr::success) {
                return rc;
            }
        }
        at = next;
    }
    result = at;
    return winerr::success;
}

std::int32_t OfflineRegistry::openKey(HKey key, std::string_view path, bool create, HKey& result) {
    result = HKey::null;
    KeyRef base;
    std::int32_t rc = refOf(key, base);
    if (rc == winerr::fileNotFound && key == hkeyCurrentConfig) {
        rc = walk({KeyRef::Kind::machineRoot, {}, {}},
                  "SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current", false, base);
    }
    if (rc != winerr::success) {
        return rc;
    }
    KeyRef target;
    if (rc = walk(base, path, create, target); rc != winerr::success) {
        return rc;
    }
    result = newHandle(target);
    return winerr::success;
}

// --- values -------------------------------------------------------------------------------

std::string OfflineRegistry::rawData(const ValueEntry& value, std::uint32_t& type) const {
    hive_type stored{};
    std::size_t length = 0;
    Malloced<char> bytes(
        hivex_value_value(hiveHandle(value.owner.hive), value.value, &stored, &length));
    type = static_cast<std::uint32_t>(stored);
    return bytes ? std::string(bytes.get(), length) : std::string();
}

std::string OfflineRegistry::ansiData(const ValueEntry& value, std::uint32_t& type) const {
    std::string bytes = rawData(value, type);
    return regtype::isString(type) ? utf16BytesToUtf8(bytes) : bytes;
}

std::int32_t OfflineRegistry::setValue(HKey key, std::string_view name, std::uint32_t type,
                                       std::string_view bytes) {
    if (name.size() > maxValueNameLength) {
        return winerr::invalidParameter;
    }
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    NodeRef target;
    if (ref.kind == KeyRef::Kind::node) {
        target = ref.node;
    } else if (ref.kind == KeyRef::Kind::classes) {
        target = ref.node.valid() ? ref.node : ref.machine;
    } else {
        return winerr::accessDenied;
    }
    std::string nameText(name);
    std::string data(bytes);
    hive_set_value value{};
    value.key = nameText.data();
    value.t = static_cast<hive_type>(type);
    value.len = data.size();
    value.value = data.data();
    if (hivex_node_set_value(hiveHandle(target.hive), target.node, &value, 0) != 0) {
        return winerr::writeFault;
    }
    valuesChanged(target);
    remember(target);
    return winerr::success;
}

std::int32_t OfflineRegistry::deleteValue(HKey key, std::string_view name) {
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    bool deleted = false;
    for (const NodeRef node : {ref.node, ref.machine}) {
        if (!node.valid() ||
            (ref.kind != KeyRef::Kind::node && ref.kind != KeyRef::Kind::classes)) {
            continue;
        }
        // hivex replaces a key's values as a whole: every value but this one is written back.
        std::vector<ValueEntry> stored;
        if (!storedValues(node, stored)) {
            return winerr::accessDenied;
        }
        const auto it = std::find_if(stored.begin(), stored.end(), [&](const ValueEntry& e) {
            return equalsIgnoringAsciiCase(e.name, name);
        });
        if (it == stored.end()) {
            continue;
        }
        std::vector<std::string> names;
        std::vector<std::string> datas;
        std::vector<hive_set_value> kept;
        names.reserve(stored.size());
        datas.reserve(stored.size());
        for (const ValueEntry& entry : stored) {
            if (&entry == &*it) {
                continue;
            }
            std::uint32_t type = 0;
            names.push_back(entry.name);
            datas.push_back(rawData(entry, type));
            kept.push_back({names.back().data(), static_cast<hive_type>(type), datas.back().size(),
                            datas.back().data()});
        }
        if (hivex_node_set_values(hiveHandle(node.hive), node.node, kept.size(), kept.data(), 0) !=
            0) {
            return winerr::writeFault;
        }
        valuesChanged(node);
        remember(node);
        deleted = true;
    }
    return deleted ? winerr::success : winerr::fileNotFound;
}

std::int32_t OfflineRegistry::deleteKey(HKey key, std::string_view path) {
    KeyRef base;
    if (const std::int32_t rc = refOf(key, base); rc != winerr::success) {
        return rc;
    }
    KeyRef target;
    if (const std::int32_t rc = walk(base, path, false, target); rc != winerr::success) {
        return rc;
    }
    if (target.kind != KeyRef::Kind::node && target.kind != KeyRef::Kind::classes) {
        return winerr::accessDenied;
    }
    const std::vector<NodeRef> parts = {target.node, target.machine};
    for (const NodeRef node : parts) {
        if (node.valid() && (isMountTarget(node) || node == userSoftware_ ||
                             hivex_node_nr_children(hiveHandle(node.hive), node.node) != 0)) {
            return winerr::accessDenied;
        }
    }
    for (const NodeRef node : parts) {
        if (!node.valid()) {
            continue;
        }
        // Handles to the key now report that it was deleted.
        for (Slot& slot : slots_) {
            if (slot.open && (slot.ref.node == node || slot.ref.machine == node)) {
                slot.deleted = true;
            }
        }
        remember(node);
        hive_h* handle = hiveHandle(node.hive);
        const NodeRef parent{node.hive, hivex_node_parent(handle, node.node)};
        if (hivex_node_delete_child(handle, node.node) != 0) {
            return winerr::writeFault;
        }
        childrenChanged(parent, node);
    }
    return winerr::success;
}

// --- the change log and its check -----------------------------------------------------------

std::vector<std::string> OfflineRegistry::pathOf(NodeRef node) const {
    hive_h* handle = hiveHandle(node.hive);
    const hive_node_h root = hivex_root(handle);
    std::vector<std::string> path;
    for (hive_node_h at = node.node; at != root && at != 0; at = hivex_node_parent(handle, at)) {
        path.push_back(nodeName(handle, at));
    }
    std::reverse(path.begin(), path.end());
    return path;
}

void OfflineRegistry::remember(NodeRef node) {
    changedPaths_[node.hive].insert(pathOf(node));
}

namespace {

// Finds keys by path, each key's sub-keys listed once: a commit checks every changed key,
// and hivex_node_get_child reads every sibling's name.
class PathFinder {
public:
    explicit PathFinder(hive_h* hive) : hive_(hive) {}

    hive_node_h find(const std::vector<std::string>& path) {
        hive_node_h node = hivex_root(hive_);
        for (const std::string& name : path) {
            auto listed = children_.find(node);
            if (listed == children_.end()) {
                std::unordered_map<std::string, hive_node_h> names;
                Malloced<hive_node_h> list(hivex_node_children(hive_, node));
                for (std::size_t i = 0; list && list.get()[i] != 0; ++i) {
                    names.emplace(asciiLower(nodeName(hive_, list.get()[i])), list.get()[i]);
                }
                listed = children_.emplace(node, std::move(names)).first;
            }
            const auto found = listed->second.find(asciiLower(name));
            if (found == listed->second.end()) {
                return 0;
            }
            node = found->second;
        }
        return node;
    }

private:
    hive_h* hive_;
    std::unordered_map<hive_node_h, std::unordered_map<std::string, hive_node_h>> children_;
};

// Names, types and bytes of a key's values, and its sub-key names, in stored order.
std::vector<std::string> contentOf(hive_h* hive, hive_node_h node) {
    std::vector<std::string> content;
    Malloced<hive_value_h> values(hivex_node_values(hive, node));
    for (std::size_t i = 0; values && values.get()[i] != 0; ++i) {
        hive_type type{};
        std::size_t length = 0;
        Malloced<char> bytes(hivex_value_value(hive, values.get()[i], &type, &length));
        content.push_back(valueName(hive, values.get()[i]) + '\0' + std::to_string(type) + '\0' +
                          (bytes ? std::string(bytes.get(), length) : std::string()));
    }
    Malloced<hive_node_h> children(hivex_node_children(hive, node));
    for (std::size_t i = 0; children && children.get()[i] != 0; ++i) {
        content.push_back("\\" + nodeName(hive, children.get()[i]));
    }
    return content;
}

} // namespace

Result<void> OfflineRegistry::verify(int hive, hive_h& written) const {
    hive_h* memory = hiveHandle(hive);
    PathFinder inMemory(memory);
    PathFinder inFile(&written);
    for (const std::vector<std::string>& path : changedPaths_[hive]) {
        std::string shown;
        for (const std::string& name : path) {
            shown += '\\' + name;
        }
        const hive_node_h expected = inMemory.find(path);
        const hive_node_h found = inFile.find(path);
        if ((expected == 0) != (found == 0)) {
            return makeError(shown + (found == 0 ? " is missing" : " is still there"));
        }
        if (expected != 0 && contentOf(memory, expected) != contentOf(&written, found)) {
            return makeError(shown + " differs");
        }
    }
    return {};
}

Result<void> OfflineRegistry::commit(const HiveFile::FailureHook& failAt) {
    std::scoped_lock lock(mutex_);
    for (std::size_t index = 0; index < hiveCount; ++index) {
        HiveFile* file = hives_.files[index].get();
        if (file == nullptr || !file->modified()) {
            continue;
        }
        const int hive = static_cast<int>(index);
        auto committed =
            file->commit([this, hive](hive_h& written) { return verify(hive, written); }, failAt);
        if (!committed) {
            return committed;
        }
        changedPaths_[index].clear();
    }
    return {};
}

Result<void> OfflineRegistry::reload() {
    std::scoped_lock lock(mutex_);
    std::array<std::unique_ptr<HiveFile>, hiveCount> reread;
    for (std::size_t index = 0; index < hiveCount; ++index) {
        if (hives_.files[index]) {
            auto file = HiveFile::open(hives_.files[index]->path());
            if (!file) {
                return file.error();
            }
            reread[index] = std::move(file.value());
        }
    }
    hives_.files = std::move(reread);
    for (Slot& slot : slots_) {
        slot.deleted = true;
    }
    for (auto& paths : changedPaths_) {
        paths.clear();
    }
    childCache_.clear();
    valueCache_.clear();
    classesChildCache_.clear();
    classesValueCache_.clear();
    findMountPoints();
    return {};
}

// --- the gateway ----------------------------------------------------------------------------

std::int32_t OfflineRegistry::RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) {
    std::scoped_lock lock(mutex_);
    if (subKey.empty()) {
        result = key;
        return winerr::success;
    }
    return openKey(key, subKey, false, result);
}

std::int32_t OfflineRegistry::RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) {
    std::scoped_lock lock(mutex_);
    return openKey(key, subKey, true, result);
}

std::int32_t OfflineRegistry::RegCloseKey(HKey key) {
    std::scoped_lock lock(mutex_);
    if (isPredefinedKey(key)) {
        return winerr::success;
    }
    const auto value = static_cast<std::uint64_t>(key);
    const std::uint64_t index = (value & 0xFFFFFFFFu) - 1;
    if (key == HKey::null || index >= slots_.size() || !slots_[index].open ||
        slots_[index].generation != (value >> 32)) {
        return winerr::invalidHandle;
    }
    slots_[index].open = false;
    freeSlots_.push_back(static_cast<std::uint32_t>(index));
    --openHandles_;
    return winerr::success;
}

std::int32_t OfflineRegistry::RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) {
    std::scoped_lock lock(mutex_);
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    info = RegKeyInfo{};
    const ChildList& keys = children(ref);
    if (keys.unreadable || values(ref).unreadable) {
        return winerr::accessDenied;
    }
    info.subKeys = static_cast<std::uint32_t>(keys.entries.size());
    if (parts == KeyInfoParts::everything) {
        for (const ChildEntry& entry : keys.entries) {
            info.maxSubKeyLen = std::max(info.maxSubKeyLen, utf16Length(entry.name));
        }
    }
    const ValueList& list = values(ref);
    if (list.unreadable) {
        return winerr::accessDenied;
    }
    info.values = static_cast<std::uint32_t>(list.entries.size());
    if (parts == KeyInfoParts::everything) {
        for (const ValueEntry& entry : list.entries) {
            info.maxValueNameLen = std::max(info.maxValueNameLen, utf16Length(entry.name));
            std::uint32_t type = 0;
            info.maxValueLen =
                std::max(info.maxValueLen, static_cast<std::uint32_t>(rawData(entry, type).size()));
        }
    }
    return winerr::success;
}

std::int32_t OfflineRegistry::RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                                          std::uint32_t nameSize) {
    std::scoped_lock lock(mutex_);
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    const ChildList& list = children(ref);
    if (list.unreadable) {
        return winerr::accessDenied;
    }
    if (index >= list.entries.size()) {
        return winerr::noMoreItems;
    }
    const std::string& text = list.entries[index].name;
    if (text.size() >= nameSize) {
        return winerr::moreData;
    }
    name = text;
    return winerr::success;
}

std::int32_t OfflineRegistry::RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                                            std::uint32_t& nameSize, std::uint32_t* type,
                                            std::string* data, std::uint32_t* dataSize) {
    std::scoped_lock lock(mutex_);
    if (data != nullptr && dataSize == nullptr) {
        return winerr::invalidParameter;
    }
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    const ValueList& list = values(ref);
    if (list.unreadable) {
        return winerr::accessDenied;
    }
    if (index >= list.entries.size()) {
        return winerr::noMoreItems;
    }
    const ValueEntry& value = list.entries[index];
    std::uint32_t storedType = 0;
    const std::string bytes = ansiData(value, storedType);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    if (value.name.size() >= nameSize || (data != nullptr && size > *dataSize)) {
        if (dataSize != nullptr) {
            *dataSize = size;
        }
        return winerr::moreData;
    }
    name = value.name;
    nameSize = static_cast<std::uint32_t>(name.size());
    if (type != nullptr) {
        *type = storedType;
    }
    if (data != nullptr) {
        *data = bytes;
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return winerr::success;
}

std::int32_t OfflineRegistry::RegQueryValueA(HKey key, std::string_view subKey, std::string* data,
                                             std::int32_t& dataSize) {
    std::scoped_lock lock(mutex_);
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    if (const std::int32_t rc = walk(ref, subKey, false, ref); rc != winerr::success) {
        return rc;
    }
    const ValueList& list = values(ref);
    if (list.unreadable) {
        return winerr::accessDenied;
    }
    const auto found = list.byName.find("");
    if (found == list.byName.end()) {
        if (data != nullptr) {
            data->clear();
        }
        dataSize = 1;
        return winerr::success;
    }
    std::uint32_t type = 0;
    const std::string bytes = ansiData(list.entries[found->second], type);
    const auto size = static_cast<std::int32_t>(bytes.size());
    if (data != nullptr) {
        if (size > dataSize) {
            dataSize = size;
            return winerr::moreData;
        }
        data->assign(bytes.substr(0, bytes.find('\0')));
    }
    dataSize = size;
    return winerr::success;
}

std::int32_t OfflineRegistry::RegQueryValueExA(HKey key, std::string_view valueName,
                                               std::uint32_t* type, std::string* data,
                                               std::uint32_t* dataSize) {
    std::scoped_lock lock(mutex_);
    if (data != nullptr && dataSize == nullptr) {
        return winerr::invalidParameter;
    }
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    const ValueList& list = values(ref);
    if (list.unreadable) {
        return winerr::accessDenied;
    }
    const auto found = list.byName.find(asciiLower(valueName));
    if (found == list.byName.end()) {
        if (type != nullptr) {
            *type = regtype::none;
        }
        if (dataSize != nullptr && data == nullptr) {
            *dataSize = 0;
        }
        return winerr::fileNotFound;
    }
    std::uint32_t storedType = 0;
    const std::string bytes = ansiData(list.entries[found->second], storedType);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    if (data != nullptr && size > *dataSize) {
        *dataSize = size;
        return winerr::moreData;
    }
    if (type != nullptr) {
        *type = storedType;
    }
    if (data != nullptr) {
        *data = bytes;
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return winerr::success;
}

std::int32_t OfflineRegistry::RegSetValueA(HKey key, std::string_view subKey, std::uint32_t type,
                                           std::string_view data) {
    std::scoped_lock lock(mutex_);
    if (type != regtype::sz) {
        return winerr::invalidParameter;
    }
    HKey target = key;
    if (!subKey.empty()) {
        if (const std::int32_t rc = openKey(key, subKey, true, target); rc != winerr::success) {
            return rc;
        }
    }
    std::string text(data.substr(0, data.find('\0')));
    text.push_back('\0');
    const std::int32_t rc = setValue(target, "", regtype::sz, utf8ToUtf16Bytes(text));
    if (target != key) {
        const auto value = static_cast<std::uint64_t>(target);
        const std::uint64_t index = (value & 0xFFFFFFFFu) - 1;
        slots_[index].open = false;
        freeSlots_.push_back(static_cast<std::uint32_t>(index));
        --openHandles_;
    }
    return rc;
}

std::int32_t OfflineRegistry::RegSetValueExA(HKey key, std::string_view valueName,
                                             std::uint32_t type, std::string_view data) {
    std::scoped_lock lock(mutex_);
    if (!regtype::isString(type)) {
        return setValue(key, valueName, type, data);
    }
    std::string text(data);
    if (!text.empty() && text.back() != '\0') {
        text.push_back('\0');
    }
    return setValue(key, valueName, type, utf8ToUtf16Bytes(text));
}

std::int32_t OfflineRegistry::RegDeleteKeyA(HKey key, std::string_view subKey) {
    std::scoped_lock lock(mutex_);
    return deleteKey(key, subKey);
}

std::int32_t OfflineRegistry::RegDeleteValueA(HKey key, std::string_view valueName) {
    std::scoped_lock lock(mutex_);
    return deleteValue(key, valueName);
}

std::int32_t OfflineRegistry::RegFlushKey(HKey key) {
    std::scoped_lock lock(mutex_);
    KeyRef ref;
    return refOf(key, ref);
}

std::int32_t OfflineRegistry::RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) {
    std::scoped_lock lock(mutex_);
    isLink = false;
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    if (!subKey.empty() && subKey.front() == '\\') {
        return winerr::badPathname;
    }
    while (!subKey.empty() && subKey.back() == '\\') {
        subKey.remove_suffix(1);
    }
    if (subKey.empty()) {
        return winerr::success;
    }
    const std::size_t last = subKey.rfind('\\');
    const std::string_view name = last == std::string_view::npos ? subKey : subKey.substr(last + 1);
    if (last != std::string_view::npos) {
        if (const std::int32_t rc = walk(ref, subKey.substr(0, last), false, ref);
            rc != winerr::success) {
            return rc;
        }
    }
    if (child(ref, name).kind == KeyRef::Kind::missing) {
        return winerr::fileNotFound;
    }
    isLink = isLinkChild(ref, name);
    return winerr::success;
}

namespace {

// Names the UTF-8 side cannot carry are no names this gateway can hold.
std::optional<std::string> narrowName(std::u16string_view name) {
    return wideToNarrow(name);
}

} // namespace

std::int32_t OfflineRegistry::RegOpenKeyExW(HKey key, std::u16string_view subKey, HKey& result) {
    const auto path = narrowName(subKey);
    if (!path) {
        return winerr::fileNotFound;
    }
    std::scoped_lock lock(mutex_);
    if (path->empty() && isPredefinedKey(key)) {
        result = key;
        return winerr::success;
    }
    return openKey(key, *path, false, result);
}

std::int32_t OfflineRegistry::RegCreateKeyExW(HKey key, std::u16string_view subKey, HKey& result) {
    const auto path = narrowName(subKey);
    if (!path) {
        return winerr::invalidParameter;
    }
    std::scoped_lock lock(mutex_);
    return openKey(key, *path, true, result);
}

std::int32_t OfflineRegistry::RegEnumKeyExW(HKey key, std::uint32_t index, std::u16string& name) {
    std::scoped_lock lock(mutex_);
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    const ChildList& list = children(ref);
    if (list.unreadable) {
        return winerr::accessDenied;
    }
    if (index >= list.entries.size()) {
        return winerr::noMoreItems;
    }
    name = utf8ToUtf16(list.entries[index].name);
    return winerr::success;
}

std::int32_t OfflineRegistry::RegEnumValueW(HKey key, std::uint32_t index, std::u16string& name,
                                            std::uint32_t& type, std::string& data) {
    std::scoped_lock lock(mutex_);
    KeyRef ref;
    if (const std::int32_t rc = refOf(key, ref); rc != winerr::success) {
        return rc;
    }
    const ValueList& list = values(ref);
    if (list.unreadable) {
        return winerr::accessDenied;
    }
    if (index >= list.entries.size()) {
        return winerr::noMoreItems;
    }
    name = utf8ToUtf16(list.entries[index].name);
    data = rawData(list.entries[index], type);
    return winerr::success;
}

std::int32_t OfflineRegistry::RegSetValueExW(HKey key, std::u16string_view valueName,
                                             std::uint32_t type, std::string_view data) {
    const auto name = narrowName(valueName);
    if (!name) {
        return winerr::invalidParameter;
    }
    std::scoped_lock lock(mutex_);
    return setValue(key, *name, type, data);
}

std::int32_t OfflineRegistry::RegDeleteKeyW(HKey key, std::u16string_view subKey) {
    const auto path = narrowName(subKey);
    if (!path) {
        return winerr::fileNotFound;
    }
    std::scoped_lock lock(mutex_);
    return deleteKey(key, *path);
}

std::int32_t OfflineRegistry::RegDeleteValueW(HKey key, std::u16string_view valueName) {
    const auto name = narrowName(valueName);
    if (!name) {
        return winerr::fileNotFound;
    }
    std::scoped_lock lock(mutex_);
    return deleteValue(key, *name);
}

std::size_t OfflineRegistry::openHandleCount() const {
    std::scoped_lock lock(mutex_);
    return openHandles_;
}

} // namespace tolvane::offline
