#pragma once

#include "ui/CPrefixPickerDlg.h"
#include "ui/LauncherIcons.h"

#include <QComboBox>
#include <QPointer>

namespace tolvane {

class PrefixCatalog;
struct UiContext;

// A compact combo naming the prefix being cleaned (launcher icon, launcher and name, the
// folder in the tooltip); opening it shows the prefix picker instead of a drop-down list, and
// searches the machine's prefixes again.
class PrefixCombo : public QComboBox {
    Q_OBJECT
public:
    PrefixCombo(UiContext& context, PrefixCatalog& catalog, QWidget* parent);

    void showPopup() override;
    // The picker while it is open; null otherwise.
    CPrefixPickerDlg* picker() const { return picker_; }

private:
    void showCurrent();

    UiContext& context_;
    PrefixCatalog& catalog_;
    LauncherIcons icons_;
    QPointer<CPrefixPickerDlg> picker_;
};

} // namespace tolvane
