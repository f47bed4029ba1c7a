#pragma once

#include "engine/ModuleTable.h"
#include "ui/SkinPanel.h"

#include <QPointer>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <tuple>

class QLabel;

namespace tolvane {

class CScannerFinishDlg;
class ModuleSet;
class ScanRun;
class SkinProgressBar;
class WidgetProgress;

// Page 7: a scan in progress, with the key being examined, an activity bar, the number of
// problems found so far in total and per module, and Stop Scan. The page owns the module set
// of the open registry (made at the first scan, made anew when another prefix is opened) and
// hands each completed scan to the results page.
class CScannerProcessDlg : public SkinPanel {
    Q_OBJECT
public:
    static constexpr int counterOffset = 160;

    CScannerProcessDlg(UiContext& context, QWidget* parent);
    ~CScannerProcessDlg() override;

    // Starts a scan of the ticked modules; false, with nothing started, while an operation
    // runs, a completed scan is still on its way to the results page, or no registry is open.
    bool startScan(const std::array<bool, moduleCount>& enabledModules);
    // Stop Scan: ends the run, resets the counters and shows the Scanner page.
    void stopScan();

    // Reload: reads the open prefix again and scans it with the Scanner page's boxes; the
    // entries found again keep the ticks the user gave them (matched by module, kind and
    // names). Refused while an operation runs.
    void reloadAndRescan();

    bool scanning() const { return scanning_; }
    // The module set of the last scan; null before the first scan of the open registry.
    ModuleSet* moduleSet() const { return modules_.get(); }

private:
    // On the GUI thread, after the run's worker handed over its results.
    void completed();
    // Another registry was opened: the modules of the old one go, with the list shown of them.
    void dropModules();
    CScannerFinishDlg* resultsPage() const;

    QLabel* status_ = nullptr;
    QLabel* total_ = nullptr;
    SkinProgressBar* bar_ = nullptr;
    std::array<QLabel*, moduleCount> counters_{};
    // Before the modules: they keep a pointer to it while they exist.
    std::unique_ptr<WidgetProgress> progress_;
    Platform* platform_ = nullptr;
    std::unique_ptr<ModuleSet> modules_;
    std::unique_ptr<ScanRun> run_;
    bool scanning_ = false;
    QPointer<CScannerFinishDlg> handedTo_;
    // The ticks a reload carries over to the scan that follows it.
    std::map<std::tuple<int, int, std::string, std::string>, int> carriedTicks_;
};

} // namespace tolvane
