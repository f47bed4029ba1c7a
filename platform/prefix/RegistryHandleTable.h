#pragma once

#include "platform/RegistryTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane::prefix {

struct RegNode;

// The open key handles of the registry engine: a slot each, reused once closed. A handle
// carries its slot's generation, so a closed handle stays invalid after its slot has been
// reused. No handle falls among the predefined keys. Not locked: the registry's lock covers it.
class RegistryHandleTable {
public:
    // A new handle for `node`; HKey::null when every slot is taken.
    HKey open(RegNode* node);
    // The node slot of an open handle, or null for any other value.
    RegNode** find(HKey key);
    bool close(HKey key);
    // Makes every open handle invalid (the tree they point into is gone).
    void closeAll();
    std::size_t openCount() const { return openHandles_; }

private:
    struct Slot {
        RegNode* node = nullptr;
        std::uint32_t generation = 0;
    };

    void release(std::size_t index);

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> freeSlots_;
    std::size_t openHandles_ = 0;
};

} // namespace tolvane::prefix
