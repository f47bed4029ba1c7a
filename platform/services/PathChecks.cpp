#include "platform/services/PathChecks.h"

#include "platform/base/AsciiText.h"
#include "platform/base/HexText.h"
#include "platform/services/CommandLineTarget.h"
#include "platform/services/RegKey.h"

#include <algorithm>
#include <array>

namespace tolvane {

namespace {

// The "Applications\" key path is built in a buffer of 268 bytes.
constexpr std::size_t applicationKeyBuffer = 268;

bool fitsPathBuffer(std::string_view text) {
    return text.size() < maxPath;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string replaced;
    std::size_t pos = 0;
    for (std::size_t hit = text.find(from); hit != std::string_view::npos;
         hit = text.find(from, pos)) {
        replaced.append(text.substr(pos, hit - pos)).append(to);
        pos = hit + from.size();
    }
    replaced.append(text.substr(pos));
    return replaced;
}

// Win32's limit for an environment block entry: the most an expansion can give.
constexpr std::uint32_t largestExpansion = 32767;

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The text between leading quotes (to the closing one or the end), else the text itself.
std::string_view unquoted(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '"') {
        text.remove_prefix(1);
        text = text.substr(0, text.find('"'));
    }
    return text;
}

// Characters no file name holds: a text with them is an argument or no path at all.
bool holdsNonPathCharacters(std::string_view text) {
    return text.find_first_of("\"<>|*?%") != std::string_view::npos;
}

enum class PathForm { drive, network, relative, bare, invalid };

PathForm formOf(std::string_view path) {
    if (path.empty() || holdsNonPathCharacters(path)) {
        return PathForm::invalid;
    }
    if (path.starts_with("\\\\") || path.starts_with("//")) {
        return PathForm::network;
    }
    if (path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == ':' &&
        (path[2] == '\\' || path[2] == '/')) {
        return PathForm::drive;
    }
    if (path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':') {
        return PathForm::relative; // "X:name" starts wherever drive X stands
    }
    if (path.find(':') != std::string_view::npos) {
        return PathForm::invalid; // a URL, a moniker, a resource name
    }
    return path.find_first_of("\\/") == std::string_view::npos ? PathForm::bare
                                                               : PathForm::relative;
}

// A %name% that can be an environment variable: not a placeholder such as %1, %* or %L, and
// no stretch of text between two placeholders.
bool isVariableName(std::string_view name) {
    if (name.empty() || !(isAsciiLetter(name.front()) || name.front() == '_')) {
        return false;
    }
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return isBlank(c) || c == '"' || c == '\\' || c == ','; });
}

std::size_t firstVariableReference(std::string_view text) {
    for (std::size_t open = text.find('%'); open != std::string_view::npos;
         open = text.find('%', open + 1)) {
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        if (isVariableName(text.substr(open + 1, close - open - 1))) {
            return open;
        }
    }
    return std::string_view::npos;
}

// The form the Installer names a product code by in its keys: "{12345678-9ABC-DEF0-1234-
// 56789ABCDEF0}" becomes "87654321CBA90FED21436587A9CBED0F" (the first three groups reversed,
// the digit pairs of the rest swapped). Empty when `code` is no product code.
std::string packedProductCode(std::string_view code) {
    if (code.size() != 38 || code.front() != '{' || code.back() != '}') {
        return {};
    }
    std::string digits;
    for (std::size_t at = 1; at + 1 < code.size(); ++at) {
        const bool dash = at == 9 || at == 14 || at == 19 || at == 24;
        if (dash != (code[at] == '-') || (!dash && !isHexDigit(code[at]))) {
            return {};
        }
        if (!dash) {
            digits += code[at];
        }
    }
    std::string packed;
    for (const std::string_view group :
         {std::string_view(digits).substr(0, 8), std::string_view(digits).substr(8, 4),
          std::string_view(digits).substr(12, 4)}) {
        packed.append(group.rbegin(), group.rend());
    }
    for (std::size_t at = 16; at < 32; at += 2) {
        packed += digits[at + 1];
        packed += digits[at];
    }
    for (char& c : packed) {
        c = asciiUpper(c);
    }
    return packed;
}

constexpr std::string_view uninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr std::string_view uninstallKey32 =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr std::string_view installerUserData =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";
constexpr std::string_view appPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

} // namespace

bool HasDrivePath(std::string& text, std::string& out) {
    // assign() keeps the room `out` already has: this runs for every value of a large walk.
    out.assign("     ");
    if (!text.empty() && text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        if (close == std::string::npos) {
            return false;
        }
        out.assign(text, 1, close - 1);
    } else {
        // This lower-cases nearly every value of a walk: asciiLower has no branch.
        asciiLowerInPlace(text);
        std::size_t exe = text.find(".exe");
        while (exe != std::string::npos && exe + 4 < text.size() && text[exe + 4] != ' ') {
            exe = text.find(".exe", exe + 1);
        }
        out.assign(text, 0, text.find(' ', exe == std::string::npos ? 0 : exe));
    }
    return out.size() >= 3 && out[1] == ':' && out[2] == '\\';
}

void TakeFirstToken(std::string& text) {
    if (!text.empty() && text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        text = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        return;
    }
    text = text.substr(0, text.find(' '));
}

void CutAfterExtension(std::string& text) {
    const std::size_t start = (!text.empty() && text.front() == '"') ? 1 : 0;
    if (text.size() > start + 1 && text[start + 1] == ':') {
        const std::size_t dot = text.rfind('.');
        if (dot != std::string::npos) {
            text = text.substr(0, text.find(' ', dot));
        }
        return;
    }
    text = text.substr(0, text.find(' '));
    if (text.find('.') == std::string::npos) {
        text += ".exe";
    }
}

PathChecks::PathChecks(FileSystem& files, RegistryGateway& registry)
    : files_(files), registry_(registry) {}

void PathChecks::NormalizeServerPath(std::string& text) {
    // Cut in place: this runs for every server key of a scan.
    std::erase(text, '"');
    for (const std::string_view end :
         {std::string_view(" /"), std::string_view("/"), std::string_view(",")}) {
        if (const std::size_t cut = text.find(end); cut != std::string::npos) {
            text.resize(cut);
        }
    }
    if (text.find('%') != std::string::npos) {
        std::string expanded;
        const std::uint32_t needed = files_.ExpandEnvironmentStringsA(text, expanded, maxPath);
        if (needed != 0 && needed <= maxPath) {
            text = std::move(expanded);
        }
    }
}

bool PathChecks::FileExistsInSystemDirs(std::string_view path) {
    return path.size() > 1 && inSystemFolders(path, &PathChecks::pathExists);
}

bool PathChecks::ExistsTrimmingTail(std::string_view path) {
    if (!fitsPathBuffer(path)) {
        return false;
    }
    trimmed_.assign(path);
    bool found = FileExistsInSystemDirs(trimmed_);
    // The text still holds a dot for as long as its first dot is left: arguments such as
    // "-log good.log" behind the program hold dots of their own.
    const std::size_t firstDot = trimmed_.find('.');
    while (!found && trimmed_.size() >= 4 && firstDot < trimmed_.size()) {
        trimmed_.pop_back();
        found = FileExistsInSystemDirs(trimmed_);
    }
    return found;
}

bool PathChecks::CommandTargetExists(std::string_view text) {
    return CommandState(text) != PathState::missing;
}

std::string PathChecks::expandReferences(std::string_view text, std::size_t& unresolvedAt) {
    std::string expanded(text);
    if (text.find('%') != std::string_view::npos) {
        const std::uint32_t needed =
            files_.ExpandEnvironmentStringsA(text, expanded, largestExpansion);
        if (needed == 0 || needed > largestExpansion) {
            // Nothing could be expanded: every reference counts as unknown.
            expanded.assign(text);
            unresolvedAt = expanded.find('%');
            return expanded;
        }
    }
    unresolvedAt = firstVariableReference(expanded);
    return expanded;
}

PathState PathChecks::CommandState(std::string_view commandLine) {
    std::size_t unresolvedAt = std::string::npos;
    const std::string text = expandReferences(commandLine, unresolvedAt);
    const CommandLineTarget target(text);
    const auto& candidates = target.candidates();
    bool unsure = candidates.empty();
    for (std::size_t index = 0; index < candidates.size(); ++index) {
        const CommandLineTarget::Candidate& candidate = candidates[index];
        if (unresolvedAt < candidate.end) {
            unsure = true;
            break;
        }
        // A program that is a placeholder ("%1" %*) is the document itself; a longer unquoted
        // candidate that takes in a placeholder or a quote names no file.
        if (holdsNonPathCharacters(candidate.program)) {
            if (index == 0) {
                return PathState::unknown;
            }
            continue;
        }
        const PathState state = programState(candidate.program);
        if (state == PathState::exists) {
            return argumentState(candidate.program, target.arguments(candidate));
        }
        unsure = unsure || state == PathState::unknown;
    }
    return unsure ? PathState::unknown : PathState::missing;
}

PathState PathChecks::FileState(std::string_view path) {
    std::size_t unresolvedAt = std::string::npos;
    const std::string expanded = expandReferences(unquoted(path), unresolvedAt);
    if (unresolvedAt != std::string::npos || formOf(expanded) != PathForm::drive ||
        !fitsPathBuffer(expanded)) {
        return PathState::unknown;
    }
    return files_.PathFileExistsA(expanded) ? PathState::exists : PathState::missing;
}

PathState PathChecks::IconState(std::string_view location) {
    std::string_view path = trimBlanks(location);
    const bool quoted = !path.empty() && path.front() == '"';
    path = unquoted(path);
    if (!quoted || path.find(',') != std::string_view::npos) {
        // The index after the last comma: digits, perhaps negative (a resource id).
        const std::size_t comma = path.rfind(',');
        if (comma != std::string_view::npos) {
            std::string_view index = trimBlanks(path.substr(comma + 1));
            if (!index.empty() && index.front() == '-') {
                index.remove_prefix(1);
            }
            if (!index.empty() && std::all_of(index.begin(), index.end(),
                                              [](char c) { return c >= '0' && c <= '9'; })) {
                path = trimBlanks(path.substr(0, comma));
            }
        }
    }
    std::size_t unresolvedAt = std::string::npos;
    const std::string expanded = expandReferences(path, unresolvedAt);
    if (unresolvedAt != std::string::npos) {
        return PathState::unknown;
    }
    switch (formOf(expanded)) {
    case PathForm::drive:
        return !fitsPathBuffer(expanded)          ? PathState::unknown
               : files_.PathFileExistsA(expanded) ? PathState::exists
                                                  : PathState::missing;
    case PathForm::bare:
        return inSearchFolders(expanded, {}) ? PathState::exists : PathState::missing;
    default:
        return PathState::unknown;
    }
}

PathState PathChecks::AppPathTargetState(std::string_view value) {
    std::size_t unresolvedAt = std::string::npos;
    const std::string text = expandReferences(value, unresolvedAt);
    if (unresolvedAt != std::string::npos) {
        return PathState::unknown;
    }
    const std::string_view trimmed = trimBlanks(text);
    if (!trimmed.empty() && trimmed.front() == '"' &&
        trimmed.find('"', 1) == std::string_view::npos) {
        return PathState::missing;
    }
    // Shortest candidate first, as a program with blanks in its path is started; the entry
    // holds a full path, so a candidate that names no drive finds nothing.
    const CommandLineTarget target(text);
    bool unsure = false;
    for (const CommandLineTarget::Candidate& candidate : target.candidates()) {
        if (formOf(candidate.program) != PathForm::drive) {
            continue;
        }
        const PathState state = programState(candidate.program);
        if (state == PathState::exists) {
            return state;
        }
        unsure = unsure || state == PathState::unknown;
    }
    return unsure ? PathState::unknown : PathState::missing;
}

PathState PathChecks::LibraryState(std::string_view name) {
    std::size_t unresolvedAt = std::string::npos;
    const std::string expanded = expandReferences(unquoted(name), unresolvedAt);
    if (unresolvedAt != std::string::npos) {
        return PathState::unknown;
    }
    switch (formOf(expanded)) {
    case PathForm::drive:
        if (!fitsPathBuffer(expanded)) {
            return PathState::unknown;
        }
        return isFile(expanded) ||
                       (!CommandLineTarget::hasExtension(expanded) && isFile(expanded + ".dll"))
                   ? PathState::exists
                   : PathState::missing;
    case PathForm::bare:
        return inSearchFolders(expanded, ".dll") ? PathState::exists : PathState::missing;
    default:
        return PathState::unknown;
    }
}

PathState PathChecks::ProductState(std::string_view code) {
    const std::string packed = packedProductCode(code);
    if (packed.empty()) {
        return PathState::unknown;
    }
    const std::string name(code);
    if (keyExists(hkeyLocalMachine, std::string(uninstallKey) + name) ||
        keyExists(hkeyLocalMachine, std::string(uninstallKey32) + name) ||
        keyExists(hkeyClassesRoot, "Installer\\Products\\" + packed) ||
        keyExists(hkeyCurrentUser, "Software\\Microsoft\\Installer\\Products\\" + packed)) {
        return PathState::exists;
    }
    // Per-machine and per-user installs keep their products under the installing account.
    RegKey userData;
    if (RegKey::open(registry_, hkeyLocalMachine, installerUserData, userData) == winerr::success) {
        std::string account;
        for (std::uint32_t index = 0;
             registry_.RegEnumKeyA(userData.get(), index, account, maxPath) == winerr::success;
             ++index) {
            RegKey product;
            if (RegKey::open(registry_, userData.get(), account + "\\Products\\" + packed,
                             product) == winerr::success) {
                return PathState::exists;
            }
        }
    }
    return PathState::missing;
}

PathState PathChecks::ServerState(std::string& text) {
    const std::string_view trimmed = trimBlanks(text);
    if (!trimmed.empty() && trimmed.front() == '"' &&
        trimmed.find('"', 1) != std::string_view::npos) {
        // A quoted server is the text between its quotes, whatever follows them.
        text = std::string(unquoted(trimmed));
    }
    NormalizeServerPath(text);
    std::size_t unresolvedAt = std::string::npos;
    expandReferences(text, unresolvedAt);
    if (unresolvedAt != std::string::npos || formOf(text) == PathForm::network) {
        return PathState::unknown;
    }
    return ExistsTrimmingTail(text) ? PathState::exists : PathState::missing;
}

PathState PathChecks::programState(std::string_view path) {
    if (path.empty()) {
        return PathState::missing; // "" starts nothing, whatever follows
    }
    switch (formOf(path)) {
    case PathForm::drive:
        if (!fitsPathBuffer(path)) {
            return PathState::unknown;
        }
        return isFile(path) || (!CommandLineTarget::hasExtension(path) &&
                                isFile(std::string(path) + ".exe"))
                   ? PathState::exists
                   : PathState::missing;
    case PathForm::bare: {
        const std::string withExtension =
            CommandLineTarget::hasExtension(path) ? std::string(path) : std::string(path) + ".exe";
        bool unsure = false;
        for (const std::string_view name : {path, std::string_view(withExtension)}) {
            const PathState registered = appPathState(name);
            if (registered == PathState::exists ||
                keyExists(hkeyClassesRoot, "Applications\\" + std::string(name))) {
                return PathState::exists;
            }
            unsure = unsure || registered == PathState::unknown;
        }
        if (inSearchFolders(path, ".exe")) {
            return PathState::exists;
        }
        return unsure ? PathState::unknown : PathState::missing;
    }
    default:
        return PathState::unknown;
    }
}

PathState PathChecks::argumentState(std::string_view program, std::string_view arguments) {
    if (CommandLineTarget::isProgram(program, "rundll32")) {
        const std::string library = CommandLineTarget::rundllLibrary(arguments);
        return library.empty() ? PathState::exists : LibraryState(library);
    }
    if (CommandLineTarget::isProgram(program, "msiexec")) {
        const std::string target = CommandLineTarget::msiexecTarget(arguments);
        if (target.empty()) {
            return PathState::exists;
        }
        if (target.front() == '{') {
            return ProductState(target);
        }
        return FileState(target);
    }
    return PathState::exists;
}

PathState PathChecks::appPathState(std::string_view name) {
    RegKey entry;
    const std::string keyPath = std::string(appPathsKey) + std::string(name);
    if (keyPath.size() >= maxPath ||
        RegKey::open(registry_, hkeyLocalMachine, keyPath, entry) != winerr::success) {
        return PathState::missing;
    }
    std::string program;
    std::int32_t size = static_cast<std::int32_t>(maxPath);
    if (registry_.RegQueryValueA(entry.get(), "", &program, size) != winerr::success) {
        return PathState::missing;
    }
    program.resize(std::min(program.size(), program.find('\0')));
    return AppPathTargetState(program);
}

bool PathChecks::inSearchFolders(std::string_view name, std::string_view extension) {
    const bool addExtension = !extension.empty() && !CommandLineTarget::hasExtension(name);
    for (const std::string& folder : searchFolders()) {
        joined_.assign(folder);
        if (joined_.back() != '\\') {
            joined_ += '\\';
        }
        joined_ += name;
        if (isFile(joined_)) {
            return true;
        }
        if (addExtension) {
            joined_ += extension;
            if (isFile(joined_)) {
                return true;
            }
        }
    }
    return false;
}

bool PathChecks::isFile(std::string_view path) {
    if (!fitsPathBuffer(path)) {
        return false;
    }
    const std::uint32_t attributes = files_.GetFileAttributesA(path);
    return attributes != invalidFileAttributes && (attributes & fileAttributeDirectory) == 0;
}

bool PathChecks::keyExists(HKey root, std::string_view path) {
    RegKey key;
    return path.size() < maxPath && RegKey::open(registry_, root, path, key) == winerr::success;
}

// Where Windows looks for a program or library named without a folder, after the folder of
// the program that asks, which a registry entry does not have.
const std::vector<std::string>& PathChecks::searchFolders() {
    if (searchFoldersRead_) {
        return searchFolders_;
    }
    searchFoldersRead_ = true;
    std::string folder;
    for (const FolderQuery query :
         {&FileSystem::GetSystemDirectoryA, &FileSystem::GetWindowsDirectoryA}) {
        const std::uint32_t length = (files_.*query)(folder, maxPath);
        if (length != 0 && length < maxPath) {
            searchFolders_.push_back(folder);
        }
    }
    std::string path;
    const std::uint32_t needed = files_.GetEnvironmentVariableA("PATH", path, largestExpansion);
    if (needed != 0 && needed < largestExpansion) {
        std::string_view rest = path;
        while (!rest.empty()) {
            const std::size_t semicolon = rest.find(';');
            const std::string_view entry = unquoted(rest.substr(0, semicolon));
            // Relative entries would depend on the folder the scan runs in.
            if (formOf(entry) == PathForm::drive &&
                std::find(searchFolders_.begin(), searchFolders_.end(), entry) ==
                    searchFolders_.end()) {
                searchFolders_.emplace_back(entry);
            }
            rest.remove_prefix(semicolon == std::string_view::npos ? rest.size() : semicolon + 1);
        }
    }
    return searchFolders_;
}

bool PathChecks::FindFileOrApp(std::string_view name) {
    return !name.empty() && inSystemFolders(name, &PathChecks::fileOrAppExists);
}

bool PathChecks::IsFileOrRegisteredApp(std::string_view name) {
    if (fitsPathBuffer(name)) {
        const std::uint32_t attributes = files_.GetFileAttributesA(name);
        if (attributes != invalidFileAttributes && (attributes & fileAttributeDirectory) == 0) {
            return true;
        }
    }
    std::string keyPath = "Applications\\";
    keyPath += name;
    if (keyPath.size() >= applicationKeyBuffer) {
        return false;
    }
    RegKey application;
    return RegKey::open(registry_, hkeyClassesRoot, keyPath, application) == winerr::success;
}

bool PathChecks::inSystemFolders(std::string_view name,
                                 bool (PathChecks::*test)(std::string_view)) {
    if ((this->*test)(name) ||
        (this->*test)(belowFolder(&FileSystem::GetWindowsDirectoryA, name)) ||
        (this->*test)(belowFolder(&FileSystem::GetSystemDirectoryA, name))) {
        return true;
    }
    // Without a "WINNT" this would test the name again.
    return name.find("WINNT") != std::string_view::npos &&
           (this->*test)(replaceAll(name, "WINNT", "WINDOWS"));
}

bool PathChecks::pathExists(std::string_view path) {
    return fitsPathBuffer(path) && files_.PathFileExistsA(path);
}

bool PathChecks::fileOrAppExists(std::string_view name) {
    return fitsPathBuffer(name) && IsFileOrRegisteredApp(name);
}

// A failed query leaves the folder out: the joined path then starts with the backslash. The
// path is built in a buffer kept for the next one, as every server key of a scan asks this.
std::string_view PathChecks::belowFolder(FolderQuery query, std::string_view name) {
    joined_.clear();
    const std::uint32_t length = (files_.*query)(joined_, maxPath);
    if (length == 0 || length >= maxPath) {
        joined_.clear();
    }
    joined_ += '\\';
    joined_ += name;
    return joined_;
}

} // namespace tolvane
