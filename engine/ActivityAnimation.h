#pragma once

#include <thread>

namespace tolvane {

class Clock;
class ProgressTargets;

// Moves the progress bar while a long operation runs: it says "working", not "how far".
// Starts at the middle of the bar and steps every 30 ms until stopped.
class ActivityAnimation {
public:
    static constexpr int startPosition = 500;
    static constexpr int stepSize = 10;
    static constexpr int range = 1000;

    ActivityAnimation(Clock& clock, ProgressTargets* targets);
    ActivityAnimation(const ActivityAnimation&) = delete;
    ActivityAnimation& operator=(const ActivityAnimation&) = delete;
    ~ActivityAnimation();

    void start();
    // Ends the animation and waits for its thread; safe to call more than once.
    void stop();

private:
    Clock& clock_;
    ProgressTargets* targets_;
    std::jthread thread_;
};

} // namespace tolvane
