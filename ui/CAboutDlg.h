#pragma once

#include "ui/SkinPanel.h"

namespace tolvane {

// Page 6: the product's name and version and a link to its web page. Reached through the About
// button and the tray menu's "About...".
class CAboutDlg : public SkinPanel {
    Q_OBJECT
public:
    CAboutDlg(UiContext& context, QWidget* parent);

    void openWebPage();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tolvane
