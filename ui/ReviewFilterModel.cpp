#include "ui/ReviewFilterModel.h"

#include "ui/ReviewTableModel.h"

#include <unordered_map>

namespace tolvane {

ReviewFilterModel::ReviewFilterModel(ReviewTableModel& table, QObject* parent)
    : QSortFilterProxyModel(parent), table_(table) {
    setSourceModel(&table_);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    const auto stale = [this] { countsStale_ = true; };
    connect(this, &QAbstractItemModel::modelReset, this, stale);
    connect(this, &QAbstractItemModel::layoutChanged, this, stale);
    connect(this, &QAbstractItemModel::rowsInserted, this, stale);
    connect(this, &QAbstractItemModel::rowsRemoved, this, stale);
}

int ReviewFilterModel::shownInArea(int moduleId) const {
    if (countsStale_) {
        counts_.clear();
        for (int row = 0; row < rowCount(); ++row) {
            ++counts_[table_.moduleOf(mapToSource(index(row, 0)).row())];
        }
        countsStale_ = false;
    }
    const auto found = counts_.find(moduleId);
    return found != counts_.end() ? found->second : 0;
}

// The filters rebuild the row mapping in one pass (invalidate) rather than telling views of
// every removed or inserted run of rows (invalidateFilter): an area filter leaves thousands of
// short runs, and announcing each cost ten times the filtering itself at 60,000 rows.
void ReviewFilterModel::setSearchText(const QString& text) {
    search_ = text.trimmed().toCaseFolded();
    invalidate();
}

void ReviewFilterModel::setAreaFilter(int moduleId) {
    area_ = moduleId;
    invalidate();
}

void ReviewFilterModel::setProblemFilter(const QString& problemName) {
    problem_ = problemName;
    invalidate();
}

void ReviewFilterModel::setGrouped(bool grouped) {
    grouped_ = grouped;
    invalidate();
    if (grouped_ && sortColumn() < 0) {
        sort(ReviewTableModel::areaColumn);
    }
}

bool ReviewFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (area_ >= 0 && table_.moduleOf(sourceRow) != area_) {
        return false;
    }
    if (!problem_.isEmpty() &&
        table_.text(sourceRow, ReviewTableModel::problemColumn) != problem_) {
        return false;
    }
    if (search_.isEmpty()) {
        return true;
    }
    for (int column = 0; column < ReviewTableModel::columnTotal; ++column) {
        if (table_.foldedText(sourceRow, column).contains(search_)) {
            return true;
        }
    }
    return false;
}

bool ReviewFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const int a = left.row();
    const int b = right.row();
    if (grouped_) {
        // Areas in module order, whichever way the chosen column sorts.
        const int areaA = table_.moduleOf(a);
        const int areaB = table_.moduleOf(b);
        if (areaA != areaB) {
            return (sortOrder() == Qt::AscendingOrder) == (areaA < areaB);
        }
    }
    const int rankA = table_.sortRank(a, left.column());
    const int rankB = table_.sortRank(b, right.column());
    return rankA != rankB ? rankA < rankB : a < b;
}

QVariant ReviewFilterModel::data(const QModelIndex& index, int role) const {
    if (grouped_ && role == Qt::DisplayRole && index.column() == ReviewTableModel::areaColumn) {
        // "System Drivers (12)": the rows of the area that pass the filter.
        const int count = shownInArea(table_.moduleOf(mapToSource(index).row()));
        return QStringLiteral("%1 (%2)")
            .arg(QSortFilterProxyModel::data(index, role).toString())
            .arg(count);
    }
    return QSortFilterProxyModel::data(index, role);
}

} // namespace tolvane
