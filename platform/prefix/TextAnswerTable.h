#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::prefix {

// Texts (paths) mapped to a 32-bit answer, for a scan that asks hundreds of thousands of times
// about a few ten thousand paths. The texts sit one after another in a single buffer and the
// slots in one array, so a look-up touches two places in memory instead of a chain of nodes
// and separately allocated strings.
class TextAnswerTable {
public:
    std::optional<std::uint32_t> find(std::string_view text) const;
    // Sets the answer for `text`, replacing an earlier one. Texts are kept while all of them
    // together stay below 4 GiB; a text beyond that is not kept, and is asked of the disk again.
    void set(std::string_view text, std::uint32_t answer);
    std::size_t size() const { return count_; }
    void clear();

private:
    // Sixteen bytes, so that four share a cache line: with tens of thousands of paths the
    // table outgrows the processor's caches, and a look-up's cost is its memory reads.
    struct Slot {
        static constexpr std::uint32_t unused = 0xFFFFFFFFu;
        std::uint32_t hash = 0;
        std::uint32_t offset = unused;
        std::uint32_t length = 0;
        std::uint32_t answer = 0;
        bool used() const { return offset != unused; }
    };

    // The slot holding `text`, or the empty slot where it belongs.
    std::size_t slotOf(std::string_view text, std::uint32_t hash) const;
    std::string_view textOf(const Slot& slot) const;
    void grow();

    std::vector<Slot> slots_;
    std::string texts_;
    std::size_t count_ = 0;
};

} // namespace tolvane::prefix
