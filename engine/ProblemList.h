#pragma once

#include "engine/ProblemRecord.h"

#include <cstddef>
#include <span>
#include <vector>

namespace tolvane {

// The records of one module's scan, or the merged records of a whole scan, in the order found.
class ProblemList {
public:
    std::size_t count() const { return records_.size(); }
    bool empty() const { return records_.empty(); }

    void add(ProblemRecord record) { records_.push_back(std::move(record)); }
    // Appends every record of `other`, keeping their order.
    void append(ProblemList&& other);
    void clear() { records_.clear(); }
    void reserve(std::size_t count) { records_.reserve(count); }

    ProblemRecord& operator[](std::size_t index) { return records_[index]; }
    const ProblemRecord& operator[](std::size_t index) const { return records_[index]; }

    std::span<ProblemRecord> records() { return records_; }
    std::span<const ProblemRecord> records() const { return records_; }

    auto begin() { return records_.begin(); }
    auto end() { return records_.end(); }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

private:
    std::vector<ProblemRecord> records_;
};

} // namespace tolvane
