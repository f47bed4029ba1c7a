#include "platform/prefix/TextAnswerTable.h"

#include <functional>

namespace tolvane::prefix {

namespace {

constexpr std::size_t firstCapacity = 1024;

std::uint32_t hashOf(std::string_view text) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(text));
}

} // namespace

std::optional<std::uint32_t> TextAnswerTable::find(std::string_view text) const {
    if (count_ == 0) {
        return std::nullopt;
    }
    const Slot& slot = slots_[slotOf(text, hashOf(text))];
    if (!slot.used()) {
        return std::nullopt;
    }
    return slot.answer;
}

void TextAnswerTable::set(std::string_view text, std::uint32_t answer) {
    if (text.size() >= Slot::unused - texts_.size()) {
        return;
    }
    // At most half the slots in use keeps the probe runs short.
    if ((count_ + 1) * 2 > slots_.size()) {
        grow();
    }
    const std::uint32_t hash = hashOf(text);
    Slot& slot = slots_[slotOf(text, hash)];
    if (!slot.used()) {
        slot.hash = hash;
        slot.offset = static_cast<std::uint32_t>(texts_.size());
        slot.length = static_cast<std::uint32_t>(text.size());
        texts_.append(text);
        ++count_;
    }
    slot.answer = answer;
}

void TextAnswerTable::clear() {
    slots_.clear();
    texts_.clear();
    count_ = 0;
}

std::size_t TextAnswerTable::slotOf(std::string_view text, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t index = hash & mask;; index = (index + 1) & mask) {
        const Slot& slot = slots_[index];
        if (!slot.used() || (slot.hash == hash && textOf(slot) == text)) {
            return index;
        }
    }
}

std::string_view TextAnswerTable::textOf(const Slot& slot) const {
    return std::string_view(texts_).substr(slot.offset, slot.length);
}

void TextAnswerTable::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? firstCapacity : old.size() * 2, Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (!slot.used()) {
            continue;
        }
        std::size_t index = slot.hash & mask;
        while (slots_[index].used()) {
            index = (index + 1) & mask;
        }
        slots_[index] = slot;
    }
}

} // namespace tolvane::prefix
