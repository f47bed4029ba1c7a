#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace tolvane::prefix {

// Replaces a file the way wineserver does: a temporary file beside the target (so the rename
// stays on one file system), written, flushed to disk, then renamed over the target. On any
// failure the old file stays as it was and the temporary file is removed.
class AtomicFileWriter {
public:
    enum class Step { create, write, sync, rename };
    // Called before each step; returning true makes that step fail (tests use it).
    using FailureHook = std::function<bool(Step)>;

    // Hands the content to `emit` piece by piece.
    using Producer = std::function<void(const std::function<void(std::string_view)>& emit)>;

    explicit AtomicFileWriter(FailureHook failAt = {});

    Result<void> write(const std::filesystem::path& target, std::string_view content) const;
    Result<void> write(const std::filesystem::path& target, const Producer& produce) const;

private:
    FailureHook failAt_;
};

} // namespace tolvane::prefix
