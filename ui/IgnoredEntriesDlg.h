#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tolvane {

class Dialogs;
class ProfileStore;

// The ignore list as Settings shows it: one row per entry (module, key, value, where it holds),
// several rows removed at once with "Remove". Every change is stored at once; the next scan
// reports a removed entry's problem again.
class IgnoredEntriesDlg final : public QDialog {
    Q_OBJECT
public:
    // `place` is the registry open now, so its entries read "This prefix".
    IgnoredEntriesDlg(ProfileStore& profile, Dialogs& dialogs, std::string place,
                      QWidget* parent = nullptr);

    QTreeWidget& list() { return *list_; }
    // Reads the stored list again and shows it.
    void reload();
    // Removes the selected entries from the stored list.
    void removeSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSelection();

    ProfileStore& profile_;
    Dialogs& dialogs_;
    std::string place_;
    QTreeWidget* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* remove_ = nullptr;
    // Whether the stored list could be read; one that cannot is never written over.
    bool readable_ = false;
};

} // namespace tolvane
