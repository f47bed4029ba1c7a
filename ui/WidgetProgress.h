#pragma once

#include "engine/ModuleTable.h"
#include "engine/ProgressTargets.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
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

private:
    struct Pending {
        std::optional<QString> status;
        std::optional<QString> total;
        std::array<std::optional<QString>, moduleCount> counters;
        std::optional<int> bar;
    };

    void scheduleFlush();

    QPointer<QProgressBar> bar_;
    QPointer<QLabel> status_;
    QPointer<QLabel> total_;
    std::array<QPointer<QLabel>, moduleCount> counters_;

    std::mutex mutex_;
    Pending pending_;
    bool flushQueued_ = false;
};

} // namespace tolvane
