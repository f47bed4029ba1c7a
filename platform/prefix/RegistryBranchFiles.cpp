#include "platform/prefix/RegistryBranchFiles.h"

#include "platform/prefix/WineRegFileReader.h"
#include "platform/prefix/WineRegFileWriter.h"

namespace tolvane::prefix {

Result<RegistryBranchFiles> RegistryBranchFiles::loadPrefix(const std::filesystem::path& prefix,
                                                            RegistryTree& tree) {
    std::error_code error;
    if (!std::filesystem::is_directory(prefix, error)) {
        return makeError(prefix.string() + ": no such prefix folder");
    }
    struct Source {
        RegistryTree::Branch branch;
        const char* name;
    };
    static constexpr std::array<Source, 3> sources = {{
        {RegistryTree::machineBranch, "system.reg"},
        {RegistryTree::currentUserBranch, "user.reg"},
        {RegistryTree::userDefaultBranch, "userdef.reg"},
    }};
    RegistryBranchFiles files;
    std::string arch;
    for (const Source& source : sources) {
        const std::filesystem::path file = prefix / source.name;
        auto header = WineRegFileReader::load(tree, source.branch, file);
        if (!header) {
            return header.error();
        }
        // Wine refuses a file whose architecture differs from the one system.reg set.
        if (!header->arch.empty()) {
            if (!arch.empty() && header->arch != arch) {
                return makeError(file.string() + ": architecture " + header->arch +
                                 " differs from system.reg (" + arch + ")");
            }
            arch = header->arch;
        }
        files.files_[source.branch] = {file, std::move(header->preamble), header->stamp};
    }
    return files;
}

Result<RegistryBranchFiles> RegistryBranchFiles::loadUserFile(const std::filesystem::path& file,
                                                              RegistryTree& tree) {
    BranchFile bound{file, WineRegFileWriter::defaultPreamble(RegistryTree::currentUserBranch), {}};
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        auto header = WineRegFileReader::load(tree, RegistryTree::currentUserBranch, file);
        if (!header) {
            return header.error();
        }
        bound.preamble = std::move(header->preamble);
        bound.stamp = header->stamp;
    } else {
        // Nothing to keep yet: the first save writes the file.
        tree.setDirty(RegistryTree::currentUserBranch, true);
    }
    RegistryBranchFiles files;
    files.files_[RegistryTree::currentUserBranch] = std::move(bound);
    return files;
}

Result<RegistryBranchFiles> RegistryBranchFiles::reloadInto(RegistryTree& tree) const {
    RegistryBranchFiles reloaded = *this;
    for (std::size_t index = 0; index < reloaded.files_.size(); ++index) {
        const auto branch = static_cast<RegistryTree::Branch>(index);
        BranchFile& file = reloaded.files_[index];
        if (file.path.empty()) {
            continue;
        }
        if (!FileStamp::ofPath(file.path).exists) {
            // A user file that was never saved: still empty.
            tree.setDirty(branch, true);
            file.stamp = {};
            continue;
        }
        auto header = WineRegFileReader::load(tree, branch, file.path);
        if (!header) {
            return header.error();
        }
        file.preamble = std::move(header->preamble);
        file.stamp = header->stamp;
    }
    return reloaded;
}

Result<std::vector<RegistryBranchFiles::PendingFile>>
RegistryBranchFiles::prepareSave(RegistryTree& tree, bool reencodeValues) const {
    std::vector<PendingFile> pending;
    for (std::size_t index = 0; index < files_.size(); ++index) {
        const auto branch = static_cast<RegistryTree::Branch>(index);
        const BranchFile& file = files_[index];
        if (file.path.empty() || !tree.isDirty(branch)) {
            continue;
        }
        const auto produce = [&](const auto& emit) {
            WineRegFileWriter::write(tree, branch, file.preamble, {reencodeValues, 0}, emit);
        };
        auto prepared = writer_.prepare(file.path, produce);
        if (!prepared) {
            return prepared.error();
        }
        pending.push_back({branch, std::move(prepared.value())});
    }
    return pending;
}

void RegistryBranchFiles::markSaved(RegistryTree::Branch branch, const FileStamp& stamp) {
    files_[branch].stamp = stamp;
}

bool RegistryBranchFiles::hasUnsavedChanges(const RegistryTree& tree) const {
    for (std::size_t index = 0; index < files_.size(); ++index) {
        if (!files_[index].path.empty() && tree.isDirty(static_cast<RegistryTree::Branch>(index))) {
            return true;
        }
    }
    return false;
}

} // namespace tolvane::prefix
