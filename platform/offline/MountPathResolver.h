#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tolvane::offline {

// Finds what a Windows path of an offline installation names on its mounted volume. Drive C: is
// the mount; every name matches case-insensitively (an exact match first, then the folder's
// listing); '/' also separates, "." and ".." collapse (never above the root), trailing dots and
// blanks go from the last name; "\\?\" and "\\.\" prefixes are dropped. A path without a drive
// starts at the root of C: (the offline system has no working directory of ours).
//
// What cannot be told from the mount counts as present, so that it is never reported: other
// drive letters, UNC paths, and links that point nowhere on the mount (an NTFS junction whose
// target the mount does not show).
class MountPathResolver {
public:
    explicit MountPathResolver(std::filesystem::path mount);

    // Win32 attributes (DIRECTORY or NORMAL), or invalidFileAttributes when it is missing.
    std::uint32_t attributes(std::string_view windowsPath);
    // The host path of names below the mount ("Windows/System32/config"), matched
    // case-insensitively; nothing when one of them is missing.
    std::optional<std::filesystem::path> find(std::string_view relative);

    // Folder listings are kept between these calls only (calls nest).
    void beginScan();
    void endScan();

    const std::filesystem::path& mount() const { return mount_; }

private:
    struct Entry {
        std::string name;
        // As the folder listing tells it, links not followed.
        std::filesystem::file_type type = std::filesystem::file_type::unknown;
    };
    using Listing = std::unordered_map<std::string, Entry>;
    // The host entry of `name` in `folder`, or nothing. During a scan, from the folder's listing
    // read once; otherwise an exact match is tried before the listing is read.
    std::optional<Entry> entry(const std::filesystem::path& folder, const std::string& name);
    std::uint32_t attributesBelowMount(std::string_view path);

    std::filesystem::path mount_;
    std::mutex mutex_;
    int scanDepth_ = 0;
    std::map<std::string, Listing> listings_;
    // During a scan, the answer for each path asked (a scan asks about many paths repeatedly).
    std::unordered_map<std::string, std::uint32_t> answers_;
};

} // namespace tolvane::offline
