#pragma once

#include "engine/ActivityAnimation.h"
#include "engine/ModuleTable.h"

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace tolvane {

class ModuleSet;
class ProblemList;
class ProfileStore;
class ProgressTargets;
struct Platform;

// One scan of the ticked modules on a worker thread, with live counters and an activity bar.
// On completion the results are left in the module set, `busy` is cleared, the history entries
// "Last Scan" and "Last Scan Result" are written, and then the completion step runs (on the
// worker thread: a window must hand it to its own thread). A stopped scan writes no history
// and has no completion step.
class ScanRun {
public:
    using Completion = std::function<void(ProblemList& results)>;

    ScanRun(ModuleSet& modules, const Platform& platform, ProfileStore& profile,
            std::atomic<int>& busy);
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;
    ~ScanRun();

    // Starts a run; false, with nothing done, while another operation keeps `busy` set.
    bool start(const std::array<bool, moduleCount>& enabledModules, ProgressTargets* targets,
               Completion onCompleted);
    // Ends a running scan at the next key: counters reset, `busy` cleared. False when no scan
    // was running or it had already completed.
    bool stop();
    // Waits for the worker to finish (the command line's way of running a scan).
    void wait();

private:
    void work(std::stop_token stop);

    ModuleSet& modules_;
    const Platform& platform_;
    ProfileStore& profile_;
    std::atomic<int>& busy_;
    Completion onCompleted_;
    std::mutex handOff_;
    bool completing_ = false;
    ProgressTargets* targets_ = nullptr;
    std::jthread worker_;
};

} // namespace tolvane
