#pragma once

#include "ui/BackgroundTask.h"
#include "ui/SkinPanel.h"

#include <QRect>
#include <memory>
#include <optional>
#include <string>

class QTreeWidget;

namespace tolvane {

class ActivityBar;
class Clock;

// Page 3: the entries of the backup folder (whole-registry backups and the folders of fix
// runs), with Create, Restore and Delete. Each action asks first, runs on a worker while the
// activity bar shows, and ends by refilling the list and the Overview.
class CBackupDlg : public SkinPanel {
    Q_OBJECT
public:
    static inline const QRect listNormal{10, 100, 455, 200};
    static constexpr int workingListHeight = 160;

    CBackupDlg(UiContext& context, QWidget* parent);
    ~CBackupDlg() override;

    // The Overview's Create Backup: exactly the Create button.
    void startMainAction() override { createBackup(); }

    void createBackup();
    void restoreBackup();
    void deleteBackup();
    enum Column { madeColumn, kindColumn, keysColumn, prefixColumn, columnTotal };

    // Rows from the backup folder, newest first: when, fix run or whole registry, how many
    // keys and which registry it was made from.
    void fillList();
    // The folder Restore and Delete act on: of several selected rows the lowest one.
    std::optional<std::string> selectedFolder() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // busy set, bar shown, list shortened.
    void beginWork(Clock& clock);
    // busy cleared, normal layout, bar hidden, list refilled.
    void endWork();
    // The completion message: `success`, or `failure` with the reason in place of %1.
    void showOutcome(bool succeeded, const QString& success, const QString& failure,
                     const std::string& message);

    QTreeWidget* list_ = nullptr;
    std::unique_ptr<ActivityBar> bar_;
    // Last: its worker is stopped and joined before anything it reports to goes.
    // Held from before a restore's first change to after its store.
    std::optional<ChangeLock> changeLock_;
    BackgroundTask task_{*this};
};

} // namespace tolvane
