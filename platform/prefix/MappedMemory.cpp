#include "platform/prefix/MappedMemory.h"

#include <new>
#include <sys/mman.h>
#include <utility>

namespace tolvane::prefix {

MappedMemory::MappedMemory(std::size_t size) : size_(size == 0 ? 1 : size) {
    void* address =
        ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) {
        size_ = 0;
        throw std::bad_alloc();
    }
    data_ = static_cast<std::byte*>(address);
#ifdef MADV_HUGEPAGE
    // Only advice: where huge pages are off this changes nothing.
    ::madvise(address, size_, MADV_HUGEPAGE);
#endif
}

MappedMemory::MappedMemory(MappedMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedMemory& MappedMemory::operator=(MappedMemory&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedMemory::~MappedMemory() {
    release();
}

void MappedMemory::release() noexcept {
    if (data_ != nullptr) {
        ::munmap(data_, size_);
        data_ = nullptr;
        size_ = 0;
    }
}

} // namespace tolvane::prefix
