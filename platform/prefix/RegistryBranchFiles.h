#pragma once

#include "platform/Result.h"
#include "platform/base/FileStamp.h"
#include "platform/prefix/AtomicFileWriter.h"
#include "platform/prefix/RegistryTree.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::prefix {

// The files behind the branches of a registry tree (a prefix's system.reg, user.reg and
// userdef.reg, or a user's own file): where each one lives, the text before its first key that
// is written back unchanged, the version of it the tree holds, and how a changed branch is
// written. A branch without a file lives in memory only. Not locked: the registry's lock
// covers it.
class RegistryBranchFiles {
public:
    // The new file of a changed branch, written and flushed, not yet in place.
    struct PendingFile {
        RegistryTree::Branch branch;
        AtomicFileWriter::Prepared file;
    };

    // Reads a prefix's three files into `tree`. A missing or malformed file gives a one-line
    // error naming the file (and line), as does a file of another architecture than
    // system.reg's.
    static Result<RegistryBranchFiles> loadPrefix(const std::filesystem::path& prefix,
                                                  RegistryTree& tree);
    // A registry file of the user's own as the current user's branch; a missing file leaves
    // the branch empty and changed, so that the first save creates it.
    static Result<RegistryBranchFiles> loadUserFile(const std::filesystem::path& file,
                                                    RegistryTree& tree);
    // Reads every file again into `tree`, a fresh one; the files as now read, or the error.
    Result<RegistryBranchFiles> reloadInto(RegistryTree& tree) const;

    // Writes the temporary files of every changed branch that has a file; on failure none is
    // left behind. With reencodeValues every value is written from its bytes instead of its
    // file text.
    Result<std::vector<PendingFile>> prepareSave(RegistryTree& tree, bool reencodeValues) const;
    // A pending file is now the branch's file.
    void markSaved(RegistryTree::Branch branch, const FileStamp& stamp);
    bool hasUnsavedChanges(const RegistryTree& tree) const;

    const std::filesystem::path& path(RegistryTree::Branch branch) const {
        return files_[branch].path;
    }
    FileStamp stamp(RegistryTree::Branch branch) const { return files_[branch].stamp; }
    const AtomicFileWriter& writer() const { return writer_; }
    void setWriter(AtomicFileWriter writer) { writer_ = std::move(writer); }

private:
    struct BranchFile {
        std::filesystem::path path;
        std::string preamble;
        FileStamp stamp;
    };

    std::array<BranchFile, RegistryTree::branchCount> files_;
    AtomicFileWriter writer_;
};

} // namespace tolvane::prefix
