#include "ui/CTabPanel.h"

#include "ui/CAboutDlg.h"
#include "ui/CBackupDlg.h"
#include "ui/CDefragDlg.h"
#include "ui/COverviewDlg.h"
#include "ui/CScannerDlg.h"
#include "ui/CScannerFinishDlg.h"
#include "ui/CScannerProcessDlg.h"
#include "ui/CSettingsDlg.h"
#include "ui/SkinPanel.h"
#include "ui/UiContext.h"

namespace tolvane {

CTabPanel::CTabPanel(UiContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("tabPanel"));
}

void CTabPanel::createPages(CHollinDlg& owner) {
    owner_ = &owner;
    current_ = page::overview;
    setPage(page::overview, new COverviewDlg(context_, this));
    setPage(page::scanner, new CScannerDlg(context_, this));
    setPage(page::defrag, new CDefragDlg(context_, this));
    setPage(page::backup, new CBackupDlg(context_, this));
    setPage(page::settings, new CSettingsDlg(context_, this));
    setPage(page::about, new CAboutDlg(context_, this));
    setPage(page::scanProgress, new CScannerProcessDlg(context_, this));
    setPage(page::scanResults, new CScannerFinishDlg(context_, this));
    layoutPages();
}

void CTabPanel::setPage(int slot, SkinPanel* panel) {
    if (slot < 0 || slot >= slotCount || slot == page::empty) {
        return;
    }
    auto& entry = pages_[static_cast<std::size_t>(slot)];
    if (entry != nullptr && entry != panel) {
        entry->deleteLater();
    }
    entry = panel;
    if (panel == nullptr) {
        return;
    }
    panel->setParent(this);
    panel->setOwner(owner_);
    panel->setGeometry(rect());
    panel->setVisible(slot == current_);
}

SkinPanel* CTabPanel::page(int slot) const {
    if (slot < 0 || slot >= slotCount) {
        return nullptr;
    }
    return pages_[static_cast<std::size_t>(slot)];
}

bool CTabPanel::switchTo(int slot) {
    if (context_.busy != 0 || slot == current_ || page(slot) == nullptr) {
        return false;
    }
    if (SkinPanel* shown = page(current_)) {
        shown->hide();
    }
    current_ = slot;
    SkinPanel* next = page(slot);
    next->show();
    next->setFocus();
    Q_EMIT pageChanged(slot);
    return true;
}

void CTabPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutPages();
}

void CTabPanel::layoutPages() {
    for (int slot = 0; slot < slotCount; ++slot) {
        if (SkinPanel* panel = page(slot)) {
            panel->setGeometry(rect());
            panel->setVisible(slot == current_);
        }
    }
}

} // namespace tolvane
