#pragma once

#include <QList>
#include <QWidget>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace tolvane {

class Dialogs;
class ProblemListModel;
class ReviewFilterModel;
class ReviewTableModel;

// A resizable window of native widgets for reviewing many results: a table with one row per
// problem (area, problem, key path, value name, data, what the fix will do), search (Ctrl+F),
// filters by area and problem, sorting by any column, grouping by area with counts, ticking
// many rows at once (Space), copying (Ctrl+C), export to CSV, JSON or HTML, and "Ignore".
// The ticks are the results page's own.
class ProblemReviewWindow final : public QWidget {
    Q_OBJECT
public:
    ProblemReviewWindow(ProblemListModel& ticks, Dialogs& dialogs, QWidget* parent = nullptr);
    ~ProblemReviewWindow() override;

    QTableView& table() { return *table_; }
    ReviewFilterModel& filter() { return *filter_; }
    ReviewTableModel& rows() { return *table_model_; }

    // Shows the row of the results list `resultsRow` and makes it current.
    void focusRecordRow(int resultsRow);
    // Rows of the results list that are selected here (in the table's order).
    std::vector<int> selectedRows() const;
    // Space: ticks the selected rows, or unticks them when all are ticked already.
    void toggleSelected();
    void setSelectedTicked(bool ticked);
    // The selected rows (or the current one) as tab-separated text on the clipboard.
    void copySelection();
    // Writes the shown rows to `file` (format by its extension); an error text, or empty.
    QString exportShown(const QString& file) const;
    void exportWithDialog();
    void ignoreSelected();

Q_SIGNALS:
    // The user asked to ignore these records (indexes in the merged list of the scan).
    void ignoreRequested(QList<int> recordIndexes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refillFilters();
    void showCounts();
    std::vector<QStringList> shownRows(bool selectedOnly) const;

    ProblemListModel& ticks_;
    Dialogs& dialogs_;
    ReviewTableModel* table_model_ = nullptr;
    ReviewFilterModel* filter_ = nullptr;
    QTableView* table_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* area_ = nullptr;
    QComboBox* problem_ = nullptr;
    QCheckBox* group_ = nullptr;
    QLabel* counts_ = nullptr;
};

} // namespace tolvane
