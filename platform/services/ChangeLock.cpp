#include "platform/services/ChangeLock.h"

#include <utility>

namespace tolvane {

Result<ChangeLock> ChangeLock::take(RegistryStorage& storage) {
    if (auto held = storage.holdChangeLock(); !held) {
        return held.error();
    }
    return ChangeLock(storage);
}

ChangeLock::ChangeLock(ChangeLock&& other) noexcept
    : storage_(std::exchange(other.storage_, nullptr)) {}

ChangeLock& ChangeLock::operator=(ChangeLock&& other) noexcept {
    if (this != &other) {
        release();
        storage_ = std::exchange(other.storage_, nullptr);
    }
    return *this;
}

ChangeLock::~ChangeLock() {
    release();
}

void ChangeLock::release() {
    if (storage_ != nullptr) {
        storage_->releaseChangeLock();
        storage_ = nullptr;
    }
}

} // namespace tolvane
