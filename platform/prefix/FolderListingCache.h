#pragma once

#include "platform/prefix/NameFolder.h"
#include "platform/prefix/TextAnswerTable.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tolvane::prefix {

// What one scan has read from the disk: folder listings, the attributes of the host paths it
// looked at, and the answer for every Windows path it asked about. It serves a scan that tests
// hundreds of thousands of paths, most of them many times and in a few hundred folders; it
// never notices changes on disk, so it lives for one scan only.
class FolderListingCache {
public:
    explicit FolderListingCache(const NameFolder& folder) : folder_(folder) {}

    // The entry of host folder `folder` that Windows would take for `name`: `name` itself when
    // the folder holds it, else the first entry that matches it case-insensitively or by its
    // made-up 8.3 name. Null when there is none or the folder cannot be read; the entry lives
    // as long as the cache.
    const std::string* findEntry(std::string_view folder, std::string_view name);

    // Attributes remembered for a host path (invalidFileAttributes for a missing one).
    std::optional<std::uint32_t> attributes(std::string_view hostPath) const;
    void rememberAttributes(std::string_view hostPath, std::uint32_t attributes);

    // The answer remembered for a Windows path, exactly as it was asked.
    std::optional<std::uint32_t> windowsPathAttributes(std::string_view windowsPath) const;
    void rememberWindowsPath(std::string_view windowsPath, std::uint32_t attributes);

    void clear();

private:
    // Look-ups by string_view without making a string first.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    template <typename Value>
    using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

    // Entries in reading order; the maps give the first entry of each folded name.
    struct Listing {
        std::vector<std::string> entries;
        std::unordered_set<std::string, TextHash, std::equal_to<>> names;
        TextMap<std::size_t> firstByFoldedName;
        // Made only when a look-up needs it.
        std::optional<TextMap<std::size_t>> firstByShortName;
    };

    Listing& listing(std::string_view folder);

    const NameFolder& folder_;
    TextMap<Listing> listings_;
    TextAnswerTable attributes_;
    TextAnswerTable windowsPaths_;
};

} // namespace tolvane::prefix
