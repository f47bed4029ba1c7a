#include "platform/prefix/Arena.h"

#include <algorithm>
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
        if (size > nextBlockSize_ / 4) {
            MappedMemory block(size);
            void* result = block.data();
            reserved_ += block.size();
            blocks_.insert(blocks_.begin(), std::move(block));
            return result;
        }
        blocks_.emplace_back(nextBlockSize_);
        next_ = blocks_.back().data();
        left_ = nextBlockSize_;
        reserved_ += nextBlockSize_;
        nextBlockSize_ = std::min(nextBlockSize_ * 2, largestBlockSize);
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
