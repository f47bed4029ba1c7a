#include "platform/prefix/PrefixStorage.h"

#include "platform/prefix/AtomicFileWriter.h"

#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <system_error>

namespace tolvane::prefix {

PrefixStorage::PrefixStorage(WineRegistry& registry, std::filesystem::path prefix,
                             WineServerProbe probe)
    : registry_(registry), prefix_(std::move(prefix)), probe_(std::move(probe)) {
    rememberFiles();
}

PrefixStorage::FileStamp PrefixStorage::stampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return {};
    }
    return {true, static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino), static_cast<std::int64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

std::array<std::filesystem::path, 3> PrefixStorage::files() const {
    return {registry_.fileOf(RegistryTree::machineBranch),
            registry_.fileOf(RegistryTree::currentUserBranch),
            registry_.fileOf(RegistryTree::userDefaultBranch)};
}

void PrefixStorage::rememberFiles() {
    const auto paths = files();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        stamps_[i] = paths[i].empty() ? FileStamp{} : stampOf(paths[i]);
    }
}

std::string PrefixStorage::describe() const {
    return "the Wine prefix " + prefix_.string();
}

Result<void> PrefixStorage::ensureWritable() {
    if (const auto server = probe_.runningServer()) {
        const std::string process = *server > 0 ? " (process " + std::to_string(*server) + ")" : "";
        return makeError("a wineserver" + process + " is running for the Wine prefix " +
                         prefix_.string() +
                         "; close the programs that run in it (or run \"wineserver -k\") and "
                         "try again");
    }
    const auto paths = files();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!paths[i].empty() && stampOf(paths[i]) != stamps_[i]) {
            return makeError(paths[i].string() +
                             " has changed on disk since Tolvane read it (Wine ran in the "
                             "prefix meanwhile); open the prefix again before changing it");
        }
    }
    return {};
}

Result<void> PrefixStorage::save() {
    if (auto writable = ensureWritable(); !writable) {
        return writable;
    }
    auto saved = registry_.save();
    // Our own writes are the files' new versions; a failed save may have replaced some.
    rememberFiles();
    return saved;
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
    const auto paths = files();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) {
            continue;
        }
        // A copy of what Wine wrote since would not be the registry this backup stands for.
        const auto changed = [&] { return stampOf(paths[i]) != stamps_[i]; };
        const std::string stale = paths[i].string() +
                                  " has changed on disk since Tolvane read it (Wine ran in the "
                                  "prefix meanwhile); open the prefix again and make the backup "
                                  "then";
        if (changed()) {
            return makeError(stale);
        }
        const auto target = folder / paths[i].filename();
        std::filesystem::copy_file(paths[i], target,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            return makeError("cannot copy " + paths[i].string() + " to " + target.string() + ": " +
                             error.message());
        }
        if (changed()) {
            return makeError(stale);
        }
    }
    return {};
}

Result<void> PrefixStorage::restoreFiles(const std::filesystem::path& folder) {
    if (auto writable = ensureWritable(); !writable) {
        return writable;
    }
    // Every file is read and checked before the first one is replaced.
    auto kept = WineRegistry::openPrefix(folder);
    if (!kept) {
        return makeError("the backup's registry files cannot be used: " + kept.message());
    }
    const auto paths = files();
    std::array<std::string, 3> contents;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto source = folder / paths[i].filename();
        std::ifstream in(source, std::ios::binary);
        contents[i].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) {
            return makeError("cannot read " + source.string());
        }
    }
    const AtomicFileWriter writer;
    Result<void> written;
    for (std::size_t i = 0; i < paths.size() && written; ++i) {
        written = writer.write(paths[i], contents[i]);
    }
    // Whatever is on disk now is what the program shows. Until it does, the old stamps make
    // every later save refuse, so the tree in memory never overwrites the restored files.
    auto reloaded = WineRegistry::openPrefix(prefix_);
    if (!reloaded) {
        return makeError("the restored files cannot be read: " + reloaded.message());
    }
    auto adopted = registry_.adopt(*reloaded.value());
    if (!adopted) {
        return adopted;
    }
    rememberFiles();
    if (!written) {
        return written;
    }
    return {};
}

} // namespace tolvane::prefix
