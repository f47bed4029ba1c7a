#pragma once

#include <cstdint>
#include <filesystem>

namespace tolvane {

// What identifies one version of a file on disk: a file replaced by a rename has another
// inode, one written in place another size or modification time.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;

    // The version behind an open descriptor (the one that was actually read or written).
    static FileStamp ofDescriptor(int fd);
    // The version a path names now; `exists` is false when there is none.
    static FileStamp ofPath(const std::filesystem::path& file);
};

} // namespace tolvane
