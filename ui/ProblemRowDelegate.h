#pragma once

#include "ui/ModuleIcons.h"

#include <QStringList>
#include <QStyledItemDelegate>

namespace tolvane {

class Theme;

// Draws one row of the results list, 65 pixels high: the module's icon, the problem name on the
// first line and its description below. A row that is not ticked is drawn greyed.
class ProblemRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int rowHeight = 65;

    ProblemRowDelegate(const Theme& theme, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The description as drawn: at most `maxLines` lines of `width` pixels, broken between
    // words where it has spaces and anywhere inside a long path; what does not fit ends the
    // last line in an ellipsis.
    static QStringList descriptionLines(const QString& description, const QFont& font, int width,
                                        int maxLines);

private:
    const Theme& theme_;
    ModuleIcons icons_;
};

} // namespace tolvane
