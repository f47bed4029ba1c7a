#pragma once

#include "engine/ModuleTable.h"
#include "engine/ProgressTargets.h"

#include <array>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace tolvane::test {

// A progress display that remembers what it was told, for assertions. It can also ask for a
// stop once a number of status texts were shown, so that tests see where a running scan ends.
class RecordingProgress final : public ProgressTargets {
public:
    void setStatusText(std::string_view text) override;
    void setTotalText(std::string_view text) override;
    void setCounterText(int moduleId, std::string_view text) override;
    void setBarPosition(int position) override;

    std::string status() const;
    std::string total() const;
    std::string counter(int moduleId) const;
    int barPosition() const;
    // Every text a counter showed, in order.
    std::vector<std::string> counterHistory(int moduleId) const;
    std::vector<std::string> statusHistory() const;
    // Forgets the texts shown so far (binding a display shows an empty status line first).
    void clearHistory();

    // Requests a stop of stopToken() once `count` status texts are in the history; a negative
    // count never does. Each call starts with a fresh token that no stop was requested on.
    void stopAfterStatusTexts(int count);
    std::stop_token stopToken() const;

private:
    mutable std::mutex mutex_;
    std::string status_ = "unset";
    std::string total_ = "unset";
    std::array<std::string, moduleCount> counters_;
    std::array<std::vector<std::string>, moduleCount> counterHistory_;
    std::vector<std::string> statusHistory_;
    int bar_ = -1;
    int stopAfter_ = -1;
    std::stop_source stopper_;
};

} // namespace tolvane::test
