#include "platform/prefix/RegistryWalkCache.h"

#include <algorithm>

namespace tolvane::prefix {

void RegistryWalkCache::dropStale(std::uint64_t changeCount) {
    if (changeCount_ != changeCount) {
        forget();
        changeCount_ = changeCount;
    }
}

void RegistryWalkCache::forget() {
    base_ = nullptr;
    path_.clear();
    ends_.clear();
    nodes_.clear();
    classesRoot_ = nullptr;
    currentConfig_ = nullptr;
}

std::size_t RegistryWalkCache::resume(RegNode* start, std::span<const std::string_view> elements,
                                      RegNode*& node) {
    std::size_t first = 0;
    if (start == base_) {
        std::size_t begin = 0;
        while (first < elements.size() && first < nodes_.size() &&
               std::string_view(path_).substr(begin, ends_[first] - begin) == elements[first]) {
            begin = ends_[first] + 1;
            node = nodes_[first];
            ++first;
        }
    }
    base_ = start;
    path_.resize(first == 0 ? 0 : ends_[first - 1] + 1);
    ends_.resize(first);
    nodes_.resize(first);
    return first;
}

void RegistryWalkCache::record(std::string_view element, RegNode* node) {
    path_ += element;
    ends_.push_back(path_.size());
    path_ += '\\';
    nodes_.push_back(node);
}

RegNode* RegistryWalkCache::keyOnPath(RegNode* start, std::string_view unitText) const {
    if (start != base_ || unitText.empty() || unitText.size() > path_.size() ||
        path_.compare(0, unitText.size(), unitText) != 0) {
        return nullptr;
    }
    // The remembered path has no empty elements, so a text that matches it and ends where one
    // of its elements ends (a closing backslash aside) names that element's key.
    const std::size_t end = unitText.back() == '\\' ? unitText.size() - 1 : unitText.size();
    const auto found = std::lower_bound(ends_.begin(), ends_.end(), end);
    if (found == ends_.end() || *found != end) {
        return nullptr;
    }
    return nodes_[static_cast<std::size_t>(found - ends_.begin())];
}

} // namespace tolvane::prefix
