#pragma once

#include "ui/SkinPanel.h"

#include <QRect>
#include <memory>

class QLabel;
class QListView;
class QModelIndex;

namespace tolvane {

class ActivityBar;
class FixRun;
class ModuleSet;
class ProblemListModel;
struct FixOutcome;

// Page 8: the problems of the last scan, one row each, ticked for fixing; All, None, the
// number of rows and Fix. A fix asks whether to back the entries up first, runs on a worker
// with the list moved up and an activity bar shown, and refills the list with what is left.
class CScannerFinishDlg : public SkinPanel {
    Q_OBJECT
public:
    static inline const QRect listNormal{10, 100, 455, 200};
    static inline const QRect listWorking{10, 45, 455, 195};

    CScannerFinishDlg(UiContext& context, QWidget* parent);
    ~CScannerFinishDlg() override;

    // A completed scan: the page works on `modules`' merged list (in place) until forgetScan.
    void takeScan(ModuleSet& modules, Platform& platform);
    // The module set goes (a new scan, another prefix): the list empties.
    void forgetScan();
    // One ticked row per record not fixed yet, and the count.
    void fillList();

    void tickAll();
    void tickNone();
    void fix();

    ProblemListModel& model() { return *model_; }

private:
    void rowClicked(const QModelIndex& index);
    void setWorkingLayout(bool working);
    // On the GUI thread, after the fix run's worker finished.
    void fixCompleted(const FixOutcome& outcome);
    void showCount();

    QListView* list_ = nullptr;
    ProblemListModel* model_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* countCaption_ = nullptr;
    std::unique_ptr<ActivityBar> bar_;
    ModuleSet* modules_ = nullptr;
    Platform* platform_ = nullptr;
    std::unique_ptr<FixRun> fixRun_;
};

} // namespace tolvane
