#pragma once

#include "engine/ModuleTable.h"
#include "engine/ProgressTargets.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <chrono>
#include <mutex>
#include <optional>

class QLabel;
class QProgressBar;

namespace tolvane {

// The core's ProgressTargets shown in widgets. Workers call the setters; the texts are kept
// and one queued call at a time carries the newest of them to the widgets on the GUI thread,
// so a scan that reports every key does not flood the event queue. Any widget may be null
// (a fix run shows only its bar). Stop the run that writes here before destroying it.
class WidgetProgress final : public QObject, public ProgressTargets {
    Q_OBJECT
public:
    struct Widgets {
        QProgressBar* bar = nullptr;
        QLabel* status = nullptr;
        QLabel* total = nullptr;
        std::array<QLabel*, moduleCount> counters{};
    };

    explicit WidgetProgress(Widgets widgets, QObject* parent = nullptr);

    void setStatusText(std::string_view text) override;
    void setTotalText(std::string_view text) override;
    void setCounterText(int moduleId, std::string_view text) override;
    void setBarPosition(int position) override;

    // Shows what is pending at once (GUI thread only); tests and completion steps call it so
    // that the widgets are up to date before the results are shown.
    void flush();

    // Lets at least `interval` pass between two showings (GUI thread only; 0, the default,
    // shows at the next turn of the event loop): a scan reporting every key then leaves the
    // interface thread, and a processor, mostly to the scan.
    void setMinimumInterval(std::chrono::milliseconds interval);

private:
    struct Pending {
        std::optional<QString> status;
        std::optional<QString> total;
        std::array<std::optional<QString>, moduleCount> counters;
        std::optional<int> bar;
    };

    void scheduleFlush();
    // The queued call: shows now, or once the minimum interval has passed.
    void deliver();

    QPointer<QProgressBar> bar_;
    QPointer<QLabel> status_;
    QPointer<QLabel> total_;
    std::array<QPointer<QLabel>, moduleCount> counters_;

    std::mutex mutex_;
    Pending pending_;
    bool flushQueued_ = false;

    std::chrono::milliseconds minimumInterval_{0};
    QElapsedTimer sinceFlush_;
    QTimer pacer_;
};

} // namespace tolvane
