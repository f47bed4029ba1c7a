#include "platform/prefix/WineRegistry.h"

#include "platform/base/AsciiText.h"
#include "platform/prefix/UnitText.h"
#include "platform/prefix/WineRegFileReader.h"
#include "platform/prefix/WineRegFileWriter.h"

#include <algorithm>
#include <array>

namespace tolvane::prefix {
namespace {

// Longest key name element and value name Wine accepts, in UTF-16 units.
constexpr std::size_t maxKeyNameUnits = 256;
constexpr std::size_t maxValueNameUnits = 16383;
constexpr std::uint32_t regLink = 6;

// Handles: the slot index in the low bits (above the first handle value, in steps of 4), the
// slot's generation in the top bits. No handle falls among the predefined keys.
constexpr std::uintptr_t firstHandle = 0x100;
constexpr unsigned generationShift = 27;
constexpr std::uintptr_t slotMask = (std::uintptr_t{1} << generationShift) - 1;
constexpr std::uint32_t generationCount = 32;
constexpr std::size_t maxHandleSlots = (slotMask + 1 - firstHandle) / 4;

constexpr std::array<std::string_view, 2> classesRootPath{"Software", "Classes"};
constexpr std::array<std::string_view, 4> currentConfigPath{"System", "CurrentControlSet",
                                                            "Hardware Profiles", "Current"};

} // namespace

WineRegistry::WineRegistry() : tree_(std::make_unique<RegistryTree>()) {}

WineRegistry::WineRegistry(std::unique_ptr<RegistryTree> tree) : tree_(std::move(tree)) {}

WineRegistry::~WineRegistry() = default;

Result<std::unique_ptr<WineRegistry>>
WineRegistry::openPrefix(const std::filesystem::path& prefix) {
    std::error_code error;
    if (!std::filesystem::is_directory(prefix, error)) {
        return makeError(prefix.string() + ": no such prefix folder");
    }
    struct Source {
        RegistryTree::Branch branch;
        const char* name;
    };
    static constexpr std::array<Source, 3> sources = {{
        {RegistryTree::machineBranch, "system.reg"},
        {RegistryTree::currentUserBranch, "user.reg"},
        {RegistryTree::userDefaultBranch, "userdef.reg"},
    }};
    auto tree = std::make_unique<RegistryTree>();
    std::array<BranchFile, RegistryTree::branchCount> files;
    std::string arch;
    for (const Source& source : sources) {
        const std::filesystem::path file = prefix / source.name;
        auto header = WineRegFileReader::load(*tree, source.branch, file);
        if (!header) {
            return header.error();
        }
        // Wine refuses a file whose architecture differs from the one system.reg set.
        if (!header->arch.empty()) {
            if (!arch.empty() && header->arch != arch) {
                return makeError(file.string() + ": architecture " + header->arch +
                                 " differs from system.reg (" + arch + ")");
            }
            arch = header->arch;
        }
        files[source.branch] = {file, std::move(header->preamble), header->stamp};
    }
    auto registry = std::make_unique<WineRegistry>(std::move(tree));
    registry->files_ = std::move(files);
    return registry;
}

Result<std::unique_ptr<WineRegistry>>
WineRegistry::openUserFile(const std::filesystem::path& file) {
    auto tree = std::make_unique<RegistryTree>();
    BranchFile bound{file, WineRegFileWriter::defaultPreamble(RegistryTree::currentUserBranch), {}};
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        auto header = WineRegFileReader::load(*tree, RegistryTree::currentUserBranch, file);
        if (!header) {
            return header.error();
        }
        bound.preamble = std::move(header->preamble);
        bound.stamp = header->stamp;
    } else {
        // Nothing to keep yet: the first save writes the file.
        tree->setDirty(RegistryTree::currentUserBranch, true);
    }
    auto registry = std::make_unique<WineRegistry>(std::move(tree));
    registry->files_[RegistryTree::currentUserBranch] = std::move(bound);
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
    std::vector<PendingFile> pending;
    for (std::size_t index = 0; index < files_.size(); ++index) {
        const auto branch = static_cast<RegistryTree::Branch>(index);
        BranchFile& file = files_[index];
        if (file.path.empty() || !tree_->isDirty(branch)) {
            continue;
        }
        const auto produce = [&](const auto& emit) {
            WineRegFileWriter::write(*tree_, branch, file.preamble, {reencodeValues, 0}, emit);
        };
        auto prepared = fileWriter_.prepare(file.path, produce);
        if (!prepared) {
            return prepared.error();
        }
        pending.push_back({branch, std::move(prepared.value())});
    }
    return pending;
}

void WineRegistry::markSaved(RegistryTree::Branch branch, const FileStamp& stamp) {
    std::scoped_lock lock(mutex_);
    tree_->setDirty(branch, false);
    files_[branch].stamp = stamp;
}

Result<void> WineRegistry::reload() {
    std::scoped_lock lock(mutex_);
    auto tree = std::make_unique<RegistryTree>();
    auto files = files_;
    for (std::size_t index = 0; index < files.size(); ++index) {
        const auto branch = static_cast<RegistryTree::Branch>(index);
        BranchFile& file = files[index];
        if (file.path.empty()) {
            continue;
        }
        if (!FileStamp::ofPath(file.path).exists) {
            // A user file that was never saved: still empty.
            tree->setDirty(branch, true);
            file.stamp = {};
            continue;
        }
        auto header = WineRegFileReader::load(*tree, branch, file.path);
        if (!header) {
            return header.error();
        }
        file.preamble = std::move(header->preamble);
        file.stamp = header->stamp;
    }
    forgetPaths();
    for (std::size_t index = 0; index < handleSlots_.size(); ++index) {
        HandleSlot& slot = handleSlots_[index];
        if (slot.node != nullptr) {
            slot.node = nullptr;
            ++slot.generation;
            freeSlots_.push_back(static_cast<std::uint32_t>(index));
        }
    }
    openHandles_ = 0;
    tree_ = std::move(tree);
    files_ = std::move(files);
    return {};
}

FileStamp WineRegistry::stampOf(RegistryTree::Branch branch) const {
    std::scoped_lock lock(mutex_);
    return files_[branch].stamp;
}

AtomicFileWriter WineRegistry::fileWriter() const {
    std::scoped_lock lock(mutex_);
    return fileWriter_;
}

bool WineRegistry::hasUnsavedChanges() const {
    std::scoped_lock lock(mutex_);
    for (std::size_t index = 0; index < files_.size(); ++index) {
        if (!files_[index].path.empty() &&
            tree_->isDirty(static_cast<RegistryTree::Branch>(index))) {
            return true;
        }
    }
    return false;
}

std::filesystem::path WineRegistry::fileOf(RegistryTree::Branch branch) const {
    std::scoped_lock lock(mutex_);
    return files_[branch].path;
}

void WineRegistry::setFileWriter(AtomicFileWriter writer) {
    std::scoped_lock lock(mutex_);
    fileWriter_ = std::move(writer);
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
            return mappedRoot(classesRootPath, create, classesRoot_, node);
        } else if (key == hkeyCurrentConfig) {
            return mappedRoot(currentConfigPath, create, currentConfig_, node);
        } else {
            return winerr::invalidHandle;
        }
        return winerr::success;
    }
    RegNode** slot = handleSlot(key);
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
    if (pathsChangeCount_ != tree_->changeCount()) {
        forgetPaths();
        pathsChangeCount_ = tree_->changeCount();
    }
}

void WineRegistry::forgetPaths() {
    lastBase_ = nullptr;
    lastPath_.clear();
    lastEnds_.clear();
    lastNodes_.clear();
    classesRoot_ = nullptr;
    currentConfig_ = nullptr;
}

std::int32_t WineRegistry::walk(RegNode* start, std::span<const std::string_view> elements,
                                bool create, RegNode*& node) {
    node = start;
    std::size_t first = 0;
    dropStalePaths();
    if (!create) {
        // The elements this path shares with the last one (byte for byte) lead to the same keys.
        if (start == lastBase_) {
            std::size_t begin = 0;
            while (first < elements.size() && first < lastNodes_.size() &&
                   std::string_view(lastPath_).substr(begin, lastEnds_[first] - begin) ==
                       elements[first]) {
                begin = lastEnds_[first] + 1;
                node = lastNodes_[first];
                ++first;
            }
        }
        lastBase_ = start;
        lastPath_.resize(first == 0 ? 0 : lastEnds_[first - 1] + 1);
        lastEnds_.resize(first);
        lastNodes_.resize(first);
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
            lastPath_ += element;
            lastEnds_.push_back(lastPath_.size());
            lastPath_ += '\\';
            lastNodes_.push_back(node);
        }
    }
    return winerr::success;
}

RegNode* WineRegistry::keyOnLastPath(RegNode* start, std::string_view unitText) {
    dropStalePaths();
    if (start != lastBase_ || unitText.empty() || unitText.size() > lastPath_.size() ||
        lastPath_.compare(0, unitText.size(), unitText) != 0) {
        return nullptr;
    }
    // The remembered path has no empty elements, so a text that matches it and ends where one
    // of its elements ends (a closing backslash aside) names that element's key.
    const std::size_t end = unitText.back() == '\\' ? unitText.size() - 1 : unitText.size();
    const auto found = std::lower_bound(lastEnds_.begin(), lastEnds_.end(), end);
    if (found == lastEnds_.end() || *found != end) {
        return nullptr;
    }
    return lastNodes_[static_cast<std::size_t>(found - lastEnds_.begin())];
}

HKey WineRegistry::newHandle(RegNode* node) {
    std::uint32_t index = 0;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        if (handleSlots_.size() == maxHandleSlots) {
            return HKey::null;
        }
        index = static_cast<std::uint32_t>(handleSlots_.size());
        handleSlots_.emplace_back();
    }
    HandleSlot& slot = handleSlots_[index];
    slot.node = node;
    ++openHandles_;
    return HKey{(std::uintptr_t{slot.generation % generationCount} << generationShift) |
                (firstHandle + std::uintptr_t{index} * 4)};
}

RegNode** WineRegistry::handleSlot(HKey key) {
    const auto value = static_cast<std::uintptr_t>(key);
    const std::uintptr_t low = value & slotMask;
    const std::uintptr_t generation = value >> generationShift;
    if (low < firstHandle || (low - firstHandle) % 4 != 0 || generation >= generationCount) {
        return nullptr;
    }
    const std::size_t index = (low - firstHandle) / 4;
    if (index >= handleSlots_.size()) {
        return nullptr;
    }
    HandleSlot& slot = handleSlots_[index];
    if (slot.node == nullptr || slot.generation % generationCount != generation) {
        return nullptr;
    }
    return &slot.node;
}

bool WineRegistry::closeHandle(HKey key) {
    RegNode** node = handleSlot(key);
    if (node == nullptr) {
        return false;
    }
    const std::size_t index = ((static_cast<std::uintptr_t>(key) & slotMask) - firstHandle) / 4;
    HandleSlot& slot = handleSlots_[index];
    slot.node = nullptr;
    ++slot.generation;
    freeSlots_.push_back(static_cast<std::uint32_t>(index));
    --openHandles_;
    return true;
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
    result = newHandle(target);
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
        if (RegNode* known = keyOnLastPath(base, unitText)) {
            result = newHandle(known);
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
    return closeHandle(key) ? winerr::success : winerr::invalidHandle;
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
        closeHandle(target);
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
    return openHandles_;
}

} // namespace tolvane::prefix
