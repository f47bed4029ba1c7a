#pragma once

#include <QSortFilterProxyModel>
#include <QString>
#include <unordered_map>

namespace tolvane {

class ReviewTableModel;

// What the review window shows of the table: rows matching the search text (in any column,
// ignoring case), one area and one kind of problem (or all), sorted by any column; grouped, the
// rows of each area stay together and the area column names its count.
class ReviewFilterModel final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ReviewFilterModel(ReviewTableModel& table, QObject* parent = nullptr);

    void setSearchText(const QString& text);
    // -1: every area.
    void setAreaFilter(int moduleId);
    // Empty: every kind of problem.
    void setProblemFilter(const QString& problemName);
    void setGrouped(bool grouped);
    bool grouped() const { return grouped_; }

    QVariant data(const QModelIndex& index, int role) const override;
    // Rows shown of one area.
    int shownInArea(int moduleId) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ReviewTableModel& table_;
    QString search_;
    int area_ = -1;
    QString problem_;
    bool grouped_ = false;
    mutable bool countsStale_ = true;
    mutable std::unordered_map<int, int> counts_;
};

} // namespace tolvane
