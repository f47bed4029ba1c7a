#pragma once

#include "engine/ModuleTable.h"
#include "engine/ProgressTargets.h"

#include <array>
#include <chrono>
#include <iosfwd>
#include <mutex>
#include <string>

namespace tolvane {

// Shows a running scan on one terminal line: problems found so far and the key being examined,
// redrawn at most ten times a second.
class TerminalProgress final : public ProgressTargets {
public:
    explicit TerminalProgress(std::ostream& terminal);
    ~TerminalProgress() override;

    void setStatusText(std::string_view text) override;
    void setTotalText(std::string_view text) override;
    void setCounterText(int moduleId, std::string_view text) override;
    void setBarPosition(int position) override;

    // Clears the line.
    void finish();
    // Whether standard error is a terminal.
    static bool stderrIsTerminal();

private:
    void draw(bool force);

    std::ostream& terminal_;
    std::mutex mutex_;
    std::string status_;
    // Problems found so far, per module.
    std::array<long, moduleCount> found_{};
    std::chrono::steady_clock::time_point lastDraw_{};
    bool drawn_ = false;
};

} // namespace tolvane
