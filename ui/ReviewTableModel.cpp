#include "ui/ReviewTableModel.h"

#include "engine/ModuleTable.h"
#include "engine/ProblemList.h"
#include "modules/ProblemTarget.h"
#include "ui/CoreText.h"
#include "ui/ProblemListModel.h"
#include "ui/TextRanks.h"

#include <algorithm>
#include <numeric>

namespace tolvane {

ReviewTableModel::ReviewTableModel(ProblemListModel& ticks, QObject* parent)
    : QAbstractTableModel(parent), ticks_(ticks) {
    connect(&ticks_, &QAbstractItemModel::modelReset, this, &ReviewTableModel::rebuild);
    connect(&ticks_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                if (rowCount() > 0) {
                    Q_EMIT dataChanged(index(first.row(), areaColumn),
                                       index(last.row(), areaColumn), {Qt::CheckStateRole});
                }
            });
    rebuild();
}

void ReviewTableModel::rebuild() {
    beginResetModel();
    texts_.clear();
    for (FoldedColumn& column : folded_) {
        column.units.clear();
        column.starts.assign(1, 0);
    }
    modules_.clear();
    for (auto& ranks : ranks_) {
        ranks.clear();
    }
    const ProblemList* records = ticks_.records();
    const int rows = ticks_.rowCount();
    texts_.reserve(static_cast<std::size_t>(rows));
    modules_.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows && records != nullptr; ++row) {
        const ProblemRecord& record =
            (*records)[ticks_.index(row).data(ProblemListModel::recordRole).toULongLong()];
        const ProblemTarget target = ProblemTarget::of(record);
        const bool known = record.moduleId >= 0 && record.moduleId < moduleCount;
        texts_.push_back({
            known ? fromCore(moduleTable[static_cast<std::size_t>(record.moduleId)].displayName)
                  : QString::number(record.moduleId),
            fromCore(record.problemName),
            fromCore(target.keyPath()),
            fromCore(target.valueName()),
            fromCore(target.data()),
            fromCore(ProblemTarget::actionText(target.action())),
        });
        modules_.push_back(record.moduleId);
        for (std::size_t column = 0; column < folded_.size(); ++column) {
            FoldedColumn& folded = folded_[column];
            folded.units += texts_.back()[column].toCaseFolded();
            folded.starts.push_back(folded.units.size());
        }
    }
    endResetModel();
}

QModelIndex ReviewTableModel::index(int row, int column, const QModelIndex& parent) const {
    const bool inside = !parent.isValid() && row >= 0 && column >= 0 &&
                        static_cast<std::size_t>(row) < texts_.size() && column < columnTotal;
    return inside ? createIndex(row, column) : QModelIndex();
}

int ReviewTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(texts_.size());
}

int ReviewTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnTotal;
}

const QString& ReviewTableModel::text(int row, int column) const {
    return texts_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

QStringView ReviewTableModel::foldedText(int row, int column) const {
    const FoldedColumn& folded = folded_[static_cast<std::size_t>(column)];
    const qsizetype start = folded.starts[static_cast<std::size_t>(row)];
    return QStringView(folded.units)
        .mid(start, folded.starts[static_cast<std::size_t>(row) + 1] - start);
}

int ReviewTableModel::sortRank(int row, int column) const {
    auto& ranks = ranks_[static_cast<std::size_t>(column)];
    if (ranks.size() != texts_.size()) {
        std::vector<QStringView> texts;
        texts.reserve(texts_.size());
        for (int row = 0; row < rowCount(); ++row) {
            texts.push_back(foldedText(row, column));
        }
        ranks = rankTexts(texts);
    }
    return ranks[static_cast<std::size_t>(row)];
}

bool ReviewTableModel::isTicked(int row) const {
    return ticks_.isTicked(row);
}

int ReviewTableModel::recordOf(int row) const {
    return ticks_.index(row).data(ProblemListModel::recordRole).toInt();
}

QVariant ReviewTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text(row, index.column());
    case Qt::CheckStateRole:
        if (index.column() == areaColumn) {
            return isTicked(row) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::AccessibleDescriptionRole:
        return isTicked(row) ? QStringLiteral("ticked for fixing") : QStringLiteral("not ticked");
    case moduleRole:
        return moduleOf(row);
    case recordRole:
        return recordOf(row);
    default:
        return {};
    }
}

QVariant ReviewTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case areaColumn:
        return QStringLiteral("Area");
    case problemColumn:
        return QStringLiteral("Problem");
    case keyPathColumn:
        return QStringLiteral("Key path");
    case valueNameColumn:
        return QStringLiteral("Value name");
    case dataColumn:
        return QStringLiteral("Data as found");
    case actionColumn:
        return QStringLiteral("Fix will");
    default:
        return {};
    }
}

Qt::ItemFlags ReviewTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == areaColumn) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

bool ReviewTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole) {
        return false;
    }
    ticks_.setTicked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void ReviewTableModel::setRowsTicked(const std::vector<int>& rows, bool ticked) {
    std::vector<std::size_t> records;
    records.reserve(rows.size());
    for (const int row : rows) {
        records.push_back(static_cast<std::size_t>(recordOf(row)));
    }
    ticks_.setRecordsTicked(records, ticked);
}

} // namespace tolvane
