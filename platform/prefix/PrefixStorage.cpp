#include "platform/prefix/PrefixStorage.h"

#include "platform/prefix/StoreJournal.h"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>

namespace tolvane::prefix {
namespace {

constexpr std::array<RegistryTree::Branch, 3> branches{
    RegistryTree::machineBranch, RegistryTree::currentUserBranch, RegistryTree::userDefaultBranch};

std::filesystem::path resolved(const std::filesystem::path& file) {
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(file, error);
    return error ? file : canonical;
}

} // namespace

PrefixStorage::PrefixStorage(WineRegistry& registry, std::filesystem::path prefix,
                             WineServerProbe probe, std::optional<PrefixLock> lock)
    : registry_(registry), prefix_(std::move(prefix)), probe_(std::move(probe)),
      lock_(std::move(lock)) {}

std::string PrefixStorage::describe() const {
    return "the Wine prefix " + prefix_.string();
}

Result<void> PrefixStorage::checkNoServer() const {
    if (const auto server = probe_.runningServer()) {
        const std::string process = *server > 0 ? " (process " + std::to_string(*server) + ")" : "";
        return makeError("a wineserver" + process + " is running for the Wine prefix " +
                         prefix_.string() +
                         "; close the programs that run in it (or run \"wineserver -k\") and "
                         "try again");
    }
    return {};
}

Result<void> PrefixStorage::checkUnchanged(const std::filesystem::path& file,
                                           const std::optional<FileStamp>& expected) const {
    if (expected && FileStamp::ofPath(file) != *expected) {
        return makeError(file.string() +
                         " has changed on disk since Tolvane read it (Wine or another program "
                         "ran in the prefix meanwhile); open the prefix again before changing it");
    }
    return {};
}

Result<void> PrefixStorage::ensureWritable() {
    if (auto idle = checkNoServer(); !idle) {
        return idle;
    }
    for (const auto branch : branches) {
        const auto file = registry_.fileOf(branch);
        if (!file.empty()) {
            if (auto unchanged = checkUnchanged(file, registry_.stampOf(branch)); !unchanged) {
                return unchanged;
            }
        }
    }
    return {};
}

bool PrefixStorage::changedOnDisk() const {
    for (const auto branch : branches) {
        const auto file = registry_.fileOf(branch);
        if (!file.empty() && !checkUnchanged(file, registry_.stampOf(branch))) {
            return true;
        }
    }
    return false;
}

std::optional<FileStamp> PrefixStorage::expectedStamp(const std::filesystem::path& target) const {
    const auto wanted = resolved(target);
    for (const auto branch : branches) {
        const auto file = registry_.fileOf(branch);
        if (!file.empty() && resolved(file) == wanted) {
            return registry_.stampOf(branch);
        }
    }
    return std::nullopt;
}

Error PrefixStorage::failed(const Error& error) {
    if (auto reloaded = registry_.reload(); !reloaded) {
        return makeError(error.message +
                         "; nothing was stored, and the registry could not be "
                         "read again: " +
                         reloaded.message());
    }
    return makeError(error.message + "; nothing was stored");
}

Result<void> PrefixStorage::store(const std::vector<Replacement>& replacements) {
    // A lock held since loading keeps other Tolvane processes out; without one, take it for
    // the store so no two stores interleave.
    std::optional<PrefixLock> storeLock;
    if (!lock_ && !changeLock_) {
        auto taken = PrefixLock::acquire(prefix_, PrefixLock::Wait::no);
        if (!taken) {
            return taken.error();
        }
        storeLock.emplace(std::move(taken.value()));
    }
    if (auto idle = checkNoServer(); !idle) {
        return idle;
    }
    for (const auto& replacement : replacements) {
        if (auto unchanged = checkUnchanged(replacement.file->target(), replacement.expected);
            !unchanged) {
            return unchanged;
        }
    }
    const AtomicFileWriter writer = registry_.fileWriter();
    StoreJournal journal(prefix_, writer);
    std::vector<AtomicFileWriter::Prepared*> files;
    for (const auto& replacement : replacements) {
        files.push_back(replacement.file);
    }
    auto entries = journal.begin(files);
    if (!entries) {
        return entries.error();
    }
    for (std::size_t index = 0; index < replacements.size(); ++index) {
        const auto& replacement = replacements[index];
        // Checked again just before each rename, and the rename itself swaps only the version
        // read: Wine may have written meanwhile.
        auto committed = checkUnchanged(replacement.file->target(), replacement.expected);
        if (committed) {
            committed = writer.commit(*replacement.file, replacement.expected);
        }
        if (!committed) {
            // Files not renamed yet keep what is on disk now (which may be Wine's newer
            // version): only the ones already replaced get their old version back.
            auto& all = entries.value();
            for (std::size_t later = index; later < all.size(); ++later) {
                if (!all[later].old.empty()) {
                    ::unlink(all[later].old.c_str());
                }
            }
            const std::vector<StoreJournal::Entry> done(all.begin(),
                                                        all.begin() + static_cast<long>(index));
            if (!journal.undo(done)) {
                return makeError(committed.message() +
                                 "; the old files could not all be put back yet: Tolvane puts "
                                 "them back the next time it opens the prefix");
            }
            return committed;
        }
    }
    journal.finish(entries.value());
    return {};
}

Result<void> PrefixStorage::save() {
    if (!registry_.hasUnsavedChanges()) {
        return ensureWritable();
    }
    auto pending = registry_.prepareSave();
    if (!pending) {
        return failed(pending.error());
    }
    std::vector<Replacement> replacements;
    for (auto& file : pending.value()) {
        replacements.push_back({&file.file, registry_.stampOf(file.branch)});
    }
    if (auto stored = store(replacements); !stored) {
        return failed(stored.error());
    }
    for (auto& file : pending.value()) {
        registry_.markSaved(file.branch, file.file.stamp());
    }
    return {};
}

Result<void> PrefixStorage::replaceFiles(std::vector<AtomicFileWriter::Prepared> files) {
    std::vector<Replacement> replacements;
    for (auto& file : files) {
        replacements.push_back({&file, expectedStamp(file.target())});
    }
    if (auto stored = store(replacements); !stored) {
        return failed(stored.error());
    }
    if (auto reloaded = registry_.reload(); !reloaded) {
        return makeError("the files were replaced, but the registry could not be read again: " +
                         reloaded.message());
    }
    return {};
}

Result<void> PrefixStorage::holdChangeLock() {
    if (lock_ || changeLock_) {
        return {};
    }
    auto taken = PrefixLock::acquire(prefix_, PrefixLock::Wait::no);
    if (!taken) {
        return taken.error();
    }
    changeLock_.emplace(std::move(taken.value()));
    return {};
}

void PrefixStorage::releaseChangeLock() {
    changeLock_.reset();
}

std::string PrefixStorage::origin() const {
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(prefix_, error);
    if (error) {
        canonical = std::filesystem::absolute(prefix_, error).lexically_normal();
    }
    if (!canonical.has_filename() && canonical.has_parent_path() &&
        canonical != canonical.root_path()) {
        canonical = canonical.parent_path();
    }
    return "the Wine prefix " + canonical.string();
}

Result<void> PrefixStorage::keepFiles(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto branch : branches) {
        const auto file = registry_.fileOf(branch);
        if (file.empty()) {
            continue;
        }
        // A copy of what Wine wrote since would not be the registry this backup stands for.
        const FileStamp loaded = registry_.stampOf(branch);
        const std::string stale = file.string() +
                                  " has changed on disk since Tolvane read it (Wine ran in the "
                                  "prefix meanwhile); open the prefix again and make the backup "
                                  "then";
        if (FileStamp::ofPath(file) != loaded) {
            return makeError(stale);
        }
        const auto target = folder / file.filename();
        std::filesystem::copy_file(file, target, std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (error) {
            return makeError("cannot copy " + file.string() + " to " + target.string() + ": " +
                             error.message());
        }
        if (FileStamp::ofPath(file) != loaded) {
            return makeError(stale);
        }
    }
    return {};
}

Result<void> PrefixStorage::restoreFiles(const std::filesystem::path& folder) {
    if (auto writable = ensureWritable(); !writable) {
        return writable;
    }
    // Every kept file is read and checked before the first one is replaced.
    if (auto kept = WineRegistry::openPrefix(folder); !kept) {
        return makeError("the backup's registry files cannot be used: " + kept.message());
    }
    const AtomicFileWriter writer = registry_.fileWriter();
    std::vector<AtomicFileWriter::Prepared> prepared;
    for (const auto branch : branches) {
        const auto file = registry_.fileOf(branch);
        if (file.empty()) {
            continue;
        }
        const auto source = folder / file.filename();
        std::error_code error;
        if (!std::filesystem::is_regular_file(source, error)) {
            // Restoring part of a registry would leave it as it never was.
            return makeError("the backup in " + folder.string() + " has no " +
                             file.filename().string() + "; nothing was restored");
        }
        std::ifstream in(source, std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
        if (in.bad()) {
            return makeError("cannot read " + source.string() + "; nothing was restored");
        }
        auto ready = writer.prepare(file, [&content](const auto& emit) { emit(content); });
        if (!ready) {
            return ready.error();
        }
        prepared.push_back(std::move(ready.value()));
    }
    // All or nothing, under the journal and the lock; the tree is read again afterwards.
    return replaceFiles(std::move(prepared));
}

} // namespace tolvane::prefix
