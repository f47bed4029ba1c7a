#include "ui/COverviewDlg.h"

#include "platform/ProfileStore.h"
#include "platform/prefix/PrefixHistoryStore.h"
#include "ui/CTabPanel.h"
#include "ui/GuiThread.h"
#include "ui/PrefixCombo.h"
#include "ui/RegistrySession.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <QPointer>

namespace tolvane {

namespace {

struct HistoryRow {
    const char* captionName;
    const char* caption;
    const char* valueName;
    const char* entry;
};

constexpr std::array<HistoryRow, 4> historyRows{{
    {"lastScanCaption", "Last Scan", "lastScanValue", "Last Scan"},
    {"lastScanResultCaption", "Last Scan Results", "lastScanResultValue", "Last Scan Result"},
    {"lastDefragCaption", "Latest Defrag", "lastDefragValue", "Last Defrag"},
    {"lastBackupCaption", "Latest Backup", "lastBackupValue", "Last Backup"},
}};

constexpr int rowTop = 112;
constexpr int rowHeight = 30;

} // namespace

COverviewDlg::COverviewDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("System Overview"), parent) {
    setObjectName(QStringLiteral("overviewPage"));
    setDecoration(QPoint(10, 50), Artwork::Glyph::overview);
    addLabel(QStringLiteral("overviewGroupCaption"), QStringLiteral("System Overview"),
             QRect(58, 50, 300, 44), theme().valueFont(), theme().captionText());

    for (std::size_t i = 0; i < historyRows.size(); ++i) {
        const auto& row = historyRows[i];
        const int top = rowTop + static_cast<int>(i) * rowHeight;
        addLabel(QString::fromLatin1(row.captionName), QString::fromLatin1(row.caption),
                 QRect(30, top, 140, rowHeight), theme().bodyFont(), theme().mutedText());
        values_[i] = addLabel(QString::fromLatin1(row.valueName), QString::fromLatin1(none),
                              QRect(170, top, 280, rowHeight), theme().valueFont(), theme().text());
    }

    struct StartButton {
        const char* objectName;
        const char* caption;
        Artwork::Glyph glyph;
        int slot;
    };
    const std::array<StartButton, 3> startButtons{{
        {"startScanButton", "Start\nScan", Artwork::Glyph::scanner, page::scanner},
        {"startDefragButton", "Start\nDefrag", Artwork::Glyph::defrag, page::defrag},
        {"createBackupButton", "Create\nBackup", Artwork::Glyph::backup, page::backup},
    }};
    for (std::size_t i = 0; i < startButtons.size(); ++i) {
        const auto& entry = startButtons[i];
        SkinButton* button =
            addButton(QString::fromLatin1(entry.objectName), SkinButton::Style::tile,
                      QString::fromLatin1(entry.caption), entry.glyph,
                      QRect(16 + static_cast<int>(i) * 148, 244, 138, 112));
        const int slot = entry.slot;
        connect(button, &SkinButton::clicked, this, [this, slot] { startOnPage(slot); });
    }
    changedNotice_ = addLabel(QStringLiteral("prefixChangedNotice"),
                              QStringLiteral("The prefix has changed on disk since it was read."),
                              QRect(30, 88, 330, 22), theme().bodyFont(), theme().captionText());
    reload_ = addButton(QStringLiteral("reloadButton"), SkinButton::Style::secondary,
                        QStringLiteral("Reload"), std::nullopt, QRect(370, 87, 80, 24));
    reload_->setAccessibleDescription(
        QStringLiteral("Reads the prefix again and scans it, keeping your ticks"));
    connect(reload_, &SkinButton::clicked, this, &COverviewDlg::reloadPrefix);
    if (context.prefixes != nullptr) {
        auto* combo = new PrefixCombo(context, *context.prefixes, this);
        combo->setGeometry(290, 58, 166, 28);
    }
    connect(&context.session, &RegistrySession::platformChanged, this,
            &COverviewDlg::refreshOverview);
    refreshOverview();
}

void COverviewDlg::showEvent(QShowEvent* event) {
    SkinPanel::showEvent(event);
    refreshOverview();
}

void COverviewDlg::refreshOverview() {
    const bool changed = context().session.changedOnDisk();
    changedNotice_->setVisible(changed);
    reload_->setVisible(changed);
    const auto folder = context().session.folder();
    const std::string section =
        folder.empty() ? std::string("UI") : prefix::PrefixHistoryStore::sectionFor(folder);
    for (std::size_t i = 0; i < historyRows.size(); ++i) {
        const std::string value =
            context().profile.getProfileString(section, historyRows[i].entry, none);
        values_[i]->setText(QString::fromStdString(value));
    }
}

void COverviewDlg::startOnPage(int slot) {
    CTabPanel* tabs = tabPanel();
    if (tabs == nullptr) {
        return;
    }
    tabs->switchTo(slot);
    QPointer<SkinPanel> target = tabs->page(slot);
    if (target) {
        GuiThread::post(target, [target] {
            if (target) {
                target->startMainAction();
            }
        });
    }
}

} // namespace tolvane
