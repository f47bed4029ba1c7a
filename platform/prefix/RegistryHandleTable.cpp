#include "platform/prefix/RegistryHandleTable.h"

namespace tolvane::prefix {
namespace {

// Handles: the slot index in the low bits (above the first handle value, in steps of 4), the
// slot's generation in the top bits.
constexpr std::uintptr_t firstHandle = 0x100;
constexpr unsigned generationShift = 27;
constexpr std::uintptr_t slotMask = (std::uintptr_t{1} << generationShift) - 1;
constexpr std::uint32_t generationCount = 32;
constexpr std::size_t maxHandleSlots = (slotMask + 1 - firstHandle) / 4;

} // namespace

HKey RegistryHandleTable::open(RegNode* node) {
    std::uint32_t index = 0;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        if (slots_.size() == maxHandleSlots) {
            return HKey::null;
        }
        index = static_cast<std::uint32_t>(slots_.size());
        slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    slot.node = node;
    ++openHandles_;
    return HKey{(std::uintptr_t{slot.generation % generationCount} << generationShift) |
                (firstHandle + std::uintptr_t{index} * 4)};
}

RegNode** RegistryHandleTable::find(HKey key) {
    const auto value = static_cast<std::uintptr_t>(key);
    const std::uintptr_t low = value & slotMask;
    const std::uintptr_t generation = value >> generationShift;
    if (low < firstHandle || (low - firstHandle) % 4 != 0 || generation >= generationCount) {
        return nullptr;
    }
    const std::size_t index = (low - firstHandle) / 4;
    if (index >= slots_.size()) {
        return nullptr;
    }
    Slot& slot = slots_[index];
    if (slot.node == nullptr || slot.generation % generationCount != generation) {
        return nullptr;
    }
    return &slot.node;
}

bool RegistryHandleTable::close(HKey key) {
    if (find(key) == nullptr) {
        return false;
    }
    release(((static_cast<std::uintptr_t>(key) & slotMask) - firstHandle) / 4);
    --openHandles_;
    return true;
}

void RegistryHandleTable::closeAll() {
    for (std::size_t index = 0; index < slots_.size(); ++index) {
        if (slots_[index].node != nullptr) {
            release(index);
        }
    }
    openHandles_ = 0;
}

void RegistryHandleTable::release(std::size_t index) {
    Slot& slot = slots_[index];
    slot.node = nullptr;
    ++slot.generation;
    freeSlots_.push_back(static_cast<std::uint32_t>(index));
}

} // namespace tolvane::prefix
