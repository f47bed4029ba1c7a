#pragma once

#include "engine/ModuleTable.h"
#include "ui/BackgroundTask.h"
#include "ui/SkinPanel.h"

#include <array>

namespace tolvane {

class SkinTickBox;

// Page 1: which of the thirteen modules a scan runs, and the Scan button. The choice is kept
// as "UI" / "Selected Modules" (one byte per module) and shown again at the next start.
class CScannerDlg : public SkinPanel {
    Q_OBJECT
public:
    static constexpr int rowSpacing = 20;

    CScannerDlg(UiContext& context, QWidget* parent);

    // Scan: nothing while an operation runs; otherwise the ticks go to the progress page, which
    // is shown and starts the run, and are stored as the selection (on a worker: the settings
    // file waits for the disk, and the interface does not).
    void startMainAction() override;

    std::array<bool, moduleCount> selection() const;

private:
    void loadSelection();
    void storeSelection();
    void allClicked();
    void firstModuleClicked();

    std::array<SkinTickBox*, moduleCount> boxes_{};
    SkinTickBox* all_ = nullptr;
    BackgroundTask storing_{*this};
};

} // namespace tolvane
