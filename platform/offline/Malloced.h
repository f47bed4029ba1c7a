#pragma once

#include <cstdlib>
#include <memory>

namespace tolvane::offline {

// Memory hivex hands out from malloc, owned until it is freed.
struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using Malloced = std::unique_ptr<T, FreeDeleter>;

} // namespace tolvane::offline
