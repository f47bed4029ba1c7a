#include "platform/prefix/FolderListingCache.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tolvane::prefix {

const std::string* FolderListingCache::findEntry(std::string_view folder, std::string_view name) {
    Listing& entries = listing(folder);
    if (const auto exact = entries.names.find(name); exact != entries.names.end()) {
        return &*exact;
    }
    const std::string folded = folder_.fold(name);
    std::size_t first = entries.entries.size();
    if (const auto match = entries.firstByFoldedName.find(folded);
        match != entries.firstByFoldedName.end()) {
        first = match->second;
    }
    if (NameFolder::mayBeMadeUp(name)) {
        if (!entries.firstByShortName) {
            entries.firstByShortName.emplace();
            for (std::size_t index = 0; index < entries.entries.size(); ++index) {
                entries.firstByShortName->try_emplace(folder_.shortNameOf(entries.entries[index]),
                                                      index);
            }
        }
        if (const auto match = entries.firstByShortName->find(folded);
            match != entries.firstByShortName->end()) {
            first = std::min(first, match->second);
        }
    }
    if (first == entries.entries.size()) {
        return nullptr;
    }
    return &entries.entries[first];
}

std::optional<std::uint32_t> FolderListingCache::attributes(std::string_view hostPath) const {
    return attributes_.find(hostPath);
}

void FolderListingCache::rememberAttributes(std::string_view hostPath, std::uint32_t attributes) {
    attributes_.set(hostPath, attributes);
}

std::optional<std::uint32_t>
FolderListingCache::windowsPathAttributes(std::string_view windowsPath) const {
    return windowsPaths_.find(windowsPath);
}

void FolderListingCache::rememberWindowsPath(std::string_view windowsPath,
                                             std::uint32_t attributes) {
    windowsPaths_.set(windowsPath, attributes);
}

void FolderListingCache::clear() {
    listings_.clear();
    attributes_.clear();
    windowsPaths_.clear();
}

FolderListingCache::Listing& FolderListingCache::listing(std::string_view folder) {
    const auto known = listings_.find(folder);
    if (known != listings_.end()) {
        return known->second;
    }
    Listing entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        // The first entry in reading order wins, as in Wine's own scan of the folder.
        entries.firstByFoldedName.try_emplace(folder_.fold(name), entries.entries.size());
        entries.names.insert(name);
        entries.entries.push_back(std::move(name));
    }
    return listings_.emplace(std::string(folder), std::move(entries)).first->second;
}

} // namespace tolvane::prefix
