#include "platform/offline/MountPathResolver.h"

#include "platform/FileSystem.h"
#include "platform/base/AsciiText.h"

#include <algorithm>
#include <vector>

namespace tolvane::offline {
namespace {

// The attributes of what cannot be told: a present folder or file, never reported.
constexpr std::uint32_t presentAttributes = fileAttributeNormal;

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace

MountPathResolver::MountPathResolver(std::filesystem::path mount) : mount_(std::move(mount)) {}

void MountPathResolver::beginScan() {
    std::scoped_lock lock(mutex_);
    ++scanDepth_;
}

void MountPathResolver::endScan() {
    std::scoped_lock lock(mutex_);
    if (scanDepth_ > 0 && --scanDepth_ == 0) {
        listings_.clear();
        answers_.clear();
    }
}

std::optional<MountPathResolver::Entry>
MountPathResolver::entry(const std::filesystem::path& folder, const std::string& name) {
    std::error_code error;
    if (scanDepth_ == 0) {
        const auto status = std::filesystem::symlink_status(folder / name, error);
        if (status.type() != std::filesystem::file_type::not_found) {
            return Entry{name, status.type()};
        }
    }
    const std::string key = folder.string();
    auto cached = listings_.find(key);
    Listing scanned;
    Listing* listing = nullptr;
    if (cached != listings_.end()) {
        listing = &cached->second;
    } else {
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code typeError;
            const std::string found = it->path().filename().string();
            // Two names that differ only in case: the exact one wins, as above.
            auto& slot = scanned[asciiLower(found)];
            if (slot.name.empty() || found == name) {
                slot = Entry{found, it->symlink_status(typeError).type()};
            }
        }
        listing =
            scanDepth_ > 0 ? &listings_.emplace(key, std::move(scanned)).first->second : &scanned;
    }
    const auto found = listing->find(asciiLower(name));
    return found != listing->end() ? std::optional<Entry>(found->second) : std::nullopt;
}

std::optional<std::filesystem::path> MountPathResolver::find(std::string_view relative) {
    std::scoped_lock lock(mutex_);
    std::filesystem::path at = mount_;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = start;
        while (end < relative.size() && !isSeparator(relative[end])) {
            ++end;
        }
        const std::string name(relative.substr(start, end - start));
        start = end + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        const auto host = entry(at, name);
        if (!host) {
            return std::nullopt;
        }
        at /= host->name;
    }
    return at;
}

std::uint32_t MountPathResolver::attributes(std::string_view windowsPath) {
    std::string_view path = windowsPath;
    if (path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\") || path.starts_with("//?/") ||
        path.starts_with("//./")) {
        path.remove_prefix(4);
    }
    if (path.empty() || path.find_first_not_of(' ') == std::string_view::npos) {
        return invalidFileAttributes;
    }
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        return presentAttributes; // a network path
    }
    if (path.size() >= 2 && path[1] == ':') {
        const char drive = path[0];
        if (drive != 'c' && drive != 'C') {
            return (drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z')
                       ? presentAttributes
                       : invalidFileAttributes;
        }
        path.remove_prefix(2);
    }
    if (path.find_first_of("*?\"<>|:") != std::string_view::npos ||
        std::any_of(path.begin(), path.end(), [](char c) { return c >= 0 && c < ' '; })) {
        return invalidFileAttributes;
    }
    std::scoped_lock lock(mutex_);
    if (scanDepth_ == 0) {
        return attributesBelowMount(path);
    }
    const std::string asked(windowsPath);
    if (const auto known = answers_.find(asked); known != answers_.end()) {
        return known->second;
    }
    const std::uint32_t answer = attributesBelowMount(path);
    answers_.emplace(asked, answer);
    return answer;
}

std::uint32_t MountPathResolver::attributesBelowMount(std::string_view path) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) {
            ++end;
        }
        std::string name(path.substr(start, end - start));
        const bool last = end >= path.size();
        start = end + 1;
        if (last) {
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
                name.pop_back();
            }
        } else if (name.size() > 1 && name.back() == '.' && name != "..") {
            name.pop_back();
        }
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            if (!names.empty()) {
                names.pop_back();
            }
            continue;
        }
        names.push_back(std::move(name));
    }
    std::filesystem::path at = mount_;
    std::error_code error;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto host = entry(at, names[i]);
        if (!host) {
            return invalidFileAttributes;
        }
        at /= host->name;
        auto type = host->type;
        if (type == std::filesystem::file_type::symlink ||
            type == std::filesystem::file_type::unknown) {
            type = std::filesystem::status(at, error).type();
            if (type == std::filesystem::file_type::not_found) {
                // A link whose target the mount does not show: nothing can be told.
                return host->type == std::filesystem::file_type::symlink ? presentAttributes
                                                                         : invalidFileAttributes;
            }
        }
        if (i + 1 < names.size() && type != std::filesystem::file_type::directory) {
            return invalidFileAttributes;
        }
        if (i + 1 == names.size()) {
            return type == std::filesystem::file_type::directory ? fileAttributeDirectory
                   : type == std::filesystem::file_type::regular ? fileAttributeNormal
                                                                 : invalidFileAttributes;
        }
    }
    return fileAttributeDirectory; // the root of C:
}

} // namespace tolvane::offline
