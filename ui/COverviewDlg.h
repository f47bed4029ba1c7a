#pragma once

#include "ui/SkinPanel.h"

#include <array>

class QLabel;

namespace tolvane {

// Page 0: when the last scan, defragmentation and backup took place and what the last scan
// found, with one button each to start a scan, a defragmentation and a backup.
class COverviewDlg : public SkinPanel {
    Q_OBJECT
public:
    static constexpr const char* none = "none";

    COverviewDlg(UiContext& context, QWidget* parent);

    // Rereads "Last Scan", "Last Scan Result", "Last Defrag" and "Last Backup": those of the
    // open prefix (section "History\<key>"), or of section "UI" where the registry is no
    // prefix; an absent entry shows "none".
    void refreshOverview();

    // Shows page `slot`, then asks it (queued, once it is on show) to start its main action.
    // While an operation runs the switch is refused and the page ignores the request.
    void startOnPage(int slot);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::array<QLabel*, 4> values_{};
    // Shown while the prefix has changed on disk since it was read.
    QLabel* changedNotice_ = nullptr;
    SkinButton* reload_ = nullptr;
};

} // namespace tolvane
