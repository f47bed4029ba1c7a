#include "ui/CScannerFinishDlg.h"

#include "engine/FixRun.h"
#include "engine/ModuleSet.h"
#include "maintenance/FullBackups.h"
#include "platform/Platform.h"
#include "platform/ProfileStore.h"
#include "platform/base/PathText.h"
#include "ui/ActivityBar.h"
#include "ui/CHollinDlg.h"
#include "ui/CoreText.h"
#include "ui/Dialogs.h"
#include "ui/GuiThread.h"
#include "ui/ProblemListModel.h"
#include "ui/ProblemReviewWindow.h"
#include "ui/ProblemRowDelegate.h"
#include "ui/ProductInfo.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>

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
    list_->installEventFilter(this);
    list_->setFocusPolicy(Qt::StrongFocus);
    list_->setAccessibleName(QStringLiteral("Problems found"));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QListView::customContextMenuRequested, this, &CScannerFinishDlg::showRowMenu);
    list_->setToolTip(QStringLiteral("Click or Space ticks a problem; right-click or Ctrl+I "
                                     "ignores it in later scans"));

    bar_ = std::make_unique<ActivityBar>(theme(), *this, QStringLiteral("fixBar"),
                                         QRect(20, 262, 425, 14));

    SkinButton* all = addButton(QStringLiteral("tickAllButton"), SkinButton::Style::secondary,
                                QStringLiteral("All"), std::nullopt, QRect(10, 306, 60, 32));
    connect(all, &SkinButton::clicked, this, &CScannerFinishDlg::tickAll);
    SkinButton* none = addButton(QStringLiteral("tickNoneButton"), SkinButton::Style::secondary,
                                 QStringLiteral("None"), std::nullopt, QRect(76, 306, 60, 32));
    connect(none, &SkinButton::clicked, this, &CScannerFinishDlg::tickNone);
    // Wide enough for six digits: scans of a large prefix list tens of thousands.
    count_ = addLabel(QStringLiteral("problemCount"), QStringLiteral("0"), QRect(140, 306, 84, 32),
                      theme().captionFont(), theme().captionText());
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    countCaption_ = addLabel(QStringLiteral("problemCountCaption"), QStringLiteral("listed"),
                             QRect(228, 306, 44, 32), theme().bodyFont(), theme().mutedText());
    // What the ignore list left out of the scan and what was ignored here since.
    ignored_ = addLabel(QStringLiteral("ignoredCount"), QString(), QRect(300, 76, 160, 20),
                        theme().smallFont(), theme().mutedText());
    ignored_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ignored_->setToolTip(QStringLiteral("Entries of the ignore list, left out of the results. "
                                        "Settings lists them and puts them back."));
    ignored_->hide();
    SkinButton* review =
        addButton(QStringLiteral("reviewButton"), SkinButton::Style::secondary,
                  QStringLiteral("Review") + QChar(0x2026), std::nullopt, QRect(264, 306, 66, 32));
    connect(review, &SkinButton::clicked, this, [this] { openReview(); });
    connect(list_, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { openReview(index.row()); });
    SkinButton* fixButton =
        addButton(QStringLiteral("fixButton"), SkinButton::Style::primary, QStringLiteral("Fix"),
                  std::nullopt, QRect(336, 304, 110, 34));
    connect(fixButton, &SkinButton::clicked, this, &CScannerFinishDlg::fix);

    outcome_ = addLabel(QStringLiteral("fixOutcome"), QString(), QRect(12, 342, 366, 22),
                        theme().smallFont(), theme().text());
    undo_ = addButton(QStringLiteral("undoButton"), SkinButton::Style::secondary,
                      QStringLiteral("Undo"), std::nullopt, QRect(384, 340, 72, 24));
    undo_->hide();
    connect(undo_, &SkinButton::clicked, this, &CScannerFinishDlg::undoLastFix);
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
    lastFix_.reset();
    showOutcome(QString());
    modules_ = nullptr;
    platform_ = nullptr;
    ignoredSinceScan_ = 0;
    model_->forget();
    showCount();
}

void CScannerFinishDlg::fillList() {
    model_->fill(modules_ != nullptr ? &modules_->results() : nullptr);
    list_->scrollToTop();
    showCount();
}

void CScannerFinishDlg::showOutcome(const QString& text) {
    outcome_->setText(
        QFontMetrics(outcome_->font()).elidedText(text, Qt::ElideMiddle, outcome_->width()));
    outcome_->setToolTip(text);
    outcome_->setAccessibleName(text);
    undo_->setVisible(lastFix_.has_value());
}

void CScannerFinishDlg::showCount() {
    count_->setText(QString::number(model_->rowCount()));
    const std::size_t ignored = ignoredCount();
    ignored_->setText(QStringLiteral("%1 ignored").arg(ignored));
    ignored_->setAccessibleName(ignored_->text());
    ignored_->setVisible(ignored > 0);
}

std::size_t CScannerFinishDlg::ignoredCount() const {
    return (modules_ != nullptr ? modules_->ignoredCount() : 0) + ignoredSinceScan_;
}

void CScannerFinishDlg::rowClicked(const QModelIndex& index) {
    if (!index.isValid() || refusedWhileBusy(QStringLiteral("Ticking an entry"))) {
        return;
    }
    model_->toggle(index.row());
}

void CScannerFinishDlg::tickAll() {
    if (!refusedWhileBusy(QStringLiteral("Select All"))) {
        model_->setAllTicked(true);
    }
}

void CScannerFinishDlg::tickNone() {
    if (!refusedWhileBusy(QStringLiteral("Select None"))) {
        model_->setAllTicked(false);
    }
}

bool CScannerFinishDlg::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+I ignores the row that has the keyboard focus, as its context menu does.
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_I &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::ControlModifier) {
        const QModelIndex current = list_->currentIndex();
        if (current.isValid()) {
            ignoreRecords({current.data(ProblemListModel::recordRole).toULongLong()});
        }
        return true;
    }
    // Space ticks or unticks the row that has the keyboard focus, as a click does.
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (!list_->currentIndex().isValid() && model_->rowCount() > 0) {
            list_->setCurrentIndex(model_->index(0));
        }
        rowClicked(list_->currentIndex());
        return true;
    }
    return SkinPanel::eventFilter(watched, event);
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
    if (isBusy()) {
        tellStatus(QStringLiteral("Fix is not available while another operation runs."));
        return;
    }
    if (!fixRun_ || modules_ == nullptr) {
        return;
    }
    // Only listed rows count: fixed records keep their `selected` and are no longer shown.
    if (!model_->anyTicked()) {
        showOutcome(QStringLiteral("Nothing is ticked: tick the problems to fix first."));
        return;
    }
    // A prefix that cannot be changed now is explained before any folder or question.
    if (!ensureWritable()) {
        return;
    }
    // No other Tolvane process may store between this fix's backup and its own store.
    changeLock_ = takeChangeLock();
    if (!changeLock_) {
        return;
    }
    fixRun_->setWithoutBackupQuestion([this](const std::string& reason) {
        return context().dialogs.question(
            this, QStringLiteral("Backup"),
            QStringLiteral("No backup can be written: %1.\nDo you want to fix the ticked "
                           "problems without a backup?")
                .arg(QString::fromStdString(reason)));
    });
    // Which records this run is about to fix, for Undo.
    ProblemList& records = modules_->results();
    pendingFix_.clear();
    for (std::size_t index = 0; index < records.count(); ++index) {
        if (records[index].selected != 0 && records[index].entryKind != entrykind::fixed) {
            pendingFix_.push_back({index, records[index].entryKind});
        }
    }
    const auto started = fixRun_->start(
        records.records(), bar_->targets(), [this] { setWorkingLayout(true); },
        [this] {
            switch (context().dialogs.questionWithCancel(
                this, QStringLiteral("Backup"),
                QStringLiteral("Do you want to create a backup before fixing any errors?"))) {
            case Dialogs::Answer::yes:
                return BackupChoice::backup;
            case Dialogs::Answer::no:
                return BackupChoice::noBackup;
            case Dialogs::Answer::cancel:
                break;
            }
            return BackupChoice::cancel;
        },
        [this](const FixOutcome& outcome) {
            GuiThread::post(this, [this, outcome] { fixCompleted(outcome); });
        });
    if (started == FixRun::Start::started) {
        return;
    }
    changeLock_.reset();
    setWorkingLayout(false);
    if (started == FixRun::Start::cancelled) {
        showOutcome(QStringLiteral("Fix cancelled: nothing was changed."));
    } else if (started == FixRun::Start::failed) {
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
    changeLock_.reset();
    setWorkingLayout(false);
    // The rows left keep the ticks the user gave them; what was ticked but kept (its backup
    // could not be written, or nothing could be stored) stays ticked.
    for (const auto& [index, kind] : pendingFix_) {
        if (modules_->results()[index].entryKind != entrykind::fixed) {
            modules_->results()[index].selected = 1;
        }
    }
    model_->refill();
    showCount();
    const QString folder = QString::fromStdString(outcome.backupFolder);
    if (!outcome.error.empty()) {
        lastFix_.reset();
        showOutcome(QStringLiteral("Nothing was removed: the registry could not be stored."));
        context().dialogs.error(
            this, product::name,
            QStringLiteral("The registry could not be stored: %1.\nNo problem was marked fixed; "
                           "they all stay listed.")
                .arg(QString::fromStdString(outcome.error)));
        return;
    }
    // Undo puts back exactly what this run's backup holds; without a backup there is none.
    lastFix_.reset();
    if (outcome.backupWanted && outcome.fixed > 0) {
        LastFix done{std::filesystem::path(pathFromText(outcome.backupFolder))
                         .parent_path()
                         .filename()
                         .string(),
                     {}};
        for (const auto& [index, kind] : pendingFix_) {
            if (modules_->results()[index].entryKind == entrykind::fixed) {
                done.records.push_back({index, kind});
            }
        }
        lastFix_ = std::move(done);
    }
    const QString counts =
        QStringLiteral("%1 removed, %2 kept").arg(outcome.fixed).arg(model_->rowCount());
    showOutcome(outcome.backupWanted ? QStringLiteral("%1; backup saved in %2").arg(counts, folder)
                                     : QStringLiteral("%1; no backup was made.").arg(counts));
    if (outcome.keptForBackup > 0) {
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

void CScannerFinishDlg::undoLastFix() {
    if (isBusy()) {
        tellStatus(QStringLiteral("Undo is not available while another operation runs."));
        return;
    }
    if (!lastFix_ || modules_ == nullptr || !ensureWritable()) {
        return;
    }
    changeLock_ = takeChangeLock();
    if (!changeLock_) {
        return;
    }
    Platform& platform = *platform_;
    context().busy = 1;
    setWorkingLayout(true);
    bar_->start(platform.clock);
    undoTask_.start(
        [&platform, folder = lastFix_->folderName](std::stop_token) {
            return FullBackups(platform).restore(folder);
        },
        [this](Result<void> restored) {
            changeLock_.reset();
            setWorkingLayout(false);
            context().busy = 0;
            if (!restored) {
                showOutcome(QStringLiteral("Undo failed: %1").arg(fromCore(restored.message())));
                context().dialogs.error(this, product::name,
                                        QStringLiteral("The fix could not be undone: %1.")
                                            .arg(fromCore(restored.message())));
                return;
            }
            // The entries are back in the registry: list them again, as they were ticked.
            for (const auto& [index, kind] : lastFix_->records) {
                modules_->results()[index].entryKind = kind;
            }
            const std::size_t restoredCount = lastFix_->records.size();
            lastFix_.reset();
            model_->refill();
            showCount();
            showOutcome(
                QStringLiteral("Undone: %1 entries restored from the backup.").arg(restoredCount));
        });
}

void CScannerFinishDlg::openReview(int row) {
    if (!review_) {
        review_ = std::make_unique<ProblemReviewWindow>(*model_, context().dialogs, nullptr);
        connect(review_.get(), &ProblemReviewWindow::ignoreRequested, this,
                [this](const QList<int>& records) {
                    std::vector<std::size_t> indexes;
                    for (const int record : records) {
                        if (record >= 0) {
                            indexes.push_back(static_cast<std::size_t>(record));
                        }
                    }
                    ignoreRecords(indexes);
                });
    }
    review_->show();
    review_->raise();
    review_->activateWindow();
    if (row >= 0) {
        review_->focusRecordRow(row);
    }
}

std::unique_ptr<QMenu> CScannerFinishDlg::makeRowMenu(int row) {
    const QModelIndex index = model_->index(row);
    if (!index.isValid()) {
        return nullptr;
    }
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("resultsRowMenu"));
    QAction* ignore = menu->addAction(QStringLiteral("Ignore this entry"));
    ignore->setObjectName(QStringLiteral("ignoreRowAction"));
    ignore->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    ignore->setEnabled(!isBusy());
    const std::size_t record = index.data(ProblemListModel::recordRole).toULongLong();
    connect(ignore, &QAction::triggered, this, [this, record] { ignoreRecords({record}); });
    QAction* review = menu->addAction(QStringLiteral("Review") + QChar(0x2026));
    connect(review, &QAction::triggered, this, [this, row] { openReview(row); });
    return menu;
}

void CScannerFinishDlg::showRowMenu(const QPoint& position) {
    const QModelIndex index = list_->indexAt(position);
    if (!index.isValid()) {
        return;
    }
    list_->setCurrentIndex(index);
    if (auto menu = makeRowMenu(index.row())) {
        menu->exec(list_->viewport()->mapToGlobal(position));
    }
}

void CScannerFinishDlg::ignoreRecords(const std::vector<std::size_t>& recordIndexes) {
    if (isBusy()) {
        tellStatus(QStringLiteral("Ignoring entries is not available while another operation "
                                  "runs."));
        return;
    }
    if (modules_ == nullptr) {
        return;
    }
    ProblemList& records = modules_->results();
    // Only what is listed: a fixed record is gone from the registry already.
    std::vector<std::size_t> listed;
    for (const std::size_t index : recordIndexes) {
        if (model_->rowOfRecord(index) >= 0) {
            listed.push_back(index);
        }
    }
    if (listed.empty()) {
        return;
    }
    const std::string& place = modules_->place();
    const bool live = place.empty() || place == IgnoreList::livePlace;
    const QString what = listed.size() == 1
                             ? QStringLiteral("Leave this entry out of later scans?\n%1")
                                   .arg(fromCore(records[listed.front()].description))
                             : QStringLiteral("Leave the %1 selected entries out of later scans?")
                                   .arg(listed.size());
    const QString where =
        live ? QStringLiteral("Ignore in this registry only, or in every Wine prefix as well?")
             : QStringLiteral("Ignore in this prefix only (%1), or in all prefixes?")
                   .arg(fromCore(place));
    const Dialogs::Answer answer = context().dialogs.questionWithChoices(
        this, QStringLiteral("Ignore"), what + QStringLiteral("\n\n") + where,
        live ? QStringLiteral("This registry") : QStringLiteral("This prefix"),
        QStringLiteral("All prefixes"));
    if (answer == Dialogs::Answer::cancel) {
        return;
    }
    // The stored list is read afresh: the command line may have changed it meanwhile. One that
    // cannot be read is never written over.
    auto loaded = IgnoreList::load(context().profile);
    if (!loaded) {
        context().dialogs.error(
            this, product::name,
            QStringLiteral("Nothing was ignored: %1.").arg(fromCore(loaded.message())));
        return;
    }
    IgnoreList ignoreList = std::move(loaded.value());
    const std::string scope = answer == Dialogs::Answer::yes ? place : std::string();
    for (const std::size_t index : listed) {
        const ProblemRecord& record = records[index];
        ignoreList.add(
            IgnoreEntry{record.moduleId, record.primaryName, record.secondaryName, scope});
    }
    if (!ignoreList.store(context().profile)) {
        context().dialogs.error(this, product::name,
                                QStringLiteral("Nothing was ignored: the settings could not be "
                                               "written."));
        return;
    }
    // Every listed record the list now names goes, also one found twice under another row.
    std::vector<std::size_t> named;
    for (std::size_t index = 0; index < records.count(); ++index) {
        if (model_->rowOfRecord(index) >= 0 && ignoreList.ignores(records[index], place)) {
            named.push_back(index);
        }
    }
    modules_->setIgnoreList(std::move(ignoreList));
    const int taken = model_->leaveOut(named);
    ignoredSinceScan_ += static_cast<std::size_t>(taken);
    showCount();
    tellStatus(taken == 1 ? QStringLiteral("1 entry ignored.")
                          : QStringLiteral("%1 entries ignored.").arg(taken));
}

void CScannerFinishDlg::tellStatus(const QString& text) {
    if (owner() != nullptr) {
        owner()->showStatus(text);
    }
}

} // namespace tolvane
