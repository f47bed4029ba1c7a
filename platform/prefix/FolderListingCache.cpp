#include "platform/prefix/FolderListingCache.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tolvane::prefix {

std::optional<std::string> FolderListingCache::findEntry(const std::string& folder,
                                                         std::string_view name) {
    Listing& entries = listing(folder);
    std::string wanted(name);
    if (entries.names.count(wanted) != 0) {
        return wanted;
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
        return std::nullopt;
    }
    return entries.entries[first];
}

std::optional<std::uint32_t> FolderListingCache::attributes(const std::string& hostPath) const {
    const auto known = attributes_.find(hostPath);
    if (known == attributes_.end()) {
        return std::nullopt;
    }
    return known->second;
}

void FolderListingCache::rememberAttributes(const std::string& hostPath, std::uint32_t attributes) {
    attributes_.insert_or_assign(hostPath, attributes);
}

void FolderListingCache::clear() {
    listings_.clear();
    attributes_.clear();
}

FolderListingCache::Listing& FolderListingCache::listing(const std::string& folder) {
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
    return listings_.emplace(folder, std::move(entries)).first->second;
}

} // namespace tolvane::prefix
