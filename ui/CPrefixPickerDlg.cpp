#include "ui/CPrefixPickerDlg.h"

#include "platform/discovery/DiscoveredPrefix.h"
#include "ui/PrefixCatalog.h"
#include "ui/PrefixListModel.h"
#include "ui/PrefixSwitcher.h"
#include "ui/RegistrySession.h"
#include "ui/Theme.h"
#include "ui/UiContext.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <system_error>

namespace tolvane {

CPrefixPickerDlg::CPrefixPickerDlg(UiContext& context, PrefixCatalog& catalog, QWidget* parent)
    : QDialog(parent), context_(context), catalog_(catalog) {
    setObjectName(QStringLiteral("prefixPicker"));
    setWindowTitle(QStringLiteral("Choose the Wine prefix to clean"));
    setStyleSheet(context.theme.dialogStyleSheet());
    resize(660, 380);

    model_ = new PrefixListModel(catalog, context.theme, this);
    model_->setCurrent(context.session.folder());
    filter_ = new QSortFilterProxyModel(this);
    filter_->setSourceModel(model_);
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    filter_->setFilterKeyColumn(-1);
    filter_->setSortCaseSensitivity(Qt::CaseInsensitive);

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("prefixSearch"));
    search_->setPlaceholderText(QStringLiteral("Search by launcher, name or folder"));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, filter_,
            &QSortFilterProxyModel::setFilterFixedString);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("prefixPickerStatus"));

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("prefixTable"));
    table_->setModel(filter_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSortingEnabled(true);
    table_->sortByColumn(PrefixListModel::launcher, Qt::AscendingOrder);
    table_->verticalHeader()->hide();
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideMiddle);
    table_->setIconSize(QSize(20, 20));
    QHeaderView* header = table_->horizontalHeader();
    // The folder takes what the other columns leave; its middle is elided.
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(PrefixListModel::path, QHeaderView::Stretch);
    header->setStretchLastSection(false);
    connect(table_, &QTableView::doubleClicked, this, &CPrefixPickerDlg::openSelected);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CPrefixPickerDlg::showState);

    const auto makeButton = [this](const char* objectName, const QString& text) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(objectName));
        button->setAutoDefault(false);
        return button;
    };
    refresh_ = makeButton("refreshPrefixesButton", QStringLiteral("Refresh"));
    stop_ = makeButton("stopServerButton", QStringLiteral("Stop wineserver"));
    QPushButton* other = makeButton("otherFolderButton", QStringLiteral("Other folder..."));
    QPushButton* windows =
        makeButton("windowsInstallationButton", QStringLiteral("Windows installation..."));
    open_ = makeButton("openPrefixButton", QStringLiteral("Open"));
    open_->setDefault(true);
    QPushButton* cancel = makeButton("cancelPickerButton", QStringLiteral("Cancel"));
    connect(refresh_, &QPushButton::clicked, &catalog_, &PrefixCatalog::refresh);
    connect(refresh_, &QPushButton::clicked, this, &CPrefixPickerDlg::showState);
    connect(stop_, &QPushButton::clicked, this, &CPrefixPickerDlg::stopServer);
    connect(other, &QPushButton::clicked, this, &CPrefixPickerDlg::chooseOtherFolder);
    connect(windows, &QPushButton::clicked, this, &CPrefixPickerDlg::chooseWindowsInstallation);
    connect(open_, &QPushButton::clicked, this, &CPrefixPickerDlg::openSelected);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh_);
    buttons->addWidget(stop_);
    buttons->addStretch(1);
    buttons->addWidget(other);
    buttons->addWidget(windows);
    buttons->addWidget(open_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(&catalog_, &PrefixCatalog::refreshed, this, [this] {
        select(context_.session.folder());
        showState();
    });
    select(context_.session.folder());
    showState();
    search_->setFocus();
}

const discovery::DiscoveredPrefix* CPrefixPickerDlg::selected() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return nullptr;
    }
    return model_->prefixAt(filter_->mapToSource(rows.front()).row());
}

void CPrefixPickerDlg::select(const std::filesystem::path& folder) {
    const auto* found = catalog_.find(folder);
    if (found == nullptr) {
        return;
    }
    const int row = static_cast<int>(found - catalog_.prefixes().data());
    const QModelIndex shown = filter_->mapFromSource(model_->index(row, 0));
    if (shown.isValid()) {
        table_->selectRow(shown.row());
        table_->scrollTo(shown);
    }
}

void CPrefixPickerDlg::showState() {
    const auto* chosen = selected();
    open_->setEnabled(chosen != nullptr);
    stop_->setEnabled(chosen != nullptr && chosen->running());
    refresh_->setEnabled(!catalog_.refreshing());
    if (catalog_.refreshing()) {
        status_->setText(QStringLiteral("Looking for Wine prefixes..."));
        return;
    }
    const auto count = catalog_.prefixes().size();
    QString text = count == 1 ? QStringLiteral("1 Wine prefix found")
                              : QStringLiteral("%1 Wine prefixes found").arg(count);
    if (!catalog_.errors().empty()) {
        text +=
            QStringLiteral("; %1 launcher files could not be read").arg(catalog_.errors().size());
        QStringList reasons;
        for (const auto& problem : catalog_.errors()) {
            reasons << QString::fromStdString(problem.launcher + ": " + problem.reason);
        }
        status_->setToolTip(reasons.join(QLatin1Char('\n')));
    } else {
        status_->setToolTip(QString());
    }
    status_->setText(text);
}

void CPrefixPickerDlg::openSelected() {
    const auto* chosen = selected();
    if (chosen == nullptr) {
        return;
    }
    std::error_code error;
    const auto open = context_.session.folder();
    if (!open.empty() && std::filesystem::equivalent(chosen->path, open, error)) {
        accept();
        return;
    }
    // Copied: a refresh while a message is shown replaces the list.
    const auto folder = chosen->path;
    if (PrefixSwitcher(context_, this).switchTo(folder)) {
        accept();
    }
}

void CPrefixPickerDlg::chooseOtherFolder() {
    if (PrefixSwitcher(context_, this).chooseOtherFolder()) {
        accept();
    }
}

void CPrefixPickerDlg::chooseWindowsInstallation() {
    if (PrefixSwitcher(context_, this).chooseWindowsInstallation()) {
        accept();
    }
}

void CPrefixPickerDlg::stopServer() {
    const auto* chosen = selected();
    if (chosen == nullptr || !chosen->running()) {
        return;
    }
    const discovery::DiscoveredPrefix prefix = *chosen;
    PrefixSwitcher(context_, this).stopServer(prefix, catalog_);
    showState();
}

} // namespace tolvane
