#pragma once

#include "ui/SkinPanel.h"

#include <memory>

class QLabel;

namespace tolvane {

class IgnoredEntriesDlg;
class SkinCheckBox;

// Page 4: the three options ("Start With Windows", "Run Scan at Startup", "Start Minimized in
// Tray"), stored by Apply and Default; on Linux also the Wine prefix being cleaned; and the
// ignore list, in a dialog of its own. The boxes are read from the settings store once, when
// the page is made; until Apply they are the state.
class CSettingsDlg : public SkinPanel {
    Q_OBJECT
public:
    CSettingsDlg(UiContext& context, QWidget* parent);
    ~CSettingsDlg() override;

    // Writes the three entries of section "Settings", then makes the autostart entry match.
    void apply();
    // Start minimized off, scan at startup off, start with Windows on; then Apply.
    void restoreDefaults();
    // Lets the user pick another Wine prefix (not while an operation runs).
    void choosePrefix();
    // Opens the list of ignored entries (window-modal, without waiting for it to close).
    void showIgnoredEntries();
    IgnoredEntriesDlg* ignoredEntries() const { return ignored_.get(); }

private:
    void showPrefix();

    SkinCheckBox* autostart_ = nullptr;
    SkinCheckBox* runScan_ = nullptr;
    SkinCheckBox* startMinimized_ = nullptr;
    QLabel* prefix_ = nullptr;
    std::unique_ptr<IgnoredEntriesDlg> ignored_;
};

} // namespace tolvane
