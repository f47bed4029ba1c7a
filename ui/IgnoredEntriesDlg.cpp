#include "ui/IgnoredEntriesDlg.h"

#include "engine/IgnoreList.h"
#include "engine/ModuleTable.h"
#include "modules/ProblemTarget.h"
#include "ui/CoreText.h"
#include "ui/Dialogs.h"
#include "ui/ProductInfo.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

namespace tolvane {

namespace {

enum Column { moduleColumn, keyColumn, valueColumn, scopeColumn };

// Each row keeps its entry, so a removal finds it again in a list read afresh.
constexpr int moduleRole = Qt::UserRole;
constexpr int primaryRole = Qt::UserRole + 1;
constexpr int secondaryRole = Qt::UserRole + 2;
constexpr int placeRole = Qt::UserRole + 3;

QString moduleName(int moduleId) {
    return isModuleId(moduleId)
               ? fromCore(moduleTable[static_cast<std::size_t>(moduleId)].displayName)
               : QStringLiteral("Module %1").arg(moduleId);
}

} // namespace

IgnoredEntriesDlg::IgnoredEntriesDlg(ProfileStore& profile, Dialogs& dialogs, std::string place,
                                     QWidget* parent)
    : QDialog(parent), profile_(profile), dialogs_(dialogs), place_(std::move(place)) {
    setObjectName(QStringLiteral("ignoredEntriesDialog"));
    setWindowTitle(QStringLiteral("Ignored entries - %1").arg(QString::fromLatin1(product::name)));
    resize(640, 360);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("ignoredSummary"));
    summary_->setWordWrap(true);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ignoredEntriesList"));
    list_->setColumnCount(4);
    list_->setHeaderLabels({QStringLiteral("Module"), QStringLiteral("Key"),
                            QStringLiteral("Value"), QStringLiteral("Applies to")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAccessibleName(QStringLiteral("Ignored entries"));
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(keyColumn, QHeaderView::Stretch);
    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &IgnoredEntriesDlg::showSelection);

    remove_ = new QPushButton(QStringLiteral("Remove"), this);
    remove_->setObjectName(QStringLiteral("removeIgnoredButton"));
    remove_->setToolTip(QStringLiteral("Take the selected entries off the list (Delete): later "
                                       "scans report them again"));
    connect(remove_, &QPushButton::clicked, this, &IgnoredEntriesDlg::removeSelected);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeIgnoredButton"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    reload();
}

void IgnoredEntriesDlg::reload() {
    list_->clear();
    auto loaded = IgnoreList::load(profile_);
    readable_ = loaded.ok();
    if (!readable_) {
        summary_->setText(
            QStringLiteral("The ignore list cannot be shown: %1.").arg(fromCore(loaded.message())));
        showSelection();
        return;
    }
    for (const IgnoreEntry& entry : loaded.value().entries()) {
        const QString scope = entry.place.empty()     ? QStringLiteral("All prefixes")
                              : entry.place == place_ ? QStringLiteral("This prefix")
                              : entry.place == IgnoreList::livePlace
                                  ? QStringLiteral("The live registry")
                                  : fromCore(entry.place);
        // The key and value as the results show them; the stored names where a module's
        // names tell no key.
        ProblemRecord named;
        named.moduleId = entry.moduleId;
        named.primaryName = entry.primaryName;
        named.secondaryName = entry.secondaryName;
        const ProblemTarget target = ProblemTarget::of(named);
        const bool known = !target.keyPath().empty();
        auto* item = new QTreeWidgetItem(
            list_,
            {moduleName(entry.moduleId), fromCore(known ? target.keyPath() : entry.primaryName),
             fromCore(known ? target.valueName() : entry.secondaryName), scope});
        item->setToolTip(keyColumn, item->text(keyColumn));
        item->setToolTip(valueColumn, item->text(valueColumn));
        item->setToolTip(scopeColumn, entry.place.empty() ? scope : fromCore(entry.place));
        item->setData(0, moduleRole, entry.moduleId);
        item->setData(0, primaryRole, QByteArray::fromStdString(entry.primaryName));
        item->setData(0, secondaryRole, QByteArray::fromStdString(entry.secondaryName));
        item->setData(0, placeRole, QByteArray::fromStdString(entry.place));
    }
    for (int column = 0; column < list_->columnCount(); ++column) {
        if (column != keyColumn) {
            list_->resizeColumnToContents(column);
        }
    }
    const int count = list_->topLevelItemCount();
    summary_->setText(count == 0 ? QStringLiteral("No entry is ignored: every scan reports all it "
                                                  "finds.")
                      : count == 1
                          ? QStringLiteral("1 entry is left out of every scan where it applies.")
                          : QStringLiteral("%1 entries are left out of every scan where they "
                                           "apply.")
                                .arg(count));
    showSelection();
}

bool IgnoredEntriesDlg::eventFilter(QObject* watched, QEvent* event) {
    // Delete in the list removes what is selected, as the button does.
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void IgnoredEntriesDlg::showSelection() {
    remove_->setEnabled(readable_ && !list_->selectedItems().isEmpty());
}

void IgnoredEntriesDlg::removeSelected() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (!readable_ || selected.isEmpty()) {
        return;
    }
    // Read afresh (the command line may have changed the list) and take out the same entries.
    auto loaded = IgnoreList::load(profile_);
    if (!loaded) {
        dialogs_.error(this, QString::fromLatin1(product::name),
                       QStringLiteral("Nothing was removed: %1.").arg(fromCore(loaded.message())));
        reload();
        return;
    }
    IgnoreList ignoreList = std::move(loaded.value());
    std::vector<std::size_t> positions;
    for (const QTreeWidgetItem* item : selected) {
        const IgnoreEntry wanted{item->data(0, moduleRole).toInt(),
                                 item->data(0, primaryRole).toByteArray().toStdString(),
                                 item->data(0, secondaryRole).toByteArray().toStdString(),
                                 item->data(0, placeRole).toByteArray().toStdString()};
        const auto& entries = ignoreList.entries();
        const auto found = std::find(entries.begin(), entries.end(), wanted);
        if (found != entries.end()) {
            positions.push_back(static_cast<std::size_t>(found - entries.begin()));
        }
    }
    // From the back, so the positions before each one stay valid.
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto position = positions.rbegin(); position != positions.rend(); ++position) {
        ignoreList.removeAt(*position);
    }
    if (!positions.empty() && !ignoreList.store(profile_)) {
        dialogs_.error(this, QString::fromLatin1(product::name),
                       QStringLiteral("Nothing was removed: the settings could not be written."));
    }
    reload();
}

} // namespace tolvane
