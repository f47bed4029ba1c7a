#pragma once

#include "ui/BackgroundTask.h"
#include "ui/SkinPanel.h"

#include <memory>

class QLabel;

namespace tolvane {

class ActivityBar;

// Page 2: the registry "defragmentation", which has the registry write its cached changes to
// disk hive by hive, with pauses between. "Last Defrag" records when it started.
class CDefragDlg : public SkinPanel {
    Q_OBJECT
public:
    CDefragDlg(UiContext& context, QWidget* parent);
    ~CDefragDlg() override;

    // The Defrag button and the Overview's Start Defrag: nothing while an operation runs.
    void startMainAction() override;

private:
    QLabel* wait_ = nullptr;
    std::unique_ptr<ActivityBar> bar_;
    // Last: its worker is stopped and joined before anything it reports to goes.
    BackgroundTask task_{*this};
};

} // namespace tolvane
