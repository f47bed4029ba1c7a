#pragma once

#include "platform/Result.h"
#include "platform/base/FileStamp.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

struct hive_h;

namespace tolvane::offline {

// One registry hive file of an offline Windows installation, held in memory by hivex. It is
// read through a descriptor of our own (hivex reads the same inode through /proc/self/fd), so
// the stamp taken from that descriptor is the version that was read.
//
// A commit never writes the hive in place: hivex writes the whole hive to a new file beside it
// (exclusive, unpredictable name), the new file is opened again and checked by the caller,
// flushed, and only then renamed over the hive. Until the rename the old hive stays as it was.
class HiveFile {
public:
    // The steps of a commit, for tests that make one of them fail.
    enum class CommitStep { written, verified, synced };
    using FailureHook = std::function<bool(CommitStep)>;
    // Checks the written file (opened again with hivex, read-only) against what was meant.
    using Verifier = std::function<Result<void>(hive_h& written)>;

    // The base block's two sequence numbers differ when Windows left changes in the .LOG1/.LOG2
    // files that are not in the hive yet.
    struct BaseBlock {
        std::uint32_t sequence1 = 0;
        std::uint32_t sequence2 = 0;
        bool dirty() const { return sequence1 != sequence2; }
    };

    // Reads `file` into memory. Errors name the file.
    static Result<std::unique_ptr<HiveFile>> open(const std::filesystem::path& file);
    ~HiveFile();
    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    hive_h& handle() { return *hive_; }
    const std::filesystem::path& path() const { return path_; }
    // The base block as it was read.
    const BaseBlock& baseBlock() const { return baseBlock_; }
    // The version of the file that was read (or last committed).
    const FileStamp& stamp() const { return stamp_; }
    // Whether the file on disk is no longer the one that was read.
    bool changedOnDisk() const;

    // Whether the in-memory hive holds changes that are not on disk.
    bool modified() const { return modified_; }
    void markModified() { modified_ = true; }

    // Writes the in-memory hive over the file as described above.
    Result<void> commit(const Verifier& verify, const FailureHook& failAt = {});

    // The base block of a hive file on disk; an error when it is no hive.
    static Result<BaseBlock> readBaseBlock(const std::filesystem::path& file);

    // Temporary files of a commit are named <hive name><this><random hex>.tmp.
    static constexpr std::string_view temporaryInfix = ".tolvane-commit-";

private:
    struct Closer {
        void operator()(hive_h* hive) const;
    };
    HiveFile(std::filesystem::path path, std::unique_ptr<hive_h, Closer> hive, BaseBlock baseBlock,
             FileStamp stamp);

    std::filesystem::path path_;
    std::unique_ptr<hive_h, Closer> hive_;
    BaseBlock baseBlock_;
    FileStamp stamp_;
    bool modified_ = false;
};

} // namespace tolvane::offline
