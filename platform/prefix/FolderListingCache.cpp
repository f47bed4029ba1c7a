#include "platform/prefix/FolderListingCache.h"

#include <filesystem>
#include <system_error>

namespace tolvane::prefix {

std::optional<std::string> FolderListingCache::findEntry(const std::string& folder,
                                                         std::string_view name) {
    const Listing& entries = listing(folder);
    const std::string wanted(name);
    if (entries.names.count(wanted) != 0) {
        return wanted;
    }
    const auto match = entries.firstByFoldedName.find(folder_.fold(name));
    if (match == entries.firstByFoldedName.end()) {
        return std::nullopt;
    }
    return match->second;
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

const FolderListingCache::Listing& FolderListingCache::listing(const std::string& folder) {
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
        entries.firstByFoldedName.try_emplace(folder_.fold(name), name);
        entries.names.insert(std::move(name));
    }
    return listings_.emplace(folder, std::move(entries)).first->second;
}

} // namespace tolvane::prefix
