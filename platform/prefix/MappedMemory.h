#pragma once

#include <cstddef>

namespace tolvane::prefix {

// A block of anonymous memory straight from the kernel, with transparent huge pages advised.
// Loading a large registry touches hundreds of megabytes once; with huge pages that costs a
// few hundred page faults instead of a hundred thousand.
class MappedMemory {
public:
    MappedMemory() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit MappedMemory(std::size_t size);
    MappedMemory(MappedMemory&& other) noexcept;
    MappedMemory& operator=(MappedMemory&& other) noexcept;
    MappedMemory(const MappedMemory&) = delete;
    MappedMemory& operator=(const MappedMemory&) = delete;
    ~MappedMemory();

    std::byte* data() const { return data_; }
    char* chars() const { return reinterpret_cast<char*>(data_); }
    std::size_t size() const { return size_; }

private:
    void release() noexcept;

    std::byte* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace tolvane::prefix
