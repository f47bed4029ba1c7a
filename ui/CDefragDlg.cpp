#include "ui/CDefragDlg.h"

#include "maintenance/HiveFlusher.h"
#include "platform/Platform.h"
#include "platform/ProfileStore.h"
#include "platform/base/TimeText.h"
#include "ui/ActivityBar.h"
#include "ui/Dialogs.h"
#include "ui/ProductInfo.h"
#include "ui/RegistrySession.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QLabel>

namespace tolvane {

CDefragDlg::CDefragDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("Registry Defragmentaion"), parent) {
    setObjectName(QStringLiteral("defragPage"));
    setDecoration(QPoint(10, 70), Artwork::Glyph::defrag);
    addLabel(QStringLiteral("defragIntro"), QStringLiteral("Write the registry to disk"),
             QRect(58, 70, 300, 44), theme().valueFont(), theme().captionText());
    QLabel* about = addLabel(
        QStringLiteral("defragText"),
        QStringLiteral("Defrag has the registry write its cached changes to disk, hive by hive, "
                       "with a short pause after each. It takes a few seconds and changes no "
                       "entry."),
        QRect(30, 126, 406, 54), theme().bodyFont(), theme().mutedText());
    about->setWordWrap(true);

    SkinButton* defrag =
        addButton(QStringLiteral("defragButton"), SkinButton::Style::primary,
                  QStringLiteral("Defrag"), std::nullopt, QRect(168, 200, 130, 40));
    // Told apart from the navigation's "Defrag" page button.
    defrag->setAccessibleName(QStringLiteral("Defrag the registry"));
    connect(defrag, &SkinButton::clicked, this, &CDefragDlg::startMainAction);

    wait_ = addLabel(QStringLiteral("waitLabel"), QStringLiteral("Please Wait..."),
                     QRect(190, 272, 120, 22), theme().valueFont(), theme().captionText());
    wait_->hide();
    bar_ = std::make_unique<ActivityBar>(theme(), *this, QStringLiteral("defragBar"),
                                         QRect(20, 300, 430, 15));
}

CDefragDlg::~CDefragDlg() = default;

void CDefragDlg::startMainAction() {
    if (refusedWhileBusy(QStringLiteral("Defrag")) || !ensureWritable()) {
        return;
    }
    Platform& platform = *context().session.platform();
    context().busy = 1;
    // The history shows when the last defragmentation that completed started; a failed one
    // leaves the previous entry.
    const std::string started = historyTimeText(platform.clock.now());
    bar_->start(platform.clock);
    wait_->show();
    task_.start(
        [&platform](std::stop_token stop) {
            return HiveFlusher(platform.registry, platform.storage, platform.clock)
                .flushRegistryHives(stop);
        },
        [this, started](Result<void> flushed) {
            bar_->stop();
            wait_->hide();
            if (flushed) {
                context().profile.writeProfileString("UI", "Last Defrag", started);
                refreshOverview();
                context().dialogs.information(
                    this, product::name,
                    QStringLiteral("Defragmentation was succesfully completed"));
            } else {
                context().dialogs.error(this, product::name,
                                        QStringLiteral("The defragmentation did not complete: %1.")
                                            .arg(QString::fromStdString(flushed.message())));
            }
            // Cleared only once the message is closed.
            context().busy = 0;
        });
}

} // namespace tolvane
