#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <vector>

namespace tolvane {

class ProblemList;

// The rows of the results list: one per record of the last scan that is not fixed yet, in scan
// order. A row carries its record's index and its own tick; rows are built from the records on
// demand, so a scan with a hundred thousand problems fills the list at once.
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

    // Rebuilds the rows from `records` (null: no rows), every row ticked.
    void fill(ProblemList* records);
    void forget() { fill(nullptr); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Display: the problem name, a line break, the description.
    QVariant data(const QModelIndex& index, int role) const override;

    bool isTicked(int row) const;
    void setTicked(int row, bool ticked);
    void setAllTicked(bool ticked);
    // Flips the row's tick and copies it into its record's `selected`.
    void toggle(int row);
    // Copies every row's tick into its record; true when at least one row is ticked.
    bool copyTicksToRecords();

private:
    bool isRow(int row) const { return row >= 0 && row < rowCount(); }

    ProblemList* records_ = nullptr;
    std::vector<std::size_t> rows_;
    std::vector<char> ticks_;
};

} // namespace tolvane
