#include "ui/CBackupDlg.h"

#include "maintenance/FullBackups.h"
#include "platform/Platform.h"
#include "platform/ProfileStore.h"
#include "platform/base/TimeText.h"
#include "ui/ActivityBar.h"
#include "ui/CoreText.h"
#include "ui/Dialogs.h"
#include "ui/ProductInfo.h"
#include "ui/RegistrySession.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace tolvane {

namespace {

constexpr int folderRole = Qt::UserRole;

} // namespace

CBackupDlg::CBackupDlg(UiContext& context, QWidget* parent)
    : SkinPanel(context, QStringLiteral("Backup"), parent) {
    setObjectName(QStringLiteral("backupPage"));
    setDecoration(QPoint(10, 40), Artwork::Glyph::backup);
    addLabel(QStringLiteral("backupIntro"), QStringLiteral("Whole-registry backups"),
             QRect(58, 40, 300, 44), theme().valueFont(), theme().captionText());

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("backupList"));
    list_->setAccessibleName(QStringLiteral("Backups"));
    list_->setRootIsDecorated(false);
    list_->setColumnCount(columnTotal);
    list_->setHeaderLabels({QStringLiteral("Made (UTC)"), QStringLiteral("Kind"),
                            QStringLiteral("Keys"), QStringLiteral("Registry")});
    list_->header()->setAccessibleName(QStringLiteral("Backup columns"));
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(prefixColumn, QHeaderView::Stretch);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setFont(theme().valueFont());
    list_->setStyleSheet(theme().listStyleSheet());
    list_->setGeometry(listNormal);

    bar_ = std::make_unique<ActivityBar>(theme(), *this, QStringLiteral("backupBar"),
                                         QRect(20, 270, 435, 15));

    SkinButton* create =
        addButton(QStringLiteral("createButton"), SkinButton::Style::primary,
                  QStringLiteral("Create"), std::nullopt, QRect(130, 300, 100, 32));
    connect(create, &SkinButton::clicked, this, &CBackupDlg::createBackup);
    SkinButton* remove =
        addButton(QStringLiteral("deleteButton"), SkinButton::Style::secondary,
                  QStringLiteral("Delete"), std::nullopt, QRect(240, 300, 100, 32));
    connect(remove, &SkinButton::clicked, this, &CBackupDlg::deleteBackup);
    SkinButton* restore =
        addButton(QStringLiteral("restoreButton"), SkinButton::Style::secondary,
                  QStringLiteral("Restore"), std::nullopt, QRect(350, 300, 100, 32));
    connect(restore, &SkinButton::clicked, this, &CBackupDlg::restoreBackup);

    connect(&context.session, &RegistrySession::platformChanged, this, &CBackupDlg::fillList);
    fillList();
}

CBackupDlg::~CBackupDlg() = default;

void CBackupDlg::showEvent(QShowEvent* event) {
    SkinPanel::showEvent(event);
    fillList();
}

void CBackupDlg::fillList() {
    list_->clear();
    const Platform* platform = context().session.platform();
    if (platform == nullptr) {
        return;
    }
    for (const auto& entry : FullBackups(*platform).list()) {
        const QString origin =
            entry.origin.empty() ? QStringLiteral("not recorded") : fromCore(entry.origin);
        auto* row =
            new QTreeWidgetItem(list_, QStringList{fromCore(entry.displayName),
                                                   entry.kind == BackupEntry::Kind::wholeRegistry
                                                       ? QStringLiteral("Whole registry")
                                                       : QStringLiteral("Fix"),
                                                   QString::number(entry.keys), origin});
        row->setData(madeColumn, folderRole, fromCore(entry.folderName));
        row->setTextAlignment(keysColumn, Qt::AlignRight | Qt::AlignVCenter);
        row->setToolTip(prefixColumn, origin);
    }
}

std::optional<std::string> CBackupDlg::selectedFolder() const {
    for (int row = list_->topLevelItemCount() - 1; row >= 0; --row) {
        if (const QTreeWidgetItem* item = list_->topLevelItem(row); item->isSelected()) {
            return item->data(madeColumn, folderRole).toString().toStdString();
        }
    }
    return std::nullopt;
}

void CBackupDlg::beginWork(Clock& clock) {
    context().busy = 1;
    list_->setGeometry(listNormal.adjusted(0, 0, 0, workingListHeight - listNormal.height()));
    bar_->start(clock);
}

void CBackupDlg::endWork() {
    context().busy = 0;
    list_->setGeometry(listNormal);
    bar_->stop();
    fillList();
}

void CBackupDlg::createBackup() {
    if (refusedWhileBusy(QStringLiteral("Create Backup"))) {
        return;
    }
    Platform* platform = requirePlatform();
    if (platform == nullptr ||
        !context().dialogs.question(this, product::name,
                                    QStringLiteral("Creating of backup may take several minutes. "
                                                   "Are you sure you want to continue?"))) {
        return;
    }
    changeLock_ = takeChangeLock();
    if (!changeLock_) {
        return;
    }
    beginWork(platform->clock);
    task_.start([platform](std::stop_token) { return FullBackups(*platform).create(); },
                [this, platform](Result<std::string> created) {
                    endWork();
                    showOutcome(created.ok(), QStringLiteral("Backup was succesfully created"),
                                QStringLiteral("The backup was not created: %1."),
                                created.ok() ? std::string() : created.message());
                    if (created) {
                        context().profile.writeProfileString(
                            "UI", "Last Backup", historyTimeText(platform->clock.now()));
                    }
                    refreshOverview();
                });
}

void CBackupDlg::restoreBackup() {
    if (refusedWhileBusy(QStringLiteral("Restore"))) {
        return;
    }
    const auto folder = selectedFolder();
    // A prefix that cannot be changed now is explained before the question.
    if (!folder || !ensureWritable()) {
        return;
    }
    Platform* platform = context().session.platform();
    // A backup of another registry is restored here only when the user says so.
    const auto other = FullBackups(*platform).otherOrigin(*folder);
    if (other && !context().dialogs.question(
                     this, product::name,
                     QStringLiteral("This backup was made from %1, not from the registry you are "
                                    "cleaning now. Restore it here all the same?")
                         .arg(QString::fromStdString(*other)))) {
        return;
    }
    if (!context().dialogs.question(this, product::name,
                                    QStringLiteral("Restoring of backup may take several minutes. "
                                                   "Are you sure you want to continue?"))) {
        return;
    }
    changeLock_ = takeChangeLock();
    if (!changeLock_) {
        return;
    }
    beginWork(platform->clock);
    task_.start([platform, name = *folder, force = other.has_value()](
                    std::stop_token) { return FullBackups(*platform).restore(name, force); },
                [this](Result<void> restored) {
                    changeLock_.reset();
                    endWork();
                    showOutcome(restored.ok(), QStringLiteral("Registry was succesfully restored"),
                                QStringLiteral("The registry was not restored: %1."),
                                restored.ok() ? std::string() : restored.message());
                    refreshOverview();
                });
}

void CBackupDlg::deleteBackup() {
    if (refusedWhileBusy(QStringLiteral("Delete"))) {
        return;
    }
    const auto folder = selectedFolder();
    Platform* platform = folder ? requirePlatform() : nullptr;
    if (platform == nullptr ||
        !context().dialogs.question(
            this, product::name,
            QStringLiteral("Are you sure you want to delete selected backup?"))) {
        return;
    }
    beginWork(platform->clock);
    task_.start(
        [platform, name = *folder](std::stop_token) { return FullBackups(*platform).remove(name); },
        [this](Result<void> removed) {
            endWork();
            // A deletion that worked says nothing: the row is gone.
            if (!removed) {
                context().dialogs.error(this, product::name,
                                        QStringLiteral("The backup was not deleted: %1.")
                                            .arg(fromCore(removed.message())));
            }
            refreshOverview();
        });
}

void CBackupDlg::showOutcome(bool succeeded, const QString& success, const QString& failure,
                             const std::string& message) {
    if (succeeded) {
        context().dialogs.information(this, product::name, success);
    } else {
        context().dialogs.error(this, product::name, failure.arg(fromCore(message)));
    }
}

} // namespace tolvane
