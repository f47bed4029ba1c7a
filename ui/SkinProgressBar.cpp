#include "ui/SkinProgressBar.h"

#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace tolvane {

SkinProgressBar::SkinProgressBar(const Theme& theme, QWidget* parent)
    : QProgressBar(parent), theme_(theme) {
    setTextVisible(false);
}

void SkinProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF groove = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = groove.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme_.barGroove());
    painter.drawRoundedRect(groove, radius, radius);
    const int span = maximum() - minimum();
    if (span <= 0) {
        return;
    }
    // A run of a third of the groove whose left end follows the value and wraps around.
    const qreal fraction = static_cast<qreal>(value() - minimum()) / span;
    const qreal runWidth = groove.width() / 3;
    const qreal start = groove.left() + fraction * groove.width();
    painter.setClipPath([&] {
        QPainterPath clip;
        clip.addRoundedRect(groove, radius, radius);
        return clip;
    }());
    for (const qreal offset : {0.0, -groove.width()}) {
        const QRectF run(start + offset, groove.top(), runWidth, groove.height());
        painter.setBrush(theme_.accentGradient(run));
        painter.drawRoundedRect(run, radius, radius);
        painter.setBrush(theme_.barHighlight());
        painter.drawRoundedRect(QRectF(run.left(), run.top(), run.width(), run.height() / 2),
                                radius / 2, radius / 2);
    }
}

} // namespace tolvane
