#include "ui/CScannerFinishDlg.h"

#include "engine/FixRun.h"
#include "engine/ModuleSet.h"
#include "ui/ActivityBar.h"
#include "ui/Dialogs.h"
#include "ui/GuiThread.h"
#include "ui/ProblemListModel.h"
#include "ui/ProblemRowDelegate.h"
#include "ui/ProductInfo.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <QListView>

namespace tolvane {

CScannerFinishDlg::CScannerFinishDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("Scan Results"), parent) {
    setObjectName(QStringLiteral("scanResultsPage"));
    setDecoration(QPoint(10, 50), Artwork::Glyph::scanner);
    addLabel(QStringLiteral("resultsIntro"), QStringLiteral("Tick the problems to fix"),
             QRect(58, 50, 300, 44), theme().valueFont(), theme().captionText());

    model_ = new ProblemListModel(this);
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("resultsList"));
    list_->setModel(model_);
    list_->setItemDelegate(new ProblemRowDelegate(theme(), list_));
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setMouseTracking(true);
    list_->setStyleSheet(theme().listStyleSheet());
    list_->setGeometry(listNormal);
    connect(list_, &QListView::clicked, this, &CScannerFinishDlg::rowClicked);

    bar_ = std::make_unique<ActivityBar>(theme(), *this, QStringLiteral("fixBar"),
                                         QRect(20, 262, 425, 14));

    SkinButton* all = addButton(QStringLiteral("tickAllButton"), SkinButton::Style::secondary,
                                QStringLiteral("All"), std::nullopt, QRect(10, 306, 60, 32));
    connect(all, &SkinButton::clicked, this, &CScannerFinishDlg::tickAll);
    SkinButton* none = addButton(QStringLiteral("tickNoneButton"), SkinButton::Style::secondary,
                                 QStringLiteral("None"), std::nullopt, QRect(76, 306, 60, 32));
    connect(none, &SkinButton::clicked, this, &CScannerFinishDlg::tickNone);
    count_ = addLabel(QStringLiteral("problemCount"), QStringLiteral("0"), QRect(150, 306, 64, 32),
                      theme().captionFont(), theme().captionText());
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    countCaption_ = addLabel(QStringLiteral("problemCountCaption"), QStringLiteral("listed"),
                             QRect(220, 306, 100, 32), theme().bodyFont(), theme().mutedText());
    SkinButton* fixButton =
        addButton(QStringLiteral("fixButton"), SkinButton::Style::primary, QStringLiteral("Fix"),
                  std::nullopt, QRect(336, 304, 110, 34));
    connect(fixButton, &SkinButton::clicked, this, &CScannerFinishDlg::fix);
}

CScannerFinishDlg::~CScannerFinishDlg() {
    fixRun_.reset();
}

void CScannerFinishDlg::takeScan(ModuleSet& modules, Platform& platform) {
    forgetScan();
    modules_ = &modules;
    platform_ = &platform;
    fixRun_ = std::make_unique<FixRun>(modules, platform, context().busy);
}

void CScannerFinishDlg::forgetScan() {
    fixRun_.reset();
    modules_ = nullptr;
    platform_ = nullptr;
    model_->forget();
    showCount();
}

void CScannerFinishDlg::fillList() {
    model_->fill(modules_ != nullptr ? &modules_->results() : nullptr);
    list_->scrollToTop();
    showCount();
}

void CScannerFinishDlg::showCount() {
    count_->setText(QString::number(model_->rowCount()));
}

void CScannerFinishDlg::rowClicked(const QModelIndex& index) {
    if (isBusy() || !index.isValid()) {
        return;
    }
    model_->toggle(index.row());
}

void CScannerFinishDlg::tickAll() {
    if (!isBusy()) {
        model_->setAllTicked(true);
    }
}

void CScannerFinishDlg::tickNone() {
    if (!isBusy()) {
        model_->setAllTicked(false);
    }
}

void CScannerFinishDlg::setWorkingLayout(bool working) {
    list_->setGeometry(working ? listWorking : listNormal);
    count_->setVisible(!working);
    countCaption_->setVisible(!working);
    if (working) {
        bar_->show();
    } else {
        bar_->stop();
    }
}

void CScannerFinishDlg::fix() {
    if (isBusy() || !fixRun_ || modules_ == nullptr) {
        return;
    }
    // Only listed rows count: fixed records keep their `selected` and are no longer shown.
    if (!model_->copyTicksToRecords()) {
        return;
    }
    // A prefix that cannot be changed now is explained before any folder or question.
    if (!ensureWritable()) {
        return;
    }
    fixRun_->setWithoutBackupQuestion([this](const std::string& reason) {
        return context().dialogs.question(
            this, QStringLiteral("Backup"),
            QStringLiteral("No backup can be written: %1.\nDo you want to fix the ticked "
                           "problems without a backup?")
                .arg(QString::fromStdString(reason)));
    });
    const auto started = fixRun_->start(
        modules_->results().records(), bar_->targets(), [this] { setWorkingLayout(true); },
        [this] {
            return context().dialogs.question(
                this, QStringLiteral("Backup"),
                QStringLiteral("Do you want to create a backup before fixing any errors?"));
        },
        [this](const FixOutcome& outcome) {
            GuiThread::post(this, [this, outcome] { fixCompleted(outcome); });
        });
    if (started == FixRun::Start::failed) {
        context().dialogs.error(this, product::name,
                                QStringLiteral("The fix cannot start: %1.")
                                    .arg(QString::fromStdString(fixRun_->failure())));
    }
}

void CScannerFinishDlg::fixCompleted(const FixOutcome& outcome) {
    // The worker clears `busy` right after handing over; wait for that.
    if (fixRun_) {
        fixRun_->wait();
    }
    setWorkingLayout(false);
    fillList();
    if (!outcome.error.empty()) {
        context().dialogs.error(
            this, product::name,
            QStringLiteral("The registry could not be stored: %1.\nNo problem was marked fixed; "
                           "they all stay listed.")
                .arg(QString::fromStdString(outcome.error)));
    } else if (outcome.keptForBackup > 0) {
        const QString folder = QString::fromStdString(outcome.backupFolder);
        const QString what =
            outcome.keptForBackup == 1
                ? QStringLiteral("1 ticked problem was not fixed, because its backup could not be "
                                 "written to %1.\nIt stays listed")
                      .arg(folder)
                : QStringLiteral("%1 ticked problems were not fixed, because their backup could "
                                 "not be written to %2.\nThey stay listed")
                      .arg(outcome.keptForBackup)
                      .arg(folder);
        context().dialogs.error(this, product::name,
                                what + QStringLiteral(": fix them once the backup folder can be "
                                                      "written, or without a backup."));
    }
}

} // namespace tolvane
