#include "platform/prefix/PrefixPlatform.h"

#include "platform/prefix/StoreJournal.h"
#include "platform/services/BackupLocation.h"

#include <cstdlib>

namespace tolvane::prefix {

std::filesystem::path PrefixPlatform::defaultPrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".wine";
}

Result<std::unique_ptr<PrefixPlatform>> PrefixPlatform::open(const std::filesystem::path& prefix,
                                                             const Options& options) {
    std::error_code error;
    if (!std::filesystem::is_directory(prefix, error)) {
        return makeError(prefix.string() + ": no such prefix folder");
    }
    std::optional<PrefixLock> lock;
    if (options.lock) {
        auto taken = PrefixLock::acquire(prefix, *options.lock, options.onWaiting);
        if (!taken) {
            return taken.error();
        }
        lock.emplace(std::move(taken.value()));
    }
    // A save that a killed run left unfinished is undone before anything reads the files; a
    // reader that finds another process working leaves that to it.
    std::optional<PrefixLock> recovering;
    if (!lock) {
        if (auto taken = PrefixLock::acquire(prefix, PrefixLock::Wait::no)) {
            recovering.emplace(std::move(taken.value()));
        }
    }
    if (lock || recovering) {
        if (auto recovered = StoreJournal(prefix, AtomicFileWriter()).recover(); !recovered) {
            return recovered.error();
        }
    }
    recovering.reset();
    auto registry = WineRegistry::openPrefix(prefix);
    if (!registry) {
        return registry.error();
    }
    return std::unique_ptr<PrefixPlatform>(
        new PrefixPlatform(std::move(registry.value()), prefix, options, std::move(lock)));
}

PrefixPlatform::PrefixPlatform(std::unique_ptr<WineRegistry> registry, std::filesystem::path prefix,
                               const Options& options, std::optional<PrefixLock> lock)
    : prefix_(std::move(prefix)), registry_(std::move(registry)),
      files_(prefix_, *registry_,
             PrefixFileSystemOptions{options.workingDirectory, {}, {}, std::nullopt}),
      editor_(*registry_), autostart_(options.configHome, options.executable),
      storage_(*registry_, prefix_, WineServerProbe::forPrefix(prefix_), std::move(lock)),
      platform_{*registry_,
                files_,
                editor_,
                clock_,
                autostart_,
                storage_,
                options.workingDirectory,
                options.dataHome.empty() ? std::filesystem::path()
                                         : BackupLocation::forPrefix(options.dataHome, prefix_)} {}

} // namespace tolvane::prefix
