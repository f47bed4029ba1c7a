#pragma once

#include "platform/Result.h"
#include "platform/prefix/AtomicFileWriter.h"

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace tolvane::prefix {

// Makes a store of several registry files all-or-nothing. Before the first rename the journal
// ".tolvane-journal" in the prefix lists, for every file, its target, the flushed temporary
// file and a hard link that keeps the old version. If the process dies between the first
// rename and the journal's removal, the next start puts every old version back, so the
// prefix is never half stored.
class StoreJournal {
public:
    static constexpr std::string_view fileName = ".tolvane-journal";
    // Our hard links to the versions being replaced.
    static constexpr std::string_view oldPrefix = ".tolvane-old-";

    struct Entry {
        std::filesystem::path target;
        std::filesystem::path temporary;
        // Empty when the target did not exist.
        std::filesystem::path old;
        // The new file's inode: it tells a renamed new file from anything else.
        std::uint64_t newInode = 0;
    };

    StoreJournal(std::filesystem::path prefix, AtomicFileWriter writer);

    // Keeps the old version of each prepared file's target and writes the journal.
    Result<std::vector<Entry>> begin(const std::vector<AtomicFileWriter::Prepared*>& files) const;
    // The store is complete: the journal goes, then the old versions.
    void finish(const std::vector<Entry>& entries) const;
    // Puts back the old version of every entry and removes the new files and the journal;
    // false when something could not be put back (the journal then stays for the next start).
    bool undo(const std::vector<Entry>& entries) const;

    // At start, under the prefix lock: undoes an interrupted store and removes temporary
    // files and old versions that a killed run of ours left in the prefix. Wine's own
    // temporary files are never touched. The error says what could not be repaired.
    Result<void> recover() const;

private:
    std::filesystem::path journalPath() const { return prefix_ / fileName; }
    void syncFolder(const std::filesystem::path& folder) const;

    std::filesystem::path prefix_;
    AtomicFileWriter writer_;
};

} // namespace tolvane::prefix
