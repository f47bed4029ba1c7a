#pragma once

#include "platform/RegistryStorage.h"

#include <atomic>
#include <functional>
#include <string>

namespace tolvane::test {

// A registry kept in memory: saving only counts. Tests can make it refuse changes (as a running
// wineserver does) or fail to save.
class TestStorage final : public RegistryStorage {
public:
    std::string describe() const override { return "the test registry"; }
    Result<void> ensureWritable() override;
    bool changedOnDisk() const override { return changed; }
    Result<void> save() override;
    Result<void> holdChangeLock() override;
    void releaseChangeLock() override;

    std::atomic<int> saves{0};
    std::atomic<bool> refuseWrites{false};
    std::atomic<bool> failSaves{false};
    // As if Wine wrote the registry files after they were read.
    std::atomic<bool> changed{false};
    // How the change lock is taken and given back (a test hands in a real prefix lock); by
    // default it is always free. `changeLockHeld` says whether it is held now.
    std::function<Result<void>()> takeChangeLock;
    std::function<void()> giveBackChangeLock;
    std::atomic<bool> changeLockHeld{false};
    // Saves made while the change lock was not held.
    std::atomic<int> savesWithoutChangeLock{0};
};

} // namespace tolvane::test
