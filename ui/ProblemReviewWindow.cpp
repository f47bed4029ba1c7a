#include "ui/ProblemReviewWindow.h"

#include "engine/ModuleTable.h"
#include "ui/CoreText.h"
#include "ui/Dialogs.h"
#include "ui/ProblemListModel.h"
#include "ui/ProductInfo.h"
#include "ui/ReviewExport.h"
#include "ui/ReviewFilterModel.h"
#include "ui/ReviewTableModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

namespace tolvane {

ProblemReviewWindow::ProblemReviewWindow(ProblemListModel& ticks, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), ticks_(ticks), dialogs_(dialogs) {
    setObjectName(QStringLiteral("reviewWindow"));
    setWindowTitle(QStringLiteral("Review results - %1").arg(QString::fromLatin1(product::name)));
    setAccessibleName(QStringLiteral("Review results"));
    resize(980, 600);

    table_model_ = new ReviewTableModel(ticks_, this);
    filter_ = new ReviewFilterModel(*table_model_, this);

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("reviewSearch"));
    search_->setPlaceholderText(QStringLiteral("Search (Ctrl+F)"));
    search_->setAccessibleName(QStringLiteral("Search the results"));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, filter_, &ReviewFilterModel::setSearchText);
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        search_->setFocus(Qt::ShortcutFocusReason);
        search_->selectAll();
    });
    addAction(find);

    area_ = new QComboBox(this);
    area_->setObjectName(QStringLiteral("reviewAreaFilter"));
    area_->setAccessibleName(QStringLiteral("Show area"));
    connect(area_, &QComboBox::currentIndexChanged, this,
            [this] { filter_->setAreaFilter(area_->currentData().toInt()); });
    problem_ = new QComboBox(this);
    problem_->setObjectName(QStringLiteral("reviewProblemFilter"));
    problem_->setAccessibleName(QStringLiteral("Show problem"));
    connect(problem_, &QComboBox::currentIndexChanged, this,
            [this] { filter_->setProblemFilter(problem_->currentData().toString()); });
    group_ = new QCheckBox(QStringLiteral("Group by area"), this);
    group_->setObjectName(QStringLiteral("reviewGroup"));
    connect(group_, &QCheckBox::toggled, filter_, &ReviewFilterModel::setGrouped);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("reviewTable"));
    table_->setAccessibleName(QStringLiteral("Results"));
    table_->setModel(filter_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->setColumnWidth(ReviewTableModel::areaColumn, 190);
    table_->setColumnWidth(ReviewTableModel::problemColumn, 160);
    table_->setColumnWidth(ReviewTableModel::keyPathColumn, 300);
    table_->setColumnWidth(ReviewTableModel::valueNameColumn, 110);
    table_->setColumnWidth(ReviewTableModel::dataColumn, 150);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);
    table_->installEventFilter(this);

    const auto button = [this](const char* objectName, const QString& text, auto slot) {
        auto* made = new QPushButton(text, this);
        made->setObjectName(QString::fromLatin1(objectName));
        connect(made, &QPushButton::clicked, this, slot);
        return made;
    };
    QPushButton* tick =
        button("reviewTick", QStringLiteral("Tick"), [this] { setSelectedTicked(true); });
    QPushButton* untick =
        button("reviewUntick", QStringLiteral("Untick"), [this] { setSelectedTicked(false); });
    QPushButton* copy = button("reviewCopy", QStringLiteral("Copy"), [this] { copySelection(); });
    QPushButton* ignore =
        button("reviewIgnore", QStringLiteral("Ignore"), [this] { ignoreSelected(); });
    QPushButton* exportButton = button("reviewExport", QStringLiteral("Export") + QChar(0x2026),
                                       [this] { exportWithDialog(); });
    QPushButton* close = button("reviewClose", QStringLiteral("Close"), [this] { this->close(); });
    tick->setToolTip(QStringLiteral("Tick the selected rows for fixing (Space toggles)"));
    ignore->setToolTip(QStringLiteral("Leave the selected entries out of later scans"));

    // The table's context menu offers the same actions.
    const auto menuAction = [this](const QString& text, const QKeySequence& keys, auto slot) {
        auto* action = new QAction(text, table_);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, slot);
        table_->addAction(action);
    };
    menuAction(QStringLiteral("Tick"), {}, [this] { setSelectedTicked(true); });
    menuAction(QStringLiteral("Untick"), {}, [this] { setSelectedTicked(false); });
    menuAction(QStringLiteral("Copy"), QKeySequence::Copy, [this] { copySelection(); });
    menuAction(QStringLiteral("Ignore"), {}, [this] { ignoreSelected(); });

    counts_ = new QLabel(this);
    counts_->setObjectName(QStringLiteral("reviewCounts"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(search_, 3);
    filters->addWidget(area_, 2);
    filters->addWidget(problem_, 2);
    filters->addWidget(group_);
    auto* actions = new QHBoxLayout;
    actions->addWidget(tick);
    actions->addWidget(untick);
    actions->addWidget(copy);
    actions->addWidget(ignore);
    actions->addWidget(counts_, 1);
    actions->addWidget(exportButton);
    actions->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);
    layout->addLayout(actions);

    // Tab follows the order on screen.
    setTabOrder(search_, area_);
    setTabOrder(area_, problem_);
    setTabOrder(problem_, group_);
    setTabOrder(group_, table_);
    setTabOrder(table_, tick);
    setTabOrder(tick, untick);
    setTabOrder(untick, copy);
    setTabOrder(copy, ignore);
    setTabOrder(ignore, exportButton);
    setTabOrder(exportButton, close);

    connect(table_model_, &QAbstractItemModel::modelReset, this,
            &ProblemReviewWindow::refillFilters);
    connect(filter_, &QAbstractItemModel::layoutChanged, this, &ProblemReviewWindow::showCounts);
    connect(filter_, &QAbstractItemModel::modelReset, this, &ProblemReviewWindow::showCounts);
    connect(filter_, &QAbstractItemModel::rowsInserted, this, &ProblemReviewWindow::showCounts);
    connect(filter_, &QAbstractItemModel::rowsRemoved, this, &ProblemReviewWindow::showCounts);
    connect(&ticks_, &ProblemListModel::ticksChanged, this, &ProblemReviewWindow::showCounts);
    refillFilters();
}

ProblemReviewWindow::~ProblemReviewWindow() = default;

void ProblemReviewWindow::refillFilters() {
    std::map<int, int> areas;
    std::map<QString, int> problems;
    for (int row = 0; row < table_model_->rowCount(); ++row) {
        ++areas[table_model_->moduleOf(row)];
        ++problems[table_model_->text(row, ReviewTableModel::problemColumn)];
    }
    const int keptArea = area_->currentData().isValid() ? area_->currentData().toInt() : -1;
    const QString keptProblem = problem_->currentData().toString();
    const QSignalBlocker holdArea(area_);
    const QSignalBlocker holdProblem(problem_);
    area_->clear();
    area_->addItem(QStringLiteral("All areas (%1)").arg(table_model_->rowCount()), -1);
    for (const auto& [module, count] : areas) {
        const QString name =
            module >= 0 && module < moduleCount
                ? fromCore(moduleTable[static_cast<std::size_t>(module)].displayName)
                : QString::number(module);
        area_->addItem(QStringLiteral("%1 (%2)").arg(name).arg(count), module);
    }
    problem_->clear();
    problem_->addItem(QStringLiteral("All problems"), QString());
    for (const auto& [name, count] : problems) {
        problem_->addItem(QStringLiteral("%1 (%2)").arg(name).arg(count), name);
    }
    area_->setCurrentIndex(std::max(0, area_->findData(keptArea)));
    problem_->setCurrentIndex(std::max(0, problem_->findData(keptProblem)));
    filter_->setAreaFilter(area_->currentData().toInt());
    filter_->setProblemFilter(problem_->currentData().toString());
    showCounts();
}

void ProblemReviewWindow::showCounts() {
    counts_->setText(QStringLiteral("%1 shown of %2, %3 ticked")
                         .arg(filter_->rowCount())
                         .arg(table_model_->rowCount())
                         .arg(ticks_.tickedCount()));
}

void ProblemReviewWindow::focusRecordRow(int resultsRow) {
    const QModelIndex shown = filter_->mapFromSource(table_model_->index(resultsRow, 0));
    if (!shown.isValid()) {
        return;
    }
    table_->setCurrentIndex(shown);
    table_->scrollTo(shown);
    table_->setFocus();
}

std::vector<int> ProblemReviewWindow::selectedRows() const {
    std::vector<int> rows;
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    for (const QModelIndex& index : selected) {
        rows.push_back(filter_->mapToSource(index).row());
    }
    if (rows.empty() && table_->currentIndex().isValid()) {
        rows.push_back(filter_->mapToSource(table_->currentIndex()).row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ProblemReviewWindow::setSelectedTicked(bool ticked) {
    table_model_->setRowsTicked(selectedRows(), ticked);
}

void ProblemReviewWindow::toggleSelected() {
    const auto rows = selectedRows();
    const bool allTicked = std::all_of(rows.begin(), rows.end(),
                                       [this](int row) { return table_model_->isTicked(row); });
    table_model_->setRowsTicked(rows, !allTicked);
}

std::vector<QStringList> ProblemReviewWindow::shownRows(bool selectedOnly) const {
    std::vector<int> rows;
    if (selectedOnly) {
        // In the order shown, not the order of the scan.
        QSet<int> chosen;
        for (const int row : selectedRows()) {
            chosen.insert(row);
        }
        for (int shown = 0; shown < filter_->rowCount(); ++shown) {
            const int row = filter_->mapToSource(filter_->index(shown, 0)).row();
            if (chosen.contains(row)) {
                rows.push_back(row);
            }
        }
    } else {
        for (int shown = 0; shown < filter_->rowCount(); ++shown) {
            rows.push_back(filter_->mapToSource(filter_->index(shown, 0)).row());
        }
    }
    std::vector<QStringList> out;
    out.reserve(rows.size());
    for (const int row : rows) {
        QStringList cells;
        cells << (table_model_->isTicked(row) ? QStringLiteral("yes") : QStringLiteral("no"));
        for (int column = 0; column < ReviewTableModel::columnTotal; ++column) {
            cells << table_model_->text(row, column);
        }
        out.push_back(cells);
    }
    return out;
}

namespace {

QStringList exportHeaders(const ReviewTableModel& model) {
    QStringList headers{QStringLiteral("Ticked")};
    for (int column = 0; column < ReviewTableModel::columnTotal; ++column) {
        headers << model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    return headers;
}

} // namespace

void ProblemReviewWindow::copySelection() {
    const auto rows = shownRows(true);
    if (rows.empty()) {
        return;
    }
    QApplication::clipboard()->setText(
        ReviewExport(exportHeaders(*table_model_), rows).tabSeparated());
}

QString ProblemReviewWindow::exportShown(const QString& file) const {
    return ReviewExport(exportHeaders(*table_model_), shownRows(false))
        .write(file, ReviewExport::formatOf(file),
               QStringLiteral("%1 scan results").arg(QString::fromLatin1(product::name)));
}

void ProblemReviewWindow::exportWithDialog() {
    const auto file = dialogs_.chooseSaveFile(
        this, QStringLiteral("Export the results"), QStringLiteral("tolvane-results.html"),
        QStringLiteral("HTML report (*.html);;CSV (*.csv);;JSON (*.json)"));
    if (!file) {
        return;
    }
    if (const QString failed = exportShown(*file); !failed.isEmpty()) {
        dialogs_.error(this, QString::fromLatin1(product::name),
                       QStringLiteral("The list was not exported to %1: %2.").arg(*file, failed));
    }
}

void ProblemReviewWindow::ignoreSelected() {
    QList<int> records;
    for (const int row : selectedRows()) {
        records << table_model_->recordOf(row);
    }
    if (!records.isEmpty()) {
        Q_EMIT ignoreRequested(records);
    }
}

bool ProblemReviewWindow::eventFilter(QObject* watched, QEvent* event) {
    // Space ticks what is selected; the table would only move its selection.
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        toggleSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ProblemReviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tolvane
