#include "platform/win32/UniqueHandle.h"

#include <utility>
#include <windows.h>

namespace tolvane {

UniqueHandle::UniqueHandle(UniqueHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

UniqueHandle::~UniqueHandle() {
    reset();
}

bool UniqueHandle::valid() const noexcept {
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
}

void UniqueHandle::reset() noexcept {
    if (valid()) {
        CloseHandle(handle_);
    }
    handle_ = nullptr;
}

} // namespace tolvane
