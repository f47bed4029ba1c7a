#include "tests/support/RecordingProgress.h"

namespace tolvane::test {

void RecordingProgress::setStatusText(std::string_view text) {
    const std::lock_guard lock(mutex_);
    status_ = text;
    statusHistory_.emplace_back(text);
    if (stopAfter_ >= 0 && statusHistory_.size() >= static_cast<std::size_t>(stopAfter_)) {
        stopper_.request_stop();
    }
}

void RecordingProgress::setTotalText(std::string_view text) {
    const std::lock_guard lock(mutex_);
    total_ = text;
}

void RecordingProgress::setCounterText(int moduleId, std::string_view text) {
    const std::lock_guard lock(mutex_);
    const auto index = static_cast<std::size_t>(moduleId);
    counters_.at(index) = text;
    counterHistory_.at(index).emplace_back(text);
}

void RecordingProgress::setBarPosition(int position) {
    const std::lock_guard lock(mutex_);
    bar_ = position;
}

std::string RecordingProgress::status() const {
    const std::lock_guard lock(mutex_);
    return status_;
}

std::string RecordingProgress::total() const {
    const std::lock_guard lock(mutex_);
    return total_;
}

std::string RecordingProgress::counter(int moduleId) const {
    const std::lock_guard lock(mutex_);
    return counters_.at(static_cast<std::size_t>(moduleId));
}

int RecordingProgress::barPosition() const {
    const std::lock_guard lock(mutex_);
    return bar_;
}

std::vector<std::string> RecordingProgress::counterHistory(int moduleId) const {
    const std::lock_guard lock(mutex_);
    return counterHistory_.at(static_cast<std::size_t>(moduleId));
}

std::vector<std::string> RecordingProgress::statusHistory() const {
    const std::lock_guard lock(mutex_);
    return statusHistory_;
}

void RecordingProgress::clearHistory() {
    const std::lock_guard lock(mutex_);
    statusHistory_.clear();
    for (auto& history : counterHistory_) {
        history.clear();
    }
}

void RecordingProgress::stopAfterStatusTexts(int count) {
    const std::lock_guard lock(mutex_);
    stopAfter_ = count;
    stopper_ = std::stop_source();
}

std::stop_token RecordingProgress::stopToken() const {
    const std::lock_guard lock(mutex_);
    return stopper_.get_token();
}

} // namespace tolvane::test
