#include "platform/prefix/RegistryTree.h"

#include "platform/RegistryTypes.h"
#include "platform/base/FileTime.h"
#include "platform/base/Utf16Text.h"
#include "platform/prefix/RegFileSyntax.h"
#include "platform/prefix/UnitText.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace tolvane::prefix {
namespace {

template <typename T>
T* grow(Arena& arena, T* items, std::uint32_t count, std::uint32_t& capacity) {
    const std::uint32_t newCapacity = capacity == 0 ? 4 : capacity * 2;
    T* grown = arena.allocateArray<T>(newCapacity);
    if (count != 0) {
        std::memcpy(static_cast<void*>(grown), items, count * sizeof(T));
    }
    capacity = newCapacity;
    return grown;
}

} // namespace

RegistryTree::RegistryTree() {
    const std::uint64_t time = now();
    root_ = makeNode(nullptr, "REGISTRY", time);
    bool created = false;
    RegNode* machine = findOrAddChild(root_, "Machine", time, created);
    users_ = findOrAddChild(root_, "User", time, created);
    RegNode* userDefault = findOrAddChild(users_, ".Default", time, created);
    RegNode* currentUser = findOrAddChild(users_, "S-1-5-21-0-0-0-1000", time, created);
    branchRoots_ = {nullptr, machine, userDefault, currentUser};
    machine->branch = machineBranch;
    userDefault->branch = userDefaultBranch;
    currentUser->branch = currentUserBranch;
}

std::uint64_t RegistryTree::now() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ticks =
        std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count() / 100;
    return fileTimeOf1970 + static_cast<std::uint64_t>(ticks);
}

RegNode* RegistryTree::makeNode(RegNode* parent, std::string_view name, std::uint64_t modified) {
    ++changeCount_;
    RegNode* node = arena_.create<RegNode>();
    node->name = name.data();
    node->nameLength = static_cast<std::uint32_t>(name.size());
    node->parent = parent;
    node->modified = modified;
    node->branch = parent != nullptr ? parent->branch : std::uint8_t{noBranch};
    return node;
}

RegNode* RegistryTree::findChild(const RegNode* parent, std::string_view name,
                                 std::uint32_t* insertAt) const {
    std::uint32_t low = 0;
    std::uint32_t high = parent->childCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const int order = unittext::compareNames(parent->children[middle]->nameView(), name);
        if (order == 0) {
            if (insertAt != nullptr) {
                *insertAt = middle;
            }
            return parent->children[middle];
        }
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (insertAt != nullptr) {
        *insertAt = low;
    }
    return nullptr;
}

RegNode* RegistryTree::insertChild(RegNode* parent, std::uint32_t insertAt, std::string_view name,
                                   std::uint64_t modified) {
    RegNode* node = makeNode(parent, name, modified);
    if (parent->childCount == parent->childCapacity) {
        parent->children =
            grow(arena_, parent->children, parent->childCount, parent->childCapacity);
    }
    RegNode** children = parent->children;
    std::memmove(children + insertAt + 1, children + insertAt,
                 (parent->childCount - insertAt) * sizeof(RegNode*));
    children[insertAt] = node;
    ++parent->childCount;
    return node;
}

RegNode* RegistryTree::findOrAddChild(RegNode* parent, std::string_view name,
                                      std::uint64_t modified, bool& created) {
    created = false;
    std::uint32_t at = parent->childCount;
    if (at != 0) {
        const int order = unittext::compareNames(parent->children[at - 1]->nameView(), name);
        if (order == 0) {
            return parent->children[at - 1];
        }
        if (order > 0) {
            if (RegNode* found = findChild(parent, name, &at)) {
                return found;
            }
        }
    }
    created = true;
    return insertChild(parent, at, name, modified);
}

void RegistryTree::removeLeaf(RegNode* node) {
    RegNode* parent = node->parent;
    RegNode** end = parent->children + parent->childCount;
    RegNode** position = std::find(parent->children, end, node);
    if (position != end) {
        std::memmove(position, position + 1,
                     static_cast<std::size_t>(end - position - 1) * sizeof(RegNode*));
        --parent->childCount;
    }
    node->deleted = true;
    ++changeCount_;
    touch(parent);
}

RegValue* RegistryTree::findValue(const RegNode* node, std::string_view name,
                                  std::uint32_t* insertAt) const {
    std::uint32_t low = 0;
    std::uint32_t high = node->valueCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const int order = unittext::compareNames(node->values[middle].nameView(), name);
        if (order == 0) {
            if (insertAt != nullptr) {
                *insertAt = middle;
            }
            return &node->values[middle];
        }
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (insertAt != nullptr) {
        *insertAt = low;
    }
    return nullptr;
}

void RegistryTree::insertValueAt(RegNode* node, std::uint32_t at, const RegValue& value) {
    ++changeCount_;
    if (node->valueCount == node->valueCapacity) {
        node->values = grow(arena_, node->values, node->valueCount, node->valueCapacity);
    }
    std::memmove(static_cast<void*>(node->values + at + 1), node->values + at,
                 (node->valueCount - at) * sizeof(RegValue));
    node->values[at] = value;
    ++node->valueCount;
}

void RegistryTree::putValue(RegNode* node, const RegValue& value) {
    ++changeCount_;
    std::uint32_t at = node->valueCount;
    if (at != 0) {
        const int order = unittext::compareNames(node->values[at - 1].nameView(), value.nameView());
        if (order == 0) {
            node->values[at - 1] = value;
            return;
        }
        if (order > 0) {
            if (RegValue* found = findValue(node, value.nameView(), &at)) {
                *found = value;
                return;
            }
        }
    }
    insertValueAt(node, at, value);
}

bool RegistryTree::setValue(RegNode* node, std::string_view name, std::uint32_t type,
                            std::string_view bytes) {
    std::uint32_t at = 0;
    RegValue* existing = findValue(node, name, &at);
    if (existing != nullptr && existing->type == type && valueData(*existing) == bytes) {
        return false;
    }
    ++changeCount_;
    const std::string_view stored = arena_.copy(bytes);
    RegValue value;
    value.type = type;
    value.source = stored.data();
    value.sourceLength = static_cast<std::uint32_t>(stored.size());
    if (existing != nullptr) {
        // The name keeps the spelling it was created with.
        value.name = existing->name;
        value.nameLength = existing->nameLength;
        *existing = value;
    } else {
        const std::string_view storedName = arena_.copy(name);
        value.name = storedName.data();
        value.nameLength = static_cast<std::uint32_t>(storedName.size());
        insertValueAt(node, at, value);
    }
    touch(node);
    return true;
}

bool RegistryTree::deleteValue(RegNode* node, std::string_view name) {
    std::uint32_t at = 0;
    if (findValue(node, name, &at) == nullptr) {
        return false;
    }
    ++changeCount_;
    std::memmove(static_cast<void*>(node->values + at), node->values + at + 1,
                 (node->valueCount - at - 1) * sizeof(RegValue));
    --node->valueCount;
    touch(node);
    return true;
}

std::string RegistryTree::valueData(const RegValue& value) const {
    std::string bytes;
    readValueData(value, bytes);
    return bytes;
}

void RegistryTree::readValueData(const RegValue& value, std::string& bytes) const {
    bytes.clear();
    if (!value.fromFile) {
        bytes.assign(value.sourceView());
        return;
    }
    const std::string_view text = value.sourceView().substr(value.dataOffset);
    regfile::DataSyntax syntax;
    // The loader checked the text, so decoding cannot fail here.
    if (regfile::parseDataTag(text, syntax) == nullptr) {
        (void)regfile::decodeData(text, syntax, &bytes);
    }
}

bool RegistryTree::fileStringText(const RegValue& value, std::string* out,
                                  std::size_t& units) const {
    if (!value.fromFile) {
        return false;
    }
    const std::string_view text = value.sourceView().substr(value.dataOffset);
    regfile::DataSyntax syntax;
    if (regfile::parseDataTag(text, syntax) != nullptr ||
        syntax.form != regfile::DataForm::string) {
        return false;
    }
    // The loader checked the text: it ends with the closing quote.
    return regfile::decodeStringToUtf8(
        text.substr(syntax.bodyOffset, text.size() - syntax.bodyOffset - 1), out, units);
}

std::size_t RegistryTree::valueDataSize(const RegValue& value) const {
    if (!value.fromFile) {
        return value.sourceLength;
    }
    const std::string_view text = value.sourceView().substr(value.dataOffset);
    regfile::DataSyntax syntax;
    if (regfile::parseDataTag(text, syntax) != nullptr) {
        return 0;
    }
    std::size_t units = 0;
    switch (syntax.form) {
    case regfile::DataForm::dword:
        return 4;
    case regfile::DataForm::hex:
        return regfile::hexByteCount(text.substr(syntax.bodyOffset));
    case regfile::DataForm::string:
        if (fileStringText(value, nullptr, units)) {
            // UTF-16 units and the NUL.
            return (units + 1) * 2;
        }
        break;
    }
    return valueData(value).size();
}

RegistryTree::Details& RegistryTree::details(RegNode* node) {
    if (node->detailIndex == 0) {
        details_.emplace_back();
        node->detailIndex = static_cast<std::uint32_t>(details_.size());
    }
    return details_[node->detailIndex - 1];
}

std::string_view RegistryTree::className(const RegNode* node) const {
    return node->detailIndex == 0 ? std::string_view{} : details_[node->detailIndex - 1].className;
}

void RegistryTree::setClassName(RegNode* node, std::string_view unitText) {
    details(node).className = unitText;
}

const std::vector<std::string_view>& RegistryTree::keptLines(const RegNode* node) const {
    static const std::vector<std::string_view> none;
    return node->detailIndex == 0 ? none : details_[node->detailIndex - 1].keptLines;
}

void RegistryTree::keepLine(RegNode* node, std::string_view line) {
    details(node).keptLines.push_back(line);
}

RegNode* RegistryTree::followLink(RegNode* node, std::uint32_t depth) {
    if (!node->isLink) {
        return node;
    }
    if (depth > maxLinkDepth) {
        return nullptr;
    }
    const RegValue* value = findValue(node, "SymbolicLinkValue");
    if (value == nullptr) {
        return nullptr;
    }
    const std::u16string target = utf16BytesToUnits(valueData(*value));
    constexpr std::u16string_view rootPrefix = u"\\REGISTRY\\";
    if (target.size() <= rootPrefix.size() ||
        unittext::compareNames(
            unittext::fromUtf16(std::u16string_view(target).substr(0, rootPrefix.size())),
            unittext::fromUtf16(rootPrefix)) != 0) {
        return nullptr;
    }
    RegNode* current = root_;
    std::size_t pos = rootPrefix.size();
    while (pos < target.size()) {
        std::size_t end = target.find(u'\\', pos);
        if (end == std::u16string::npos) {
            end = target.size();
        }
        if (end > pos) {
            const std::string element =
                unittext::fromUtf16(std::u16string_view(target).substr(pos, end - pos));
            current = findChild(current, element);
            if (current == nullptr) {
                return nullptr;
            }
            current = followLink(current, depth + 1);
            if (current == nullptr) {
                return nullptr;
            }
        }
        pos = end + 1;
    }
    return current;
}

void RegistryTree::touch(RegNode* node) {
    node->modified = now();
    dirty_[node->branch] = true;
}

} // namespace tolvane::prefix
