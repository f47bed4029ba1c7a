#pragma once

#include "platform/RegistryStorage.h"
#include "platform/prefix/AtomicFileWriter.h"
#include "platform/prefix/PrefixLock.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/prefix/WineServerProbe.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace tolvane::prefix {

// The registry files of a Wine prefix as the place where changes are kept. Nothing is written
// while a wineserver runs for the prefix: it holds the registry in memory, never reads the
// files again and would overwrite them at its next save. Nor is anything written once a file
// has changed on disk since it was read (Wine or another program ran in the meantime): saving
// would throw away what they wrote.
//
// A save stores every changed file or none (see StoreJournal), under the prefix lock: the one
// handed in (held since the files were loaded), else one taken for the save. After a failed
// save the registry is read again from disk, so memory never holds changes that are not
// stored.
class PrefixStorage : public RegistryStorage {
public:
    PrefixStorage(WineRegistry& registry, std::filesystem::path prefix, WineServerProbe probe,
                  std::optional<PrefixLock> lock = {});

    std::string describe() const override;
    Result<void> ensureWritable() override;
    bool changedOnDisk() const override;
    Result<void> save() override;

    // Puts prepared files (new versions of the registry files, e.g. a restored backup) in place
    // all-or-nothing under the journal and the lock, then reads the registry again.
    Result<void> replaceFiles(std::vector<AtomicFileWriter::Prepared> files);
    // Whole-registry backups: the prefix by its canonical path; the three registry files.
    std::string origin() const override;
    bool keepsFiles() const override { return true; }
    Result<void> keepFiles(const std::filesystem::path& folder) override;
    Result<void> restoreFiles(const std::filesystem::path& folder) override;

    // Takes the prefix lock without waiting and holds it until releaseChangeLock(), so that
    // no other Tolvane process changes the prefix between a change's first step and its last
    // store (stores meanwhile use this lock). A lock held since loading counts as taken.
    // The error says who holds it. Called from one thread while no store runs.
    Result<void> holdChangeLock() override;
    void releaseChangeLock() override;

private:
    // A file that the store replaces, and the version of it that must still be on disk.
    struct Replacement {
        AtomicFileWriter::Prepared* file;
        std::optional<FileStamp> expected;
    };
    // The loaded version of `target` when it is one of the registry's files.
    std::optional<FileStamp> expectedStamp(const std::filesystem::path& target) const;
    Result<void> checkUnchanged(const std::filesystem::path& file,
                                const std::optional<FileStamp>& expected) const;
    Result<void> checkNoServer() const;
    Result<void> store(const std::vector<Replacement>& replacements);
    // Memory follows disk after a failed store.
    Error failed(const Error& error);

    WineRegistry& registry_;
    std::filesystem::path prefix_;
    WineServerProbe probe_;
    std::optional<PrefixLock> lock_;
    std::optional<PrefixLock> changeLock_;
};

} // namespace tolvane::prefix
