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
    // Sets the answer for `text`, replacing an earlier one (a text of 4 GiB or more is not kept).
    void set(std::string_view text, std::uint32_t answer);
    std::size_t size() const { return count_; }
    void clear();

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t answer = 0;
        bool used = false;
    };

    // The slot holding `text`, or the empty slot where it belongs.
    std::size_t slotOf(std::string_view text, std::uint64_t hash) const;
    std::string_view textOf(const Slot& slot) const;
    void grow();

    std::vector<Slot> slots_;
    std::string texts_;
    std::size_t count_ = 0;
};

} // namespace tolvane::prefix
