#include "ui/ProblemRowDelegate.h"

#include "ui/Artwork.h"
#include "ui/ProblemListModel.h"
#include "ui/Theme.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace tolvane {

namespace {

constexpr int iconLeft = 10;
constexpr int textLeft = iconLeft + ModuleIcons::side + 12;
constexpr int markSide = 16;
constexpr int markRight = 12;

} // namespace

ProblemRowDelegate::ProblemRowDelegate(const Theme& theme, QObject* parent)
    : QStyledItemDelegate(parent), theme_(theme), icons_(theme) {}

QSize ProblemRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), rowHeight};
}

void ProblemRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const bool ticked = index.data(ProblemListModel::tickedRole).toBool();
    const QRect row = option.rect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);

    QColor fill = index.row() % 2 == 0 ? theme_.rowFill() : theme_.rowAlternate();
    if (option.state & QStyle::State_MouseOver) {
        fill = theme_.rowSelected().lighter(104);
    }
    painter->fillRect(row, fill);
    painter->setPen(theme_.rowDivider());
    painter->drawLine(row.bottomLeft() + QPoint(textLeft, 0), row.bottomRight());

    const QRectF icon(row.left() + iconLeft, row.top() + (row.height() - ModuleIcons::side) / 2.0,
                      ModuleIcons::side, ModuleIcons::side);
    painter->setOpacity(ticked ? 1.0 : 0.35);
    painter->drawPixmap(icon.topLeft(),
                        icons_.pixmap(index.data(ProblemListModel::moduleRole).toInt()));
    painter->setOpacity(1.0);

    // The tick mark at the right: a filled round tick, or an empty ring when unticked.
    const QRectF mark(row.right() - markRight - markSide,
                      row.top() + (row.height() - markSide) / 2.0, markSide, markSide);
    if (ticked) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(theme_.accentGradient(mark));
        painter->drawEllipse(mark);
        painter->setPen(QPen(theme_.checkMark(), 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPolyline(Artwork::tick(mark.center(), 3.5));
    } else {
        painter->setPen(QPen(theme_.checkOff(), 1.4));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(mark.adjusted(0.7, 0.7, -0.7, -0.7));
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    const QString name = lineBreak < 0 ? text : text.left(lineBreak);
    const QString description = lineBreak < 0 ? QString() : text.mid(lineBreak + 1);
    const int textWidth = row.width() - textLeft - markSide - markRight - 10;
    const QColor nameColour = ticked ? theme_.text() : theme_.rowDisabledText();
    const QColor descriptionColour = ticked ? theme_.mutedText() : theme_.rowDisabledText();

    painter->setFont(theme_.valueFont());
    painter->setPen(nameColour);
    const QRect nameArea(row.left() + textLeft, row.top() + 8, textWidth, 18);
    painter->drawText(nameArea, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(painter->font()).elidedText(name, Qt::ElideRight, textWidth));
    // The description takes the two lines below; what does not fit ends in an ellipsis.
    painter->setFont(theme_.smallFont());
    painter->setPen(descriptionColour);
    const QFontMetrics metrics(painter->font());
    const int top = nameArea.bottom() + 3;
    const int lines = qMax(1, (row.bottom() - nameArea.bottom() - 8) / metrics.lineSpacing());
    const QStringList shown = descriptionLines(description, painter->font(), textWidth, lines);
    for (qsizetype line = 0; line < shown.size(); ++line) {
        painter->drawText(QRect(row.left() + textLeft,
                                top + static_cast<int>(line) * metrics.lineSpacing(), textWidth,
                                metrics.lineSpacing()),
                          Qt::AlignLeft | Qt::AlignTop, shown[line]);
    }
    painter->restore();
}

QStringList ProblemRowDelegate::descriptionLines(const QString& description, const QFont& font,
                                                 int width, int maxLines) {
    // Registry paths have no spaces: they break anywhere, but words break only between them.
    QTextLayout layout(description, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    qsizetype lastStart = 0;
    bool more = false;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines) {
            more = true;
            break;
        }
        lastStart = line.textStart();
        lines.push_back(description.mid(lastStart, line.textLength()));
    }
    layout.endLayout();
    if (more) {
        // The last line shown runs on into what did not fit, cut with an ellipsis.
        lines.back() =
            QFontMetrics(font).elidedText(description.mid(lastStart), Qt::ElideRight, width);
    }
    for (QString& line : lines) {
        // A line broken at a space keeps the space at its end.
        while (line.endsWith(QLatin1Char(' '))) {
            line.chop(1);
        }
    }
    return lines;
}

} // namespace tolvane
