#include "platform/prefix/WineRegistry.h"

#include "platform/base/AsciiText.h"
#include "platform/prefix/UnitText.h"

#include <algorithm>
#include <array>

namespace tolvane::prefix {
namespace {

// Longest key name element and value name Wine accepts, in UTF-16 units.
constexpr std::size_t maxKeyNameUnits = 256;
constexpr std::size_t maxValueNameUnits = 16383;
constexpr std::uint32_t regLink = 6;

constexpr std::array<std::string_view, 2> classesRootPath{"Software", "Classes"};
constexpr std::array<std::string_view, 4> currentConfigPath{"System", "CurrentControlSet",
                                                            "Hardware Profiles", "Current"};

} // namespace

WineRegistry::WineRegistry() : tree_(std::make_unique<RegistryTree>()) {}

WineRegistry::WineRegistry(std::unique_ptr<RegistryTree> tree) : tree_(std::move(tree)) {}

WineRegistry::~WineRegistry() = default;

Result<std::unique_ptr<WineRegistry>>
WineRegistry::openPrefix(const std::filesystem::path& prefix) {
    auto tree = std::make_unique<RegistryTree>();
    auto files = RegistryBranchFiles::loadPrefix(prefix, *tree);
    return over(std::move(tree), std::move(files));
}

Result<std::unique_ptr<WineRegistry>>
WineRegistry::openUserFile(const std::filesystem::path& file) {
    auto tree = std::make_unique<RegistryTree>();
    auto files = RegistryBranchFiles::loadUserFile(file, *tree);
    return over(std::move(tree), std::move(files));
}

Result<std::unique_ptr<WineRegistry>> WineRegistry::over(std::unique_ptr<RegistryTree> tree,
                                                         Result<RegistryBranchFiles> files) {
    if (!files) {
        return files.error();
    }
    auto registry = std::make_unique<WineRegistry>(std::move(tree));
    registry->files_ = std::move(files.value());
    return registry;
}

Result<void> WineRegistry::save(bool reencodeValues) {
    auto pending = prepareSave(reencodeValues);
    if (!pending) {
        return pending.error();
    }
    const AtomicFileWriter writer = fileWriter();
    for (PendingFile& file : pending.value()) {
        if (auto committed = writer.commit(file.file); !committed) {
            return committed;
        }
        markSaved(file.branch, file.file.stamp());
    }
    return {};
}

Result<std::vector<WineRegistry::PendingFile>> WineRegistry::prepareSave(bool reencodeValues) {
    std::scoped_lock lock(mutex_);
    return files_.prepareSave(*tree_, reencodeValues);
}

void WineRegistry::markSaved(RegistryTree::Branch branch, const FileStamp& stamp) {
    std::scoped_lock lock(mutex_);
    tree_->setDirty(branch, false);
    files_.markSaved(branch, stamp);
}

Result<void> WineRegistry::reload() {
    std::scoped_lock lock(mutex_);
    auto tree = std::make_unique<RegistryTree>();
    auto files = files_.reloadInto(*tree);
    if (!files) {
        return files.error();
    }
    walks_.forget();
    handles_.closeAll();
    tree_ = std::move(tree);
    files_ = std::move(files.value());
    return {};
}

FileStamp WineRegistry::stampOf(RegistryTree::Branch branch) const {
    std::scoped_lock lock(mutex_);
    return files_.stamp(branch);
}

AtomicFileWriter WineRegistry::fileWriter() const {
    std::scoped_lock lock(mutex_);
    return files_.writer();
}

bool WineRegistry::hasUnsavedChanges() const {
    std::scoped_lock lock(mutex_);
    return files_.hasUnsavedChanges(*tree_);
}

std::filesystem::path WineRegistry::fileOf(RegistryTree::Branch branch) const {
    std::scoped_lock lock(mutex_);
    return files_.path(branch);
}

void WineRegistry::setFileWriter(AtomicFileWriter writer) {
    std::scoped_lock lock(mutex_);
    files_.setWriter(std::move(writer));
}

WineRegistry::ParsedPath WineRegistry::splitUnitText(HKey key, std::string_view unitText) {
    ParsedPath parsed;
    elementBuffer_.clear();
    std::size_t pos = 0;
    if (!unitText.empty() && unitText.front() == '\\') {
        // Only HKEY_CLASSES_ROOT skips one leading separator; elsewhere it is a bad path.
        if (key != hkeyClassesRoot || (unitText.size() > 1 && unitText[1] == '\\')) {
            parsed.error = winerr::badPathname;
            return parsed;
        }
        pos = 1;
    }
    // A backslash is never part of a longer unit in unit text, so splitting the text splits
    // the UTF-16 path.
    while (pos < unitText.size()) {
        std::size_t end = unitText.find('\\', pos);
        if (end == std::string_view::npos) {
            end = unitText.size();
        }
        if (end > pos) {
            elementBuffer_.push_back(unitText.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    parsed.elements = elementBuffer_;
    return parsed;
}

WineRegistry::ParsedPath WineRegistry::parsePath(HKey key, std::u16string_view path) {
    unitBuffer_ = unittext::fromUtf16(path);
    return splitUnitText(key, unitBuffer_);
}

WineRegistry::ParsedPath WineRegistry::parsePathA(HKey key, std::string_view path) {
    return splitUnitText(key, unitTextOf(path));
}

std::string_view WineRegistry::unitTextOf(std::string_view utf8) {
    if (isAscii(utf8)) {
        return utf8;
    }
    unitBuffer_ = unittext::fromUtf8(utf8);
    return unitBuffer_;
}

std::int32_t WineRegistry::nodeOf(HKey key, bool create, RegNode*& node) {
    node = nullptr;
    if (key == HKey::null) {
        return winerr::invalidHandle;
    }
    if (isPredefinedKey(key)) {
        dropStalePaths();
        RegNode* machine = tree_->branchRoot(RegistryTree::machineBranch);
        if (key == hkeyLocalMachine) {
            node = machine;
        } else if (key == hkeyCurrentUser) {
            node = tree_->branchRoot(RegistryTree::currentUserBranch);
        } else if (key == hkeyUsers) {
            node = tree_->usersNode();
        } else if (key == hkeyClassesRoot) {
            return mappedRoot(classesRootPath, create, walks_.classesRoot(), node);
        } else if (key == hkeyCurrentConfig) {
            return mappedRoot(currentConfigPath, create, walks_.currentConfig(), node);
        } else {
            return winerr::invalidHandle;
        }
        return winerr::success;
    }
    RegNode** slot = handles_.find(key);
    if (slot == nullptr) {
        return winerr::invalidHandle;
    }
    if ((*slot)->deleted) {
        return winerr::keyDeleted;
    }
    node = *slot;
    return winerr::success;
}

std::int32_t WineRegistry::mappedRoot(std::span<const std::string_view> path, bool create,
                                      RegNode*& known, RegNode*& node) {
    if (known == nullptr) {
        RegNode* machine = tree_->branchRoot(RegistryTree::machineBranch);
        if (const std::int32_t rc = walk(machine, path, create, node); rc != winerr::success) {
            return rc;
        }
        known = node;
    }
    node = known;
    return winerr::success;
}

void WineRegistry::dropStalePaths() {
    walks_.dropStale(tree_->changeCount());
}

std::int32_t WineRegistry::walk(RegNode* start, std::span<const std::string_view> elements,
                                bool create, RegNode*& node) {
    node = start;
    std::size_t first = 0;
    dropStalePaths();
    if (!create) {
        // The elements this path shares with the last one lead to the same keys.
        first = walks_.resume(start, elements, node);
    }
    for (const std::string_view element : elements.subspan(first)) {
        std::uint32_t at = 0;
        RegNode* child = tree_->findChild(node, element, &at);
        if (child == nullptr) {
            if (!create) {
                node = nullptr;
                return winerr::fileNotFound;
            }
            if (unittext::unitCount(element) > maxKeyNameUnits) {
                node = nullptr;
                return winerr::invalidParameter;
            }
            child = tree_->insertChild(node, at, tree_->arena().copy(element), RegistryTree::now());
            tree_->touch(node);
            tree_->touch(child);
        }
        node = tree_->followLink(child);
        if (node == nullptr) {
            return winerr::fileNotFound;
        }
        if (!create) {
            walks_.record(element, node);
        }
    }
    return winerr::success;
}

std::int32_t WineRegistry::openKey(HKey key, const ParsedPath& path, bool create, HKey& result) {
    result = HKey::null;
    if (path.error != winerr::success) {
        return path.error;
    }
    RegNode* base = nullptr;
    if (const std::int32_t rc = nodeOf(key, create, base); rc != winerr::success) {
        return rc;
    }
    RegNode* target = nullptr;
    if (const std::int32_t rc = walk(base, path.elements, create, target); rc != winerr::success) {
        return rc;
    }
    result = handles_.open(target);
    return result != HKey::null ? winerr::success : winerr::notEnoughMemory;
}

std::int32_t WineRegistry::RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) {
    std::scoped_lock lock(mutex_);
    if (subKey.empty()) {
        // Win32 hands back the key itself without looking at it.
        result = key;
        return winerr::success;
    }
    const std::string_view unitText = unitTextOf(subKey);
    RegNode* base = nullptr;
    if (nodeOf(key, false, base) == winerr::success) {
        dropStalePaths();
        if (RegNode* known = walks_.keyOnPath(base, unitText)) {
            result = handles_.open(known);
            return result != HKey::null ? winerr::success : winerr::notEnoughMemory;
        }
    }
    return openKey(key, splitUnitText(key, unitText), false, result);
}

std::int32_t WineRegistry::RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) {
    std::scoped_lock lock(mutex_);
    return openKey(key, parsePathA(key, subKey), true, result);
}

std::int32_t WineRegistry::RegCloseKey(HKey key) {
    std::scoped_lock lock(mutex_);
    if (isPredefinedKey(key)) {
        return winerr::success;
    }
    return handles_.close(key) ? winerr::success : winerr::invalidHandle;
}

std::int32_t WineRegistry::RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) {
    std::scoped_lock lock(mutex_);
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    info = RegKeyInfo{};
    info.subKeys = node->childCount;
    info.values = node->valueCount;
    if (parts == KeyInfoParts::counts) {
        return winerr::success;
    }
    for (std::uint32_t k = 0; k < node->childCount; ++k) {
        const RegNode* child = node->children[k];
        info.maxSubKeyLen = std::max(
            info.maxSubKeyLen, static_cast<std::uint32_t>(unittext::unitCount(child->nameView())));
        info.maxClassLen =
            std::max(info.maxClassLen,
                     static_cast<std::uint32_t>(unittext::unitCount(tree_->className(child))));
    }
    for (std::uint32_t k = 0; k < node->valueCount; ++k) {
        const RegValue& value = node->values[k];
        info.maxValueNameLen =
            std::max(info.maxValueNameLen,
                     static_cast<std::uint32_t>(unittext::unitCount(value.nameView())));
        info.maxValueLen =
            std::max(info.maxValueLen, static_cast<std::uint32_t>(tree_->valueDataSize(value)));
    }
    return winerr::success;
}

std::int32_t WineRegistry::RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                                       std::uint32_t nameSize) {
    std::scoped_lock lock(mutex_);
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    if (index >= node->childCount) {
        return winerr::noMoreItems;
    }
    const std::string_view text = ansiName(node->children[index]->nameView());
    if (text.size() >= nameSize) {
        return winerr::moreData;
    }
    name.assign(text);
    return winerr::success;
}

std::string_view WineRegistry::ansiName(std::string_view unitText) {
    if (isAscii(unitText)) {
        return unitText;
    }
    nameBuffer_ = unittext::toUtf8(unitText);
    return nameBuffer_;
}

std::string_view WineRegistry::ansiData(const RegValue& value) {
    if (regtype::isString(value.type)) {
        // Text read from a file decodes straight to the UTF-8 the caller gets.
        dataBuffer_.clear();
        std::size_t units = 0;
        if (tree_->fileStringText(value, &dataBuffer_, units)) {
            dataBuffer_.push_back('\0');
            return dataBuffer_;
        }
        dataBuffer_ = unittext::utf16BytesToUtf8(tree_->valueData(value));
        return dataBuffer_;
    }
    if (!value.fromFile) {
        return value.sourceView();
    }
    tree_->readValueData(value, dataBuffer_);
    return dataBuffer_;
}

std::int32_t WineRegistry::RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                                         std::uint32_t& nameSize, std::uint32_t* type,
                                         std::string* data, std::uint32_t* dataSize) {
    std::scoped_lock lock(mutex_);
    if (data != nullptr && dataSize == nullptr) {
        return winerr::invalidParameter;
    }
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    if (index >= node->valueCount) {
        return winerr::noMoreItems;
    }
    const RegValue& value = node->values[index];
    const std::string_view text = ansiName(value.nameView());
    const std::string_view bytes = ansiData(value);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    if (text.size() >= nameSize || (data != nullptr && size > *dataSize)) {
        if (dataSize != nullptr) {
            *dataSize = size;
        }
        return winerr::moreData;
    }
    name.assign(text);
    nameSize = static_cast<std::uint32_t>(name.size());
    if (type != nullptr) {
        *type = value.type;
    }
    if (data != nullptr) {
        data->assign(bytes);
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return winerr::success;
}

std::int32_t WineRegistry::RegQueryValueA(HKey key, std::string_view subKey, std::string* data,
                                          std::int32_t& dataSize) {
    std::scoped_lock lock(mutex_);
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    if (!subKey.empty()) {
        const ParsedPath path = parsePathA(key, subKey);
        if (path.error != winerr::success) {
            return path.error;
        }
        if (const std::int32_t rc = walk(node, path.elements, false, node); rc != winerr::success) {
            return rc;
        }
    }
    const RegValue* value = tree_->findValue(node, "");
    if (value == nullptr) {
        // Wine answers a key without a default value with an empty text.
        if (data != nullptr) {
            data->clear();
        }
        dataSize = 1;
        return winerr::success;
    }
    const std::string_view bytes = ansiData(*value);
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

std::int32_t WineRegistry::RegQueryValueExA(HKey key, std::string_view valueName,
                                            std::uint32_t* type, std::string* data,
                                            std::uint32_t* dataSize) {
    std::scoped_lock lock(mutex_);
    if (data != nullptr && dataSize == nullptr) {
        return winerr::invalidParameter;
    }
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    const RegValue* value = tree_->findValue(node, unitTextOf(valueName));
    if (value == nullptr) {
        if (type != nullptr) {
            *type = regtype::none;
        }
        if (dataSize != nullptr && data == nullptr) {
            *dataSize = 0;
        }
        return winerr::fileNotFound;
    }
    const std::string_view bytes = ansiData(*value);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    if (data != nullptr && size > *dataSize) {
        *dataSize = size;
        return winerr::moreData;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    if (data != nullptr) {
        data->assign(bytes);
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return winerr::success;
}

std::int32_t WineRegistry::setValue(HKey key, std::string_view nameUnitText, std::uint32_t type,
                                    std::string_view bytes) {
    if (unittext::unitCount(nameUnitText) > maxValueNameUnits) {
        return winerr::invalidParameter;
    }
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, true, node); rc != winerr::success) {
        return rc;
    }
    // A link key holds nothing but its target.
    if (node->isLink &&
        (type != regLink || unittext::compareNames(nameUnitText, "SymbolicLinkValue") != 0)) {
        return winerr::accessDenied;
    }
    tree_->setValue(node, nameUnitText, type, bytes);
    return winerr::success;
}

std::int32_t WineRegistry::RegSetValueA(HKey key, std::string_view subKey, std::uint32_t type,
                                        std::string_view data) {
    std::scoped_lock lock(mutex_);
    if (type != regtype::sz) {
        return winerr::invalidParameter;
    }
    HKey target = key;
    if (!subKey.empty()) {
        if (const std::int32_t rc = openKey(key, parsePathA(key, subKey), true, target);
            rc != winerr::success) {
            return rc;
        }
    }
    // The length is that of the C string, its NUL included.
    std::string text(data.substr(0, data.find('\0')));
    text.push_back('\0');
    const std::int32_t rc = setValue(target, "", regtype::sz, unittext::utf8ToUtf16Bytes(text));
    if (target != key) {
        handles_.close(target);
    }
    return rc;
}

std::int32_t WineRegistry::RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t type,
                                          std::string_view data) {
    std::scoped_lock lock(mutex_);
    if (!regtype::isString(type)) {
        return setValue(key, unitTextOf(valueName), type, data);
    }
    std::string text(data);
    // A string without its NUL gets one, as Win32 counts the NUL that follows the data.
    if (!text.empty() && text.back() != '\0') {
        text.push_back('\0');
    }
    return setValue(key, unitTextOf(valueName), type, unittext::utf8ToUtf16Bytes(text));
}

std::int32_t WineRegistry::deleteKey(HKey key, const ParsedPath& path) {
    if (path.error != winerr::success) {
        return path.error;
    }
    RegNode* target = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, target); rc != winerr::success) {
        return rc;
    }
    if (const std::int32_t rc = walk(target, path.elements, false, target); rc != winerr::success) {
        return rc;
    }
    const bool structural =
        target == tree_->registryRoot() || target == tree_->usersNode() ||
        target->branch == RegistryTree::noBranch ||
        target == tree_->branchRoot(static_cast<RegistryTree::Branch>(target->branch));
    if (structural || target->childCount != 0) {
        return winerr::accessDenied;
    }
    tree_->removeLeaf(target);
    return winerr::success;
}

std::int32_t WineRegistry::RegDeleteKeyA(HKey key, std::string_view subKey) {
    std::scoped_lock lock(mutex_);
    return deleteKey(key, parsePathA(key, subKey));
}

std::int32_t WineRegistry::deleteValue(HKey key, std::string_view nameUnitText) {
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    return tree_->deleteValue(node, nameUnitText) ? winerr::success : winerr::fileNotFound;
}

std::int32_t WineRegistry::RegDeleteValueA(HKey key, std::string_view valueName) {
    std::scoped_lock lock(mutex_);
    return deleteValue(key, unitTextOf(valueName));
}

std::int32_t WineRegistry::RegFlushKey(HKey key) {
    std::scoped_lock lock(mutex_);
    RegNode* node = nullptr;
    return nodeOf(key, false, node);
}

std::int32_t WineRegistry::RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) {
    std::scoped_lock lock(mutex_);
    isLink = false;
    const ParsedPath path = parsePathA(key, subKey);
    if (path.error != winerr::success) {
        return path.error;
    }
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    if (path.elements.empty()) {
        // The key itself: a handle or root stands for the key it was opened as.
        return winerr::success;
    }
    // Every element but the last is followed as an open would follow it.
    if (const std::int32_t rc =
            walk(node, path.elements.first(path.elements.size() - 1), false, node);
        rc != winerr::success) {
        return rc;
    }
    const RegNode* child = tree_->findChild(node, path.elements.back());
    if (child == nullptr) {
        return winerr::fileNotFound;
    }
    isLink = child->isLink;
    return winerr::success;
}

std::int32_t WineRegistry::RegOpenKeyExW(HKey key, std::u16string_view subKey, HKey& result) {
    std::scoped_lock lock(mutex_);
    if (subKey.empty() && isPredefinedKey(key)) {
        result = key;
        return winerr::success;
    }
    return openKey(key, parsePath(key, subKey), false, result);
}

std::int32_t WineRegistry::RegCreateKeyExW(HKey key, std::u16string_view subKey, HKey& result) {
    std::scoped_lock lock(mutex_);
    return openKey(key, parsePath(key, subKey), true, result);
}

std::int32_t WineRegistry::RegEnumKeyExW(HKey key, std::uint32_t index, std::u16string& name) {
    std::scoped_lock lock(mutex_);
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    if (index >= node->childCount) {
        return winerr::noMoreItems;
    }
    name = unittext::toUtf16(node->children[index]->nameView());
    return winerr::success;
}

std::int32_t WineRegistry::RegEnumValueW(HKey key, std::uint32_t index, std::u16string& name,
                                         std::uint32_t& type, std::string& data) {
    std::scoped_lock lock(mutex_);
    RegNode* node = nullptr;
    if (const std::int32_t rc = nodeOf(key, false, node); rc != winerr::success) {
        return rc;
    }
    if (index >= node->valueCount) {
        return winerr::noMoreItems;
    }
    const RegValue& value = node->values[index];
    name = unittext::toUtf16(value.nameView());
    type = value.type;
    data = tree_->valueData(value);
    return winerr::success;
}

std::int32_t WineRegistry::RegSetValueExW(HKey key, std::u16string_view valueName,
                                          std::uint32_t type, std::string_view data) {
    std::scoped_lock lock(mutex_);
    return setValue(key, unittext::fromUtf16(valueName), type, data);
}

std::int32_t WineRegistry::RegDeleteKeyW(HKey key, std::u16string_view subKey) {
    std::scoped_lock lock(mutex_);
    return deleteKey(key, parsePath(key, subKey));
}

std::int32_t WineRegistry::RegDeleteValueW(HKey key, std::u16string_view valueName) {
    std::scoped_lock lock(mutex_);
    return deleteValue(key, unittext::fromUtf16(valueName));
}

std::size_t WineRegistry::openHandleCount() const {
    std::scoped_lock lock(mutex_);
    return handles_.openCount();
}

} // namespace tolvane::prefix
