#pragma once

#include "platform/prefix/NameFolder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tolvane::prefix {

// What one scan has read from the disk: folder listings and the attributes of the paths it
// looked at. It serves a scan that tests tens of thousands of paths, most of them in a few
// hundred folders; it never notices changes on disk, so it lives for one scan only.
class FolderListingCache {
public:
    explicit FolderListingCache(const NameFolder& folder) : folder_(folder) {}

    // The entry of host folder `folder` that Windows would take for `name`: `name` itself when
    // the folder holds it, else the first entry that matches it case-insensitively or by its
    // made-up 8.3 name. Nothing when there is none or the folder cannot be read.
    std::optional<std::string> findEntry(const std::string& folder, std::string_view name);

    // Attributes remembered for a host path (invalidFileAttributes for a missing one).
    std::optional<std::uint32_t> attributes(const std::string& hostPath) const;
    void rememberAttributes(const std::string& hostPath, std::uint32_t attributes);

    void clear();

private:
    // Entries in reading order; the maps give the first entry of each folded name.
    struct Listing {
        std::vector<std::string> entries;
        std::unordered_set<std::string> names;
        std::unordered_map<std::string, std::size_t> firstByFoldedName;
        // Made only when a look-up needs it.
        std::optional<std::unordered_map<std::string, std::size_t>> firstByShortName;
    };

    Listing& listing(const std::string& folder);

    const NameFolder& folder_;
    std::unordered_map<std::string, Listing> listings_;
    std::unordered_map<std::string, std::uint32_t> attributes_;
};

} // namespace tolvane::prefix
