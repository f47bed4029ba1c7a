#include "platform/prefix/PrefixPathResolver.h"

#include "platform/FileSystem.h"
#include "platform/base/AsciiText.h"

#include <algorithm>
#include <array>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace tolvane::prefix {

namespace {

constexpr std::uint32_t fileAttributeReadOnly = 0x1u;
constexpr std::uint32_t fileAttributeHidden = 0x2u;
constexpr std::uint32_t fileAttributeArchive = 0x20u;
constexpr std::uint32_t fileAttributeReparsePoint = 0x400u;
// The "A" functions convert a path into a buffer of MAX_PATH + 1 UTF-16 units: a longer path
// fails before anything looks at it.
constexpr std::size_t longestPath = 260;

std::size_t utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0u) != 0x80u) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

bool startsWithDrive(std::string_view path) {
    return path.size() >= 3 && isAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

// Names Windows refuses: wildcards, pipes, quotes, control characters, and ':' (Wine has no
// alternate streams).
bool isValidName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 ||
               std::string_view("*?<>|\":").find(c) != std::string_view::npos;
    });
}

// Whether a file name is one of the DOS devices Wine finds in every existing folder: AUX, CON,
// NUL, PRN, COM1 to COM9, LPT1 to LPT9, CONIN$ or CONOUT$, in any case, with anything after a
// dot and with blanks or colons before it.
bool isDosDeviceName(std::string_view name) {
    name = name.substr(0, name.find('.'));
    while (!name.empty() && (name.back() == ' ' || name.back() == ':')) {
        name.remove_suffix(1);
    }
    const std::string lowered = asciiLower(name);
    if (lowered == "aux" || lowered == "con" || lowered == "nul" || lowered == "prn" ||
        lowered == "conin$" || lowered == "conout$") {
        return true;
    }
    return lowered.size() == 4 && (lowered.starts_with("com") || lowered.starts_with("lpt")) &&
           lowered[3] >= '1' && lowered[3] <= '9';
}

// Wine's clean-up of a full path, after `mark` characters that stay as they are (the "X:\"):
// separators count once; ".\" goes; "..\" takes the folder before it along, never past the
// mark; one dot at the end of each folder name goes; dots and blanks at the very end go.
void collapse(std::string& path, std::size_t mark) {
    const std::size_t start = std::max<std::size_t>(1, mark);
    if (path.size() > start) {
        std::size_t out = start;
        for (std::size_t in = start; in < path.size(); ++in) {
            if (path[in] != '\\' || path[out - 1] != '\\') {
                path[out++] = path[in];
            }
        }
        path.resize(out);
    }
    const auto at = [&path](std::size_t pos) { return pos < path.size() ? path[pos] : '\0'; };
    // Back from the separator before the name at `pos` to the start of the name before it.
    const auto previousName = [&path, mark](std::size_t pos) {
        if (pos > mark) {
            --pos;
            while (pos > mark && path[pos - 1] != '\\') {
                --pos;
            }
        }
        return pos;
    };
    std::size_t pos = mark;
    while (pos < path.size()) {
        if (path[pos] == '.') {
            if (at(pos + 1) == '\\') {
                path.erase(pos, 2);
                continue;
            }
            if (at(pos + 1) == '\0') {
                pos -= pos > mark ? 1 : 0;
                path.resize(pos);
                continue;
            }
            if (at(pos + 1) == '.' && at(pos + 2) == '\\') {
                const std::size_t next = pos + 3;
                pos = previousName(pos);
                path.erase(pos, next - pos);
                continue;
            }
            if (at(pos + 1) == '.' && at(pos + 2) == '\0') {
                pos = previousName(pos);
                pos -= pos > mark ? 1 : 0;
                path.resize(pos);
                continue;
            }
        }
        while (pos < path.size() && path[pos] != '\\') {
            ++pos;
        }
        if (pos < path.size()) {
            if (pos > mark && path[pos - 1] == '.') {
                path.erase(pos - 1, 1);
            } else {
                ++pos;
            }
        }
    }
    while (pos > mark && (path[pos - 1] == ' ' || path[pos - 1] == '.')) {
        --pos;
    }
    path.resize(pos);
}

std::optional<std::uint32_t> statAttributes(const std::string& hostPath, std::string_view name) {
    struct stat info {};
    if (::lstat(hostPath.c_str(), &info) != 0) {
        return std::nullopt;
    }
    // Wine shows links to folders and mount points as reparse points.
    bool reparsePoint = false;
    if (S_ISLNK(info.st_mode)) {
        if (::stat(hostPath.c_str(), &info) != 0) {
            return std::nullopt;
        }
        reparsePoint = S_ISDIR(info.st_mode);
    } else if (S_ISDIR(info.st_mode)) {
        struct stat parent {};
        reparsePoint = ::stat((hostPath + "/..").c_str(), &parent) == 0 &&
                       (parent.st_dev != info.st_dev || parent.st_ino == info.st_ino);
    }
    // Wine finds only files and folders: device files, pipes and sockets are not there.
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    std::uint32_t attributes =
        S_ISDIR(info.st_mode) ? fileAttributeDirectory : fileAttributeArchive;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        attributes |= fileAttributeReadOnly;
    }
    // Wine hides Unix dot files.
    if (name.size() > 1 && name.front() == '.' && name != "..") {
        attributes |= fileAttributeHidden;
    }
    if (reparsePoint) {
        attributes |= fileAttributeReparsePoint;
    }
    return attributes;
}

} // namespace

PrefixPathResolver::PrefixPathResolver(std::filesystem::path prefix,
                                       const std::filesystem::path& hostWorkingDirectory,
                                       const NameFolder& folder)
    : prefix_(std::move(prefix)), folder_(folder),
      workingDirectory_(windowsForm(prefix_, hostWorkingDirectory)) {
    for (std::size_t letter = 0; letter < driveRoots_.size(); ++letter) {
        driveRoots_[letter] =
            (prefix_ / "dosdevices" / (std::string(1, static_cast<char>('a' + letter)) + ":"))
                .string();
    }
}

std::uint32_t PrefixPathResolver::attributes(std::string_view windowsPath,
                                             FolderListingCache* cache) const {
    Target target;
    if (!parse(windowsPath, target)) {
        return invalidFileAttributes;
    }
    const std::string& root = driveRoot(target.drive);
    // The drive root is asked for with a '/' at the end, so that its link is followed.
    const auto attributesOf = [&root](const std::string& hostPath, std::string_view name) {
        return statAttributes(hostPath.size() == root.size() ? hostPath + "/" : hostPath, name);
    };
    std::optional<std::uint32_t> found;
    if (cache == nullptr) {
        // Most paths are spelled as on disk: one look-up of the whole path settles them.
        std::string exact = root;
        for (const auto name : target.names) {
            exact += '/';
            exact += name;
        }
        found = attributesOf(exact, target.names.empty() ? "" : target.names.back());
    }
    if (!found) {
        std::string current = root;
        std::string_view actualName;
        std::string foundName;
        for (const auto name : target.names) {
            const std::string* entry = findEntry(current, name, cache, foundName);
            if (entry == nullptr) {
                return invalidFileAttributes;
            }
            current += '/';
            current += *entry;
            actualName = std::string_view(current).substr(current.size() - entry->size());
        }
        if (cache != nullptr) {
            found = cache->attributes(current);
        }
        if (!found) {
            found = attributesOf(current, actualName).value_or(invalidFileAttributes);
            if (cache != nullptr) {
                cache->rememberAttributes(current, *found);
            }
        }
    }
    if (*found == invalidFileAttributes ||
        (target.mustBeDirectory && (*found & fileAttributeDirectory) == 0)) {
        return invalidFileAttributes;
    }
    return target.device ? fileAttributeArchive : *found;
}

bool PrefixPathResolver::parse(std::string_view windowsPath, Target& target) const {
    if (windowsPath.find_first_not_of(' ') == std::string_view::npos ||
        utf16Length(windowsPath) > longestPath) {
        return false;
    }
    std::string& full = target.full;
    full.reserve(windowsPath.size() + workingDirectory_.size() + 1);
    bool verbatim = false;
    bool device = false;
    if (windowsPath.starts_with("\\\\?\\")) {
        // Taken as written: no '/', no clean-up.
        full = windowsPath.substr(4);
        verbatim = true;
    } else {
        // Separators as they count: '/' separates like '\'.
        const auto isSeparator = [&windowsPath](std::size_t pos) {
            return pos < windowsPath.size() &&
                   (windowsPath[pos] == '\\' || windowsPath[pos] == '/');
        };
        const auto appendFrom = [&full, windowsPath](std::size_t pos) {
            const std::size_t start = full.size();
            full += windowsPath.substr(std::min(pos, windowsPath.size()));
            std::replace(full.begin() + static_cast<std::ptrdiff_t>(start), full.end(), '/', '\\');
        };
        // "\\?\" is taken verbatim only when written with backslashes; with any '/' it is a
        // device path like "\\.\".
        const bool devicePath = isSeparator(0) && isSeparator(1) && windowsPath.size() > 3 &&
                                (windowsPath[2] == '.' || windowsPath[2] == '?') && isSeparator(3);
        if (devicePath) {
            appendFrom(4);
            collapse(full, 0);
        } else if (isSeparator(0) && isSeparator(1)) {
            return false;
        } else if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
            if (isAsciiLetter(windowsPath[0]) && isSeparator(2)) {
                appendFrom(0);
            } else if (asciiLower(windowsPath[0]) == asciiLower(workingDirectory_[0])) {
                full = workingDirectory_;
                if (full.back() != '\\') {
                    full += '\\';
                }
                appendFrom(2);
            } else {
                full = windowsPath.substr(0, 2);
                full += '\\';
                appendFrom(2);
            }
            collapse(full, 3);
        } else {
            if (isSeparator(0)) {
                full = std::string_view(workingDirectory_).substr(0, 2);
            } else {
                full = workingDirectory_;
                if (full.back() != '\\') {
                    full += '\\';
                }
            }
            appendFrom(0);
            collapse(full, 3);
        }
        if (!devicePath && full.size() > 3) {
            const std::size_t name = full.rfind('\\') + 1;
            // A device name stands for the device, in any folder that exists.
            if (isDosDeviceName(std::string_view(full).substr(name))) {
                full.resize(name);
                device = true;
            }
        }
    }
    if (!startsWithDrive(full)) {
        return false;
    }
    target.device = device;
    target.drive = asciiLower(full[0]);
    std::string_view rest = std::string_view(full).substr(3);
    if (!rest.empty() && rest.back() == '\\') {
        target.mustBeDirectory = true;
        rest.remove_suffix(1);
    }
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\\'), rest.size());
        const std::string_view name = rest.substr(0, end);
        if (!isValidName(name) || (verbatim && name.find('/') != std::string_view::npos)) {
            return false;
        }
        target.names.push_back(name);
        rest.remove_prefix(end == rest.size() ? end : end + 1);
    }
    return true;
}

const std::string* PrefixPathResolver::findEntry(const std::string& folder, std::string_view name,
                                                 FolderListingCache* cache,
                                                 std::string& found) const {
    if (cache != nullptr) {
        return cache->findEntry(folder, name);
    }
    struct stat info {};
    if (::stat((folder + '/').append(name).c_str(), &info) == 0) {
        found = name;
        return &found;
    }
    const std::string wanted = folder_.fold(name);
    const bool mayBeMadeUp = NameFolder::mayBeMadeUp(name);
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (folder_.fold(entry) == wanted ||
            (mayBeMadeUp && folder_.shortNameOf(entry) == wanted)) {
            found = std::move(entry);
            return &found;
        }
    }
    return nullptr;
}

const std::string& PrefixPathResolver::driveRoot(char drive) const {
    return driveRoots_[static_cast<std::size_t>(drive - 'a')];
}

std::string PrefixPathResolver::windowsForm(const std::filesystem::path& prefix,
                                            const std::filesystem::path& hostFolder) {
    std::array<std::optional<std::pair<dev_t, ino_t>>, 26> driveRoots;
    for (std::size_t letter = 0; letter < driveRoots.size(); ++letter) {
        const auto root =
            prefix / "dosdevices" / (std::string(1, static_cast<char>('a' + letter)) + ":");
        struct stat info {};
        if (::stat(root.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            driveRoots[letter] = std::pair(info.st_dev, info.st_ino);
        }
    }
    std::error_code error;
    auto folder = std::filesystem::absolute(hostFolder, error).lexically_normal();
    if (folder.filename().empty() && folder.has_relative_path()) {
        folder = folder.parent_path();
    }
    // Like Wine: the nearest ancestor that is the root of a drive, the first drive letter
    // when several share it.
    std::vector<std::string> below;
    for (auto ancestor = folder;; ancestor = ancestor.parent_path()) {
        struct stat info {};
        if (::stat(ancestor.c_str(), &info) == 0) {
            for (std::size_t letter = 0; letter < driveRoots.size(); ++letter) {
                if (driveRoots[letter] &&
                    *driveRoots[letter] == std::pair(info.st_dev, info.st_ino)) {
                    std::string windows{static_cast<char>('A' + letter), ':', '\\'};
                    for (auto name = below.rbegin(); name != below.rend(); ++name) {
                        windows += *name;
                        if (name + 1 != below.rend()) {
                            windows += '\\';
                        }
                    }
                    return windows;
                }
            }
        }
        if (ancestor == ancestor.parent_path()) {
            break;
        }
        below.push_back(ancestor.filename().string());
    }
    // Wine's own choice when the folder lies outside every drive.
    return "C:\\windows";
}

} // namespace tolvane::prefix
