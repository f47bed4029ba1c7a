#include "ui/WidgetProgress.h"

#include "engine/ActivityAnimation.h"
#include "ui/CoreText.h"
#include "ui/GuiThread.h"

#include <QLabel>
#include <QProgressBar>

namespace tolvane {

WidgetProgress::WidgetProgress(Widgets widgets, QObject* parent)
    : QObject(parent), bar_(widgets.bar), status_(widgets.status), total_(widgets.total) {
    for (int id = 0; id < moduleCount; ++id) {
        counters_[static_cast<std::size_t>(id)] = widgets.counters[static_cast<std::size_t>(id)];
    }
    if (bar_) {
        // The activity animation walks through 0 .. range-1.
        bar_->setRange(0, ActivityAnimation::range - 1);
    }
    pacer_.setSingleShot(true);
    connect(&pacer_, &QTimer::timeout, this, &WidgetProgress::flush);
}

void WidgetProgress::setMinimumInterval(std::chrono::milliseconds interval) {
    minimumInterval_ = interval;
    // Texts held for the old interval are shown by the new one.
    if (pacer_.isActive()) {
        pacer_.stop();
        deliver();
    }
}

void WidgetProgress::setStatusText(std::string_view text) {
    {
        const std::lock_guard lock(mutex_);
        pending_.status = fromCore(text);
    }
    scheduleFlush();
}

void WidgetProgress::setTotalText(std::string_view text) {
    {
        const std::lock_guard lock(mutex_);
        pending_.total = fromCore(text);
    }
    scheduleFlush();
}

void WidgetProgress::setCounterText(int moduleId, std::string_view text) {
    if (!isModuleId(moduleId)) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        pending_.counters[static_cast<std::size_t>(moduleId)] = fromCore(text);
    }
    scheduleFlush();
}

void WidgetProgress::setBarPosition(int position) {
    {
        const std::lock_guard lock(mutex_);
        pending_.bar = position;
    }
    scheduleFlush();
}

void WidgetProgress::scheduleFlush() {
    {
        const std::lock_guard lock(mutex_);
        if (flushQueued_) {
            return;
        }
        flushQueued_ = true;
    }
    GuiThread::post(this, [this] { deliver(); });
}

void WidgetProgress::deliver() {
    const auto remaining =
        minimumInterval_.count() -
        (sinceFlush_.isValid() ? sinceFlush_.elapsed() : minimumInterval_.count());
    if (remaining <= 0) {
        flush();
    } else if (!pacer_.isActive()) {
        pacer_.start(static_cast<int>(remaining));
    }
}

void WidgetProgress::flush() {
    pacer_.stop();
    sinceFlush_.start();
    Pending pending;
    {
        const std::lock_guard lock(mutex_);
        pending = std::move(pending_);
        pending_ = Pending{};
        flushQueued_ = false;
    }
    if (pending.status && status_) {
        status_->setText(*pending.status);
    }
    if (pending.total && total_) {
        total_->setText(*pending.total);
    }
    for (std::size_t id = 0; id < counters_.size(); ++id) {
        if (pending.counters[id] && counters_[id]) {
            counters_[id]->setText(*pending.counters[id]);
        }
    }
    if (pending.bar && bar_) {
        bar_->setValue(*pending.bar);
    }
}

} // namespace tolvane
