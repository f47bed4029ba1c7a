#pragma once

#include "platform/prefix/MappedMemory.h"

#include <cstddef>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tolvane::prefix {

// A bump allocator for the registry tree: nodes, value arrays, names and data live in large
// blocks that go all at once with the arena. Only trivially destructible objects may live here,
// so nothing needs to walk the tree to free it (a deep tree cannot exhaust the stack).
class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    void* allocate(std::size_t size, std::size_t alignment);

    template <typename T>
    T* allocateArray(std::size_t count) {
        static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
        return static_cast<T*>(allocate(count * sizeof(T), alignof(T)));
    }

    template <typename T>
    T* create() {
        static_assert(std::is_trivially_destructible_v<T>);
        return ::new (allocate(sizeof(T), alignof(T))) T{};
    }

    // A copy of `text` that lives as long as the arena.
    std::string_view copy(std::string_view text);

    std::size_t bytesReserved() const { return reserved_; }

private:
    // Blocks grow from 1 MiB to 64 MiB, so a small registry stays small and a large one
    // needs few blocks.
    static constexpr std::size_t firstBlockSize = std::size_t{1} << 20;
    static constexpr std::size_t largestBlockSize = std::size_t{64} << 20;

    std::vector<MappedMemory> blocks_;
    std::size_t nextBlockSize_ = firstBlockSize;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t reserved_ = 0;
};

} // namespace tolvane::prefix
