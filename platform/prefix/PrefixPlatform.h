#pragma once

#include "platform/Platform.h"
#include "platform/Result.h"
#include "platform/prefix/PrefixFileSystem.h"
#include "platform/prefix/PrefixLock.h"
#include "platform/prefix/PrefixStorage.h"
#include "platform/prefix/WineRegistry.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/SystemClock.h"
#include "platform/services/XdgAutostart.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace tolvane::prefix {

// Everything the core needs to clean one Wine prefix: its registry loaded from its files, its
// drives and environment, the built-in registry editor, the real clock, the XDG autostart
// entry and the prefix's files as the place where changes are stored.
class PrefixPlatform {
public:
    struct Options {
        // Where relative Windows paths start.
        std::filesystem::path workingDirectory;
        std::filesystem::path configHome;
        // What the autostart entry starts.
        std::filesystem::path executable;
        // The prefix's backups live in a folder of their own below <data home>/tolvane; when
        // empty, in <working directory>/Backup.
        std::filesystem::path dataHome{};
        // For commands that change the registry: the prefix lock is taken before the files
        // are read and held as long as the platform lives. Without it the lock is taken for
        // each save only.
        std::optional<PrefixLock::Wait> lock{};
        PrefixLock::Waiting onWaiting{};
    };

    // A one-line error naming the folder or file (and line) when the prefix cannot be used.
    static Result<std::unique_ptr<PrefixPlatform>> open(const std::filesystem::path& prefix,
                                                        const Options& options);

    Platform& platform() { return platform_; }
    WineRegistry& registry() { return *registry_; }
    PrefixStorage& storage() { return storage_; }
    const std::filesystem::path& prefix() const { return prefix_; }

    // The prefix the user means: $WINEPREFIX, else ~/.wine.
    static std::filesystem::path defaultPrefix();

private:
    PrefixPlatform(std::unique_ptr<WineRegistry> registry, std::filesystem::path prefix,
                   const Options& options, std::optional<PrefixLock> lock);

    std::filesystem::path prefix_;
    std::unique_ptr<WineRegistry> registry_;
    PrefixFileSystem files_;
    BuiltinRegistryEditor editor_;
    SystemClock clock_;
    XdgAutostart autostart_;
    PrefixStorage storage_;
    Platform platform_;
};

} // namespace tolvane::prefix
