#pragma once

#include "platform/Result.h"
#include "platform/base/FileStamp.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace tolvane::prefix {

// Replaces a file the way wineserver does: a temporary file beside the target (so the rename
// stays on one file system), written, flushed to disk, then renamed over the target. On any
// failure the old file stays as it was and the temporary file is removed. A store of several
// files prepares every temporary file first and renames them only once all are on disk.
class AtomicFileWriter {
public:
    enum class Step { create, write, sync, rename };
    // Called before each step with the file it is for; returning true makes that step fail
    // (tests use it).
    using FailureHook = std::function<bool(Step, const std::filesystem::path& target)>;

    // Hands the content to `emit` piece by piece.
    using Producer = std::function<void(const std::function<void(std::string_view)>& emit)>;

    // Our temporary files start with this; anything else in a folder is not ours.
    static constexpr std::string_view temporaryPrefix = ".tolvane-new-";

    // A complete, flushed temporary file waiting to be renamed over its target. It is removed
    // when the object goes unless it was committed.
    class Prepared {
    public:
        Prepared(std::filesystem::path target, std::filesystem::path temporary, FileStamp stamp);
        Prepared(Prepared&& other) noexcept;
        Prepared& operator=(Prepared&& other) noexcept;
        Prepared(const Prepared&) = delete;
        Prepared& operator=(const Prepared&) = delete;
        ~Prepared();

        // The file replaced (a symbolic link's own target).
        const std::filesystem::path& target() const { return target_; }
        const std::filesystem::path& temporary() const { return temporary_; }
        // The new file's stamp, which it keeps through the rename.
        const FileStamp& stamp() const { return stamp_; }
        // The rename happened (or someone else owns the temporary file now).
        void release() { temporary_.clear(); }

    private:
        std::filesystem::path target_;
        std::filesystem::path temporary_;
        FileStamp stamp_;
    };

    explicit AtomicFileWriter(FailureHook failAt = {});

    Result<void> write(const std::filesystem::path& target, std::string_view content) const;
    Result<void> write(const std::filesystem::path& target, const Producer& produce) const;

    // Writes and flushes the temporary file for `target` without touching the target.
    Result<Prepared> prepare(const std::filesystem::path& target, const Producer& produce) const;
    // Renames a prepared file over its target and flushes the folder. With `expected`, the
    // file replaced must be that version: the two files are swapped in one step and swapped
    // back when the one taken out is another (Wine wrote it after the last check), so a
    // version we never read is never thrown away.
    Result<void> commit(Prepared& file, const std::optional<FileStamp>& expected = {}) const;

private:
    bool injected(Step step, const std::filesystem::path& target) const;

    FailureHook failAt_;
};

} // namespace tolvane::prefix
