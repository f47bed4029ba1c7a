#include "platform/prefix/PrefixStorage.h"

#include <string>
#include <sys/stat.h>

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

} // namespace tolvane::prefix
