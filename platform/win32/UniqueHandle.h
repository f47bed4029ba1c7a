#pragma once

namespace tolvane {

// Owns one kernel object handle (a HANDLE) and closes it when it goes.
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(void* handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept;
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle();

    void* get() const noexcept { return handle_; }
    // Neither null nor INVALID_HANDLE_VALUE.
    bool valid() const noexcept;
    explicit operator bool() const noexcept { return valid(); }
    void reset() noexcept;

private:
    void* handle_ = nullptr;
};

} // namespace tolvane
