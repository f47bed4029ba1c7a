#include "modules/SoftwareKeyWalk.h"

#include "platform/FileSystem.h"
#include "platform/services/CRegTools.h"
#include "platform/services/PathChecks.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"

namespace tolvane {

namespace {

constexpr std::string_view startPath = "Software\\";
// Keys are shown while fewer components than this stand below the start path.
constexpr std::size_t shownDepth = 3;

// Data (lower-cased) holding ".exe" followed by a blank, quote or comma, ".dll" or ".cpl" followed
// by a comma, blank or backslash, a "~" or a ";" is a command line, a list or a short name, not a
// path. One pass looks for all of them: this runs for nearly every value of the walk.
bool containsSkipText(std::string_view data) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '~' || c == ';') {
            return true;
        }
        if (c != '.' || i + 4 >= data.size()) {
            continue;
        }
        const std::string_view extension = data.substr(i + 1, 3);
        const char next = data[i + 4];
        if (extension == "exe" && (next == ' ' || next == '"' || next == ',')) {
            return true;
        }
        if ((extension == "dll" || extension == "cpl") &&
            (next == ' ' || next == '\\' || next == ',')) {
            return true;
        }
    }
    return false;
}

// A second ":\" after the first: a list of paths.
bool holdsSecondDrivePath(std::string_view data) {
    const std::size_t first = data.find(":\\");
    return first != std::string_view::npos && data.find(":\\", first + 2) != std::string_view::npos;
}

void cutAtNul(std::string& text) {
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
        text.resize(nul);
    }
}

} // namespace

// A sub-key name fits the working buffer, so the current path can never outgrow its own.
static_assert(SoftwareKeyWalk::workingBufferSize + maxPath < SoftwareKeyWalk::currentPathSize);

SoftwareKeyWalk::SoftwareKeyWalk(ModuleSet* owner, int moduleId, const Platform& platform,
                                 Area area)
    : CModule(owner, moduleId), platform_(platform), area_(area) {}

ProblemList SoftwareKeyWalk::Scan() {
    resetList();
    walk();
    // A stopped walk leaves its state behind; the next one starts afresh anyway.
    currentPath_.clear();
    components_.clear();
    frames_.clear();
    return takeList();
}

void SoftwareKeyWalk::walk() {
    currentPath_.assign(startPath);
    components_.clear();
    frames_.clear();
    RegKey key;
    if (!enterCurrentKey(key)) {
        return;
    }
    while (!frames_.empty()) {
        if (stopRequested()) {
            return;
        }
        Frame& frame = frames_.back();
        if (frame.nextSubKey == frame.subKeys) {
            leaveCurrentKey(key);
            continue;
        }
        if (!appendSubKey(key, frame.nextSubKey++)) {
            continue;
        }
        key.close();
        if (enterCurrentKey(key)) {
            continue;
        }
        // The sub-key did not open: pass it over and go on with its siblings.
        cutComponent();
        reopenCurrentKey(key);
    }
}

void SoftwareKeyWalk::reopenCurrentKey(RegKey& key) {
    if (RegKey::open(platform_.registry, area_.root, currentPath_, key) != winerr::success) {
        // The key went away meanwhile: nothing more of it can be read.
        frames_.back() = Frame{0, 0, 0};
    }
}

bool SoftwareKeyWalk::enterCurrentKey(RegKey& key) {
    if (RegKey::open(platform_.registry, area_.root, currentPath_, key) != winerr::success) {
        return false;
    }
    if (components_.size() < shownDepth) {
        setStatusText(currentPath_);
    }
    RegKeyInfo info;
    if (platform_.registry.RegQueryInfoKeyA(key.get(), info, KeyInfoParts::counts) !=
        winerr::success) {
        info = RegKeyInfo{};
    }
    const std::uint32_t subKeys = info.subKeys <= maxSubKeys ? info.subKeys : 0;
    frames_.push_back(Frame{subKeys, info.values, 0});
    return true;
}

bool SoftwareKeyWalk::appendSubKey(RegKey& key, std::uint32_t index) {
    subKeyName_.clear();
    if (platform_.registry.RegEnumKeyA(key.get(), index, subKeyName_, subKeyNameOffer) !=
        winerr::success) {
        return false;
    }
    // A link key leads to a key the walk sees under its own path (Wow6432Node keys of a prefix).
    if (IsLinkKey(platform_.registry, key.get(), subKeyName_)) {
        return false;
    }
    if (area_.skipClassesAndInstaller && (subKeyName_.find("Classes") != std::string::npos ||
                                          subKeyName_.find("Installer") != std::string::npos)) {
        return false;
    }
    // A path that would not fit the working buffer names a key that does not open.
    const std::size_t component = subKeyName_.size() + 1;
    if (currentPath_.size() + component >= workingBufferSize) {
        return false;
    }
    currentPath_ += subKeyName_;
    currentPath_ += '\\';
    components_.push_back(static_cast<std::uint32_t>(component));
    return true;
}

void SoftwareKeyWalk::cutComponent() {
    if (!components_.empty()) {
        currentPath_.resize(currentPath_.size() - components_.back());
        components_.pop_back();
    }
}

void SoftwareKeyWalk::leaveCurrentKey(RegKey& key) {
    // The values come after the whole sub-tree, so deeper problems are listed first.
    const std::uint32_t values = frames_.back().values;
    for (std::uint32_t index = 0; index < values; ++index) {
        examineValue(key.get(), index);
    }
    key.close();
    frames_.pop_back();
    cutComponent();
    if (!frames_.empty()) {
        reopenCurrentKey(key);
    }
}

void SoftwareKeyWalk::examineValue(HKey key, std::uint32_t index) {
    std::uint32_t nameSize = maxPath;
    std::uint32_t type = regtype::none;
    std::uint32_t dataSize = maxPath;
    if (platform_.registry.RegEnumValueA(key, index, valueName_, nameSize, &type, &valueData_,
                                         &dataSize) != winerr::success) {
        return;
    }
    // The default value is never examined, nor any value that does not hold text.
    if (valueName_.empty() || (type != regtype::sz && type != regtype::expandSz)) {
        return;
    }
    cutAtNul(valueData_);
    // Lower-cases unquoted data: every later test and the description see it so.
    if (!HasDrivePath(valueData_, drivePath_)) {
        return;
    }
    // The text tests come before the file tests: they are cheaper and decide most values.
    if (valueData_.size() <= 3 || valueData_.front() == '"' || holdsSecondDrivePath(valueData_) ||
        containsSkipText(valueData_)) {
        return;
    }
    if (platform_.files.PathFileExistsA(valueData_) ||
        platform_.files.PathIsDirectoryA(valueData_)) {
        return;
    }
    std::string description(area_.descriptionPrefix);
    description += valueData_;
    addProblem(entrykind::ordinary, missingPath, description, valueName_, currentPath_);
}

bool SoftwareKeyWalk::Fix(std::span<ProblemRecord> records, bool backup) {
    CRegTools tools(platform_);
    const auto file = backupFile();
    for (ProblemRecord& record : records) {
        if (!isMine(record, {entrykind::ordinary})) {
            continue;
        }
        RegKey key;
        if (RegKey::open(platform_.registry, area_.root, record.secondaryName, key) !=
            winerr::success) {
            continue;
        }
        // Every record saves its key anew, before its value goes. A key path that does not fit
        // the working buffer cannot be exported.
        if (backup && (record.secondaryName.size() >= workingBufferSize ||
                       tools.backupKeyOutcome(file, area_.root, record.secondaryName) ==
                           BackupOutcome::failed)) {
            keepForFailedBackup(record);
            continue;
        }
        keepUnlessRemoved(record,
                          platform_.registry.RegDeleteValueA(key.get(), record.primaryName));
    }
    return true;
}

std::vector<FixTarget> SoftwareKeyWalk::fixTargets(const ProblemRecord& record) const {
    return {FixTarget{area_.root, record.secondaryName, record.primaryName}};
}

} // namespace tolvane
