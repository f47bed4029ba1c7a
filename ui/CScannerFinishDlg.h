#pragma once

#include "ui/BackgroundTask.h"
#include "ui/SkinPanel.h"

#include <QRect>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QListView;
class QMenu;
class QModelIndex;

namespace tolvane {

class ActivityBar;
class FixRun;
class ModuleSet;
class ProblemListModel;
class ProblemReviewWindow;
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
    // Puts back what the last fix removed, from its backup.
    void undoLastFix();
    // The review window, with the row `row` of the list current (-1: as it was).
    void openReview(int row = -1);
    // Asks whether to ignore the records (indexes in the merged list) in this prefix only or in
    // all of them, stores them in the ignore list and takes them out of the list. Refused while
    // an operation runs; nothing changes when the user cancels or the list cannot be stored.
    void ignoreRecords(const std::vector<std::size_t>& recordIndexes);
    // The context menu of row `row` ("Ignore this entry"); null when there is no such row.
    std::unique_ptr<QMenu> makeRowMenu(int row);
    // Records left out of the last scan by the ignore list, and those ignored since.
    std::size_t ignoredCount() const;

    ProblemListModel& model() { return *model_; }
    ProblemReviewWindow* reviewWindow() const { return review_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct LastFix {
        // The fix's backup folder, by its name in the backup folder.
        std::string folderName;
        // The records it fixed, with the entry kind each had before.
        std::vector<std::pair<std::size_t, std::int32_t>> records;
    };

    void showOutcome(const QString& text);
    void tellStatus(const QString& text);
    void rowClicked(const QModelIndex& index);
    void setWorkingLayout(bool working);
    // On the GUI thread, after the fix run's worker finished.
    void fixCompleted(const FixOutcome& outcome);
    void showCount();
    void showRowMenu(const QPoint& position);

    QListView* list_ = nullptr;
    ProblemListModel* model_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* countCaption_ = nullptr;
    QLabel* ignored_ = nullptr;
    // Records the user ignored on this page since the scan.
    std::size_t ignoredSinceScan_ = 0;
    std::unique_ptr<ActivityBar> bar_;
    ModuleSet* modules_ = nullptr;
    Platform* platform_ = nullptr;
    // Held from before a fix's (or an Undo's) first change to after its store; declared before
    // the runs so that it goes after them.
    std::optional<ChangeLock> changeLock_;
    std::unique_ptr<FixRun> fixRun_;
    QLabel* outcome_ = nullptr;
    SkinButton* undo_ = nullptr;
    std::vector<std::pair<std::size_t, std::int32_t>> pendingFix_;
    std::optional<LastFix> lastFix_;
    std::unique_ptr<ProblemReviewWindow> review_;
    BackgroundTask undoTask_{*this};
};

} // namespace tolvane
