#include "ui/ProblemListModel.h"

#include "engine/ProblemList.h"
#include "ui/CoreText.h"

#include <algorithm>

namespace tolvane {

ProblemListModel::ProblemListModel(QObject* parent) : QAbstractListModel(parent) {}

void ProblemListModel::fill(ProblemList* records) {
    beginResetModel();
    records_ = records;
    leftOut_.assign(records_ != nullptr ? records_->count() : 0, false);
    if (records_ != nullptr) {
        for (auto& record : *records_) {
            if (record.entryKind != entrykind::fixed) {
                record.selected = 1;
            }
        }
    }
    rebuildRows();
    endResetModel();
    Q_EMIT ticksChanged();
}

void ProblemListModel::refill() {
    beginResetModel();
    rebuildRows();
    endResetModel();
    Q_EMIT ticksChanged();
}

void ProblemListModel::rebuildRows() {
    rows_.clear();
    rowOf_.clear();
    if (records_ == nullptr) {
        return;
    }
    rows_.reserve(records_->count());
    rowOf_.assign(records_->count(), -1);
    leftOut_.resize(records_->count(), false);
    for (std::size_t index = 0; index < records_->count(); ++index) {
        if ((*records_)[index].entryKind != entrykind::fixed && !leftOut_[index]) {
            rowOf_[index] = static_cast<int>(rows_.size());
            rows_.push_back(index);
        }
    }
}

int ProblemListModel::leaveOut(const std::vector<std::size_t>& recordIndexes) {
    int taken = 0;
    for (const std::size_t record : recordIndexes) {
        if (rowOfRecord(record) < 0) {
            continue;
        }
        (*records_)[record].selected = 0;
        leftOut_[record] = true;
        ++taken;
    }
    if (taken > 0) {
        refill();
    }
    return taken;
}

int ProblemListModel::rowOfRecord(std::size_t recordIndex) const {
    return recordIndex < rowOf_.size() ? rowOf_[recordIndex] : -1;
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
    case Qt::AccessibleTextRole:
        // Read out on one line: screen readers stop at a line break.
        return fromCore(record.problemName) + QStringLiteral(": ") + fromCore(record.description);
    case Qt::CheckStateRole:
        // For assistive tools; the row's own tick box is painted by the delegate.
        return isTicked(row) ? Qt::Checked : Qt::Unchecked;
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

Qt::ItemFlags ProblemListModel::flags(const QModelIndex& index) const {
    // Checkable so that assistive tools report the tick; ticking goes through setTicked.
    return QAbstractListModel::flags(index) | Qt::ItemIsUserCheckable;
}

bool ProblemListModel::isTicked(int row) const {
    return isRow(row) && (*records_)[rows_[static_cast<std::size_t>(row)]].selected != 0;
}

void ProblemListModel::setTicked(int row, bool ticked) {
    if (!isRow(row)) {
        return;
    }
    (*records_)[rows_[static_cast<std::size_t>(row)]].selected = ticked ? 1 : 0;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {tickedRole, Qt::CheckStateRole});
    Q_EMIT ticksChanged();
}

void ProblemListModel::setAllTicked(bool ticked) {
    for (const std::size_t record : rows_) {
        (*records_)[record].selected = ticked ? 1 : 0;
    }
    if (!rows_.empty()) {
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {tickedRole, Qt::CheckStateRole});
    }
    Q_EMIT ticksChanged();
}

void ProblemListModel::setRecordsTicked(const std::vector<std::size_t>& recordIndexes,
                                        bool ticked) {
    int first = rowCount();
    int last = -1;
    for (const std::size_t record : recordIndexes) {
        const int row = rowOfRecord(record);
        if (row < 0) {
            continue;
        }
        (*records_)[record].selected = ticked ? 1 : 0;
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (last >= 0) {
        Q_EMIT dataChanged(index(first), index(last), {tickedRole, Qt::CheckStateRole});
        Q_EMIT ticksChanged();
    }
}

void ProblemListModel::toggle(int row) {
    setTicked(row, !isTicked(row));
}

bool ProblemListModel::anyTicked() const {
    for (int row = 0; row < rowCount(); ++row) {
        if (isTicked(row)) {
            return true;
        }
    }
    return false;
}

int ProblemListModel::tickedCount() const {
    int ticked = 0;
    for (int row = 0; row < rowCount(); ++row) {
        ticked += isTicked(row) ? 1 : 0;
    }
    return ticked;
}

} // namespace tolvane
