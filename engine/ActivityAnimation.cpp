#include "engine/ActivityAnimation.h"

#include "engine/ProgressTargets.h"
#include "platform/Clock.h"

#include <chrono>

namespace tolvane {

ActivityAnimation::ActivityAnimation(Clock& clock, ProgressTargets* targets)
    : clock_(clock), targets_(targets) {}

ActivityAnimation::~ActivityAnimation() {
    stop();
}

void ActivityAnimation::start() {
    stop();
    if (targets_ == nullptr) {
        return;
    }
    thread_ = std::jthread([this](std::stop_token stop) {
        int position = startPosition;
        targets_->setBarPosition(position);
        while (clock_.sleepFor(std::chrono::milliseconds(30), stop)) {
            position = (position + stepSize) % range;
            targets_->setBarPosition(position);
        }
    });
}

void ActivityAnimation::stop() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

} // namespace tolvane
