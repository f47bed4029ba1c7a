#include "ui/ProblemListModel.h"

#include "engine/ProblemList.h"
#include "ui/CoreText.h"

#include <algorithm>

namespace tolvane {

ProblemListModel::ProblemListModel(QObject* parent) : QAbstractListModel(parent) {}

void ProblemListModel::fill(ProblemList* records) {
    beginResetModel();
    records_ = records;
    rows_.clear();
    if (records_ != nullptr) {
        rows_.reserve(records_->count());
        for (std::size_t index = 0; index < records_->count(); ++index) {
            if ((*records_)[index].entryKind != entrykind::fixed) {
                rows_.push_back(index);
            }
        }
    }
    ticks_.assign(rows_.size(), 1);
    endResetModel();
}

int ProblemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ProblemListModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || !isRow(row) || records_ == nullptr) {
        return {};
    }
    const ProblemRecord& record = (*records_)[rows_[static_cast<std::size_t>(row)]];
    switch (role) {
    case Qt::DisplayRole:
        return fromCore(record.problemName) + QLatin1Char('\n') + fromCore(record.description);
    case Qt::ToolTipRole:
        return fromCore(record.description);
    case recordRole:
        return static_cast<qulonglong>(rows_[static_cast<std::size_t>(row)]);
    case tickedRole:
        return isTicked(row);
    case moduleRole:
        return record.moduleId;
    case descriptionRole:
        return fromCore(record.description);
    default:
        return {};
    }
}

bool ProblemListModel::isTicked(int row) const {
    return isRow(row) && ticks_[static_cast<std::size_t>(row)] != 0;
}

void ProblemListModel::setTicked(int row, bool ticked) {
    if (!isRow(row)) {
        return;
    }
    ticks_[static_cast<std::size_t>(row)] = ticked ? 1 : 0;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {tickedRole});
}

void ProblemListModel::setAllTicked(bool ticked) {
    std::fill(ticks_.begin(), ticks_.end(), ticked ? 1 : 0);
    if (!rows_.empty()) {
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {tickedRole});
    }
}

void ProblemListModel::toggle(int row) {
    if (!isRow(row) || records_ == nullptr) {
        return;
    }
    const bool ticked = !isTicked(row);
    setTicked(row, ticked);
    (*records_)[rows_[static_cast<std::size_t>(row)]].selected = ticked ? 1 : 0;
}

bool ProblemListModel::copyTicksToRecords() {
    if (records_ == nullptr) {
        return false;
    }
    bool anyTicked = false;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        (*records_)[rows_[row]].selected = ticks_[row];
        anyTicked = anyTicked || ticks_[row] != 0;
    }
    return anyTicked;
}

} // namespace tolvane
