#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

namespace tolvane {

class ProblemListModel;

// The review window's table: the rows of the results list (same rows, same order), one column
// per thing a reviewer wants to see. The ticks are the results list's own (ProblemListModel):
// ticking here ticks there and the other way round. The texts of every row are made once per
// fill, so sorting and filtering tens of thousands of rows never goes back to the records.
class ReviewTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        areaColumn,
        problemColumn,
        keyPathColumn,
        valueNameColumn,
        dataColumn,
        actionColumn,
        columnTotal
    };
    // int: the module of the row.
    static constexpr int moduleRole = Qt::UserRole;
    // int: the row's record in the merged list.
    static constexpr int recordRole = Qt::UserRole + 1;

    explicit ReviewTableModel(ProblemListModel& ticks, QObject* parent = nullptr);

    // Checked here instead of through rowCount() and columnCount(): a sort asks for two indexes
    // per comparison, a million of them for a large table.
    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    const QString& text(int row, int column) const;
    // The text case-folded once, for sorting and searching without folding on every compare.
    QStringView foldedText(int row, int column) const;
    // The row's place among all rows ordered by the column's folded text (equal texts share a
    // place). Worked out once per column and fill, so a sort compares two integers.
    int sortRank(int row, int column) const;
    int moduleOf(int row) const { return modules_[static_cast<std::size_t>(row)]; }
    bool isTicked(int row) const;
    // Ticks or unticks the given rows with one change notice.
    void setRowsTicked(const std::vector<int>& rows, bool ticked);
    // The record behind a row.
    int recordOf(int row) const;

private:
    void rebuild();

    ProblemListModel& ticks_;
    std::vector<std::array<QString, columnTotal>> texts_;
    // One column's folded texts end to end, so searching and ordering read memory in row order.
    struct FoldedColumn {
        QString units;
        std::vector<qsizetype> starts; // row n is units[starts[n], starts[n + 1])
    };
    std::array<FoldedColumn, columnTotal> folded_;
    std::vector<int> modules_;
    // Per column: empty until the column is first sorted.
    mutable std::array<std::vector<int>, columnTotal> ranks_;
};

} // namespace tolvane
