#include "engine/ScanRun.h"

#include "engine/ModuleSet.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/ProfileStore.h"
#include "platform/base/TimeText.h"

#include <string>

namespace tolvane {

ScanRun::ScanRun(ModuleSet& modules, const Platform& platform, ProfileStore& profile,
                 std::atomic<int>& busy)
    : modules_(modules), platform_(platform), profile_(profile), busy_(busy) {}

ScanRun::~ScanRun() {
    stop();
    wait();
}

bool ScanRun::start(const std::array<bool, moduleCount>& enabledModules, ProgressTargets* targets,
                    Completion onCompleted) {
    int idle = 0;
    if (!busy_.compare_exchange_strong(idle, 1)) {
        return false;
    }
    wait();
    onCompleted_ = std::move(onCompleted);
    completing_ = false;
    modules_.bindTargets(targets);
    modules_.createModules();
    for (int id = 0; id < moduleCount; ++id) {
        modules_.setEnabled(id, enabledModules[static_cast<std::size_t>(id)]);
    }
    targets_ = targets;
    worker_ = std::jthread([this](std::stop_token stop) { work(stop); });
    return true;
}

void ScanRun::work(std::stop_token stop) {
    // The animation lives and dies with the worker.
    ActivityAnimation animation(platform_.clock, targets_);
    animation.start();
    ProblemList* scanned = nullptr;
    {
        // Folder listings may be reused for the length of this scan, never longer.
        const FileSystem::ScanScope scope(platform_.files);
        scanned = &modules_.runScan(stop);
    }
    ProblemList& results = *scanned;
    animation.stop();
    {
        const std::lock_guard lock(handOff_);
        if (stop.stop_requested()) {
            return;
        }
        completing_ = true;
    }
    busy_ = 0;
    profile_.writeProfileString("UI", "Last Scan", historyTimeText(platform_.clock.now()));
    profile_.writeProfileString("UI", "Last Scan Result", std::to_string(results.count()));
    if (onCompleted_) {
        onCompleted_(results);
    }
}

bool ScanRun::stop() {
    {
        const std::lock_guard lock(handOff_);
        if (!worker_.joinable() || completing_ || worker_.get_stop_token().stop_requested()) {
            return false;
        }
        worker_.request_stop();
    }
    worker_.join();
    modules_.resetDisplay();
    busy_ = 0;
    return true;
}

void ScanRun::wait() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) {
        worker_.join();
    }
}

} // namespace tolvane
