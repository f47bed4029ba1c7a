#pragma once

#include "ui/UiContext.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tolvane {

// Holds a scan before one module until it is released (or the scan is stopped), so that a
// scan is surely in progress at a known point: the screenshot tour photographs the progress
// page then, and tests press Stop Scan. Wrap the module factory with it; the gate must outlive
// the module sets made through it.
class ScanGate {
public:
    // How long a held scan waits at most, so a forgotten release cannot hang the program.
    static constexpr std::chrono::seconds longestHold{60};

    explicit ScanGate(int heldModule) : heldModule_(heldModule) {}
    ScanGate(const ScanGate&) = delete;
    ScanGate& operator=(const ScanGate&) = delete;

    // The same modules, the held one waiting at the gate before it scans.
    ModuleFactoryMaker wrap(ModuleFactoryMaker inner);

    // Whether a scan has arrived at the gate (and waits there until release()).
    bool reached() const;
    // Lets every scan through, now and later.
    void release();

    // Called by the held module on the scan's worker; true when it may scan, false when the
    // scan was stopped meanwhile.
    template <typename Stopped>
    bool pass(Stopped stopped) {
        std::unique_lock lock(mutex_);
        reached_ = true;
        const auto until = std::chrono::steady_clock::now() + longestHold;
        while (!released_ && !stopped() && std::chrono::steady_clock::now() < until) {
            changed_.wait_for(lock, std::chrono::milliseconds(5));
        }
        return !stopped();
    }

private:
    const int heldModule_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool released_ = false;
};

} // namespace tolvane
