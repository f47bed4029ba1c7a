#include "cli/TerminalProgress.h"

#include <cstdio>
#include <ostream>
#include <string>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tolvane {

namespace {
constexpr std::size_t lineWidth = 78;
}

TerminalProgress::TerminalProgress(std::ostream& terminal) : terminal_(terminal) {}

TerminalProgress::~TerminalProgress() {
    finish();
}

bool TerminalProgress::stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void TerminalProgress::setStatusText(std::string_view text) {
    const std::lock_guard lock(mutex_);
    status_ = text;
    draw(false);
}

void TerminalProgress::setTotalText(std::string_view) {
    const std::lock_guard lock(mutex_);
    draw(true);
}

void TerminalProgress::setCounterText(int moduleId, std::string_view text) {
    if (!isModuleId(moduleId)) {
        return;
    }
    const std::lock_guard lock(mutex_);
    long count = 0;
    for (const char c : text) {
        count = c >= '0' && c <= '9' ? count * 10 + (c - '0') : count;
    }
    found_[static_cast<std::size_t>(moduleId)] = count;
    draw(false);
}

void TerminalProgress::setBarPosition(int) {}

void TerminalProgress::draw(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastDraw_ = now;
    long total = 0;
    for (const long count : found_) {
        total += count;
    }
    std::string line = "Scanning: " + std::to_string(total) + " problems so far  " + status_;
    if (line.size() > lineWidth) {
        line.resize(lineWidth);
    }
    line.resize(lineWidth, ' ');
    terminal_ << '\r' << line << std::flush;
    drawn_ = true;
}

void TerminalProgress::finish() {
    const std::lock_guard lock(mutex_);
    if (drawn_) {
        terminal_ << '\r' << std::string(lineWidth, ' ') << '\r' << std::flush;
        drawn_ = false;
    }
}

} // namespace tolvane
