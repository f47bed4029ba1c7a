#include "platform/prefix/Arena.h"

#include <cstdint>
#include <cstring>

namespace tolvane::prefix {

void* Arena::allocate(std::size_t size, std::size_t alignment) {
    if (size == 0) {
        size = 1;
    }
    auto padding = [&] {
        const auto address = reinterpret_cast<std::uintptr_t>(next_);
        return (alignment - address % alignment) % alignment;
    };
    if (next_ == nullptr || padding() + size > left_) {
        // Large requests get a block of their own so the current block keeps its free space.
        if (size > blockSize / 4) {
            auto block = std::make_unique_for_overwrite<std::byte[]>(size);
            void* result = block.get();
            reserved_ += size;
            blocks_.insert(blocks_.begin(), std::move(block));
            return result;
        }
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(blockSize));
        next_ = blocks_.back().get();
        left_ = blockSize;
        reserved_ += blockSize;
    }
    const std::size_t skip = padding();
    std::byte* result = next_ + skip;
    next_ = result + size;
    left_ -= skip + size;
    return result;
}

std::string_view Arena::copy(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    auto* target = static_cast<char*>(allocate(text.size(), 1));
    std::memcpy(target, text.data(), text.size());
    return {target, text.size()};
}

} // namespace tolvane::prefix
