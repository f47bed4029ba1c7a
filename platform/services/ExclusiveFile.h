#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <string_view>

namespace tolvane {

// A new file of our own: created with an unpredictable name in a given folder, refusing any
// name that exists already, so that no other process (or another thread of ours) can hand
// us its file or take ours. The file is removed when the object goes, unless kept.
class ExclusiveFile {
public:
    // Makes `folder`/`stem`-<random hex>`extension`, empty, readable and writable by us only.
    static Result<ExclusiveFile> create(const std::filesystem::path& folder, std::string_view stem,
                                        std::string_view extension);

    ExclusiveFile(ExclusiveFile&& other) noexcept;
    ExclusiveFile& operator=(ExclusiveFile&& other) noexcept;
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;
    ~ExclusiveFile();

    const std::filesystem::path& path() const { return path_; }
    // The file stays on disk when the object goes.
    void keep() { path_.clear(); }

private:
    explicit ExclusiveFile(std::filesystem::path path) : path_(std::move(path)) {}
    void removeFile();

    std::filesystem::path path_;
};

} // namespace tolvane
