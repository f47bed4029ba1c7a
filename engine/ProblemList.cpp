#include "engine/ProblemList.h"

#include <iterator>

namespace tolvane {

void ProblemList::append(ProblemList&& other) {
    // Taking over the other list's storage is cheapest unless room was set aside here.
    if (records_.empty() && records_.capacity() < other.records_.size()) {
        records_ = std::move(other.records_);
    } else {
        records_.insert(records_.end(), std::make_move_iterator(other.records_.begin()),
                        std::make_move_iterator(other.records_.end()));
    }
    other.records_.clear();
}

} // namespace tolvane
