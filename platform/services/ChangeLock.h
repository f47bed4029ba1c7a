#pragma once

#include "platform/RegistryStorage.h"
#include "platform/Result.h"

namespace tolvane {

// The registry's change lock, held from before a change's first step to after its last store
// and released when the object goes, so that another Tolvane process cannot slip its own
// store in between.
class ChangeLock {
public:
    // Takes the lock without waiting; the error says who holds it.
    static Result<ChangeLock> take(RegistryStorage& storage);

    ChangeLock(ChangeLock&& other) noexcept;
    ChangeLock& operator=(ChangeLock&& other) noexcept;
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;
    ~ChangeLock();

private:
    explicit ChangeLock(RegistryStorage& storage) : storage_(&storage) {}
    void release();

    RegistryStorage* storage_;
};

} // namespace tolvane
