#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <vector>

namespace tolvane {

class ProblemList;

// The rows of the results list: one per record of the last scan that is not fixed yet, in scan
// order. A row carries its record's index; its tick is the record's own `selected`, so the
// results page, the review window and the fix run all see one set of ticks. Rows are built from
// the records on demand, so a scan with a hundred thousand problems fills the list at once.
class ProblemListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        // int: the index of the row's record in the merged list.
        recordRole = Qt::UserRole,
        // bool: whether the row is ticked for fixing.
        tickedRole,
        // int: the module that found the problem.
        moduleRole,
        // QString: the second line, the problem's description.
        descriptionRole,
    };

    explicit ProblemListModel(QObject* parent = nullptr);

    // Rebuilds the rows from a new scan's `records` (null: no rows), every row ticked.
    void fill(ProblemList* records);
    void forget() { fill(nullptr); }
    // Rebuilds the rows from the same records (after a fix): fixed records drop out, the others
    // keep the ticks the user gave them.
    void refill();
    ProblemList* records() const { return records_; }
    // Takes the records out of the list for good (the user ignored them): unticked, so no fix
    // acts on them, and no longer listed until the next scan. Returns how many were listed.
    int leaveOut(const std::vector<std::size_t>& recordIndexes);
    // The row that shows record `recordIndex`; -1 when it is not listed (fixed, or no such).
    int rowOfRecord(std::size_t recordIndex) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Display: the problem name, a line break, the description.
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool isTicked(int row) const;
    void setTicked(int row, bool ticked);
    void setAllTicked(bool ticked);
    // Ticks or unticks listed records by their index in the merged list; fixed ones stay as
    // they are. One change notice for the lot.
    void setRecordsTicked(const std::vector<std::size_t>& recordIndexes, bool ticked);
    void toggle(int row);
    // Whether at least one listed row is ticked (what a fix would act on).
    bool anyTicked() const;
    // The number of ticked rows.
    int tickedCount() const;

Q_SIGNALS:
    // Ticks changed for some records (the review window follows them).
    void ticksChanged();

private:
    bool isRow(int row) const { return row >= 0 && row < rowCount(); }

    ProblemList* records_ = nullptr;
    void rebuildRows();

    std::vector<std::size_t> rows_;
    // For each record of the merged list, its row or -1.
    std::vector<int> rowOf_;
    // For each record of the merged list, whether the user ignored it since the scan.
    std::vector<bool> leftOut_;
};

} // namespace tolvane
