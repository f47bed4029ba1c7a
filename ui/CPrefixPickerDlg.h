#pragma once

#include <QDialog>
#include <filesystem>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace tolvane {

class PrefixCatalog;
class PrefixListModel;
struct UiContext;
namespace discovery {
struct DiscoveredPrefix;
}

// The list of the Wine prefixes found on this machine, searchable, with the one open in bold:
// Open switches to the chosen prefix, "Other folder..." asks for any folder, Refresh searches
// again and "Stop wineserver" offers to end the server that holds the chosen prefix.
class CPrefixPickerDlg : public QDialog {
    Q_OBJECT
public:
    CPrefixPickerDlg(UiContext& context, PrefixCatalog& catalog, QWidget* parent);

    // The prefix in the selected row; null when none is selected.
    const discovery::DiscoveredPrefix* selected() const;
    // Selects the row of the prefix in `folder`, if it is listed and not filtered out.
    void select(const std::filesystem::path& folder);
    void openSelected();
    void chooseOtherFolder();
    void chooseWindowsInstallation();
    void stopServer();

private:
    void showState();

    UiContext& context_;
    PrefixCatalog& catalog_;
    PrefixListModel* model_ = nullptr;
    QSortFilterProxyModel* filter_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLabel* status_ = nullptr;
    QTableView* table_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* open_ = nullptr;
};

} // namespace tolvane
