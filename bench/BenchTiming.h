#pragma once

// Timing helpers shared by the benchmarks.

#include <algorithm>
#include <chrono>
#include <sys/resource.h>

namespace tolvane::bench {

using Steady = std::chrono::steady_clock;

inline double secondsSince(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

// Processor time of this process, user and system, worker threads included: other load on a
// shared machine does not inflate it the way it inflates wall-clock time.
inline double processorSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
    double wall = 1e9;
    double processor = 1e9;
};

// The fastest of `runs` runs of `action`, wall clock and processor time each.
template <typename Action>
Timing fastest(int runs, Action&& action) {
    Timing best;
    for (int run = 0; run < runs; ++run) {
        const auto start = Steady::now();
        const double processorStart = processorSeconds();
        action();
        best.processor = std::min(best.processor, processorSeconds() - processorStart);
        best.wall = std::min(best.wall, secondsSince(start));
    }
    return best;
}

} // namespace tolvane::bench
