#include "ui/Artwork.h"

#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace tolvane {

namespace {

// Glyphs are drawn on a 24 by 24 grid and scaled into their area.
class GlyphCanvas {
public:
    GlyphCanvas(QPainter& painter, const QRectF& area, const QColor& colour) : painter_(painter) {
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing);
        const qreal side = qMin(area.width(), area.height());
        painter_.translate(area.center().x() - side / 2, area.center().y() - side / 2);
        painter_.scale(side / 24.0, side / 24.0);
        QPen pen(colour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
    }
    ~GlyphCanvas() { painter_.restore(); }
    GlyphCanvas(const GlyphCanvas&) = delete;
    GlyphCanvas& operator=(const GlyphCanvas&) = delete;

    QPainter& p() { return painter_; }
    void fillWithPen() { painter_.setBrush(painter_.pen().color()); }

private:
    QPainter& painter_;
};

void drawGear(QPainter& p) {
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal angle = i * M_PI / teeth;
        const qreal radius = (i % 2 == 0) ? 9.5 : 7.2;
        const QPointF a(12 + radius * qCos(angle - 0.18), 12 + radius * qSin(angle - 0.18));
        const QPointF b(12 + radius * qCos(angle + 0.18), 12 + radius * qSin(angle + 0.18));
        if (i == 0) {
            gear.moveTo(a);
        } else {
            gear.lineTo(a);
        }
        gear.lineTo(b);
    }
    gear.closeSubpath();
    p.drawPath(gear);
    p.drawEllipse(QPointF(12, 12), 3.0, 3.0);
}

} // namespace

void Artwork::paintLogo(QPainter& painter, const QRectF& area) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(area.width(), area.height());
    const QRectF tile(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme_.accentGradient(tile));
    painter.drawRoundedRect(tile, side * 0.24, side * 0.24);

    // A registry tree: a trunk with three branches; the last branch ends in a sparkle, the
    // entry that was cleaned away.
    const qreal u = side / 24.0;
    const auto at = [&](qreal x, qreal y) {
        return QPointF(tile.left() + x * u, tile.top() + y * u);
    };
    QPen pen(QColor(255, 255, 255), 1.9 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.drawLine(at(7, 5.5), at(7, 17));
    painter.drawLine(at(7, 9), at(12, 9));
    painter.drawLine(at(7, 13.5), at(12, 13.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255));
    painter.drawEllipse(at(7, 5.5), 2.1 * u, 2.1 * u);
    painter.drawRoundedRect(QRectF(at(12, 7.6), QSizeF(6.5 * u, 2.8 * u)), 1.2 * u, 1.2 * u);
    painter.drawRoundedRect(QRectF(at(12, 12.1), QSizeF(6.5 * u, 2.8 * u)), 1.2 * u, 1.2 * u);
    QPainterPath sparkle;
    const QPointF c = at(15.5, 18.2);
    const qreal r = 3.2 * u;
    const qreal k = 0.9 * u;
    sparkle.moveTo(c.x(), c.y() - r);
    sparkle.quadTo(c.x() + k * 0.3, c.y() - k * 0.3, c.x() + r, c.y());
    sparkle.quadTo(c.x() + k * 0.3, c.y() + k * 0.3, c.x(), c.y() + r);
    sparkle.quadTo(c.x() - k * 0.3, c.y() + k * 0.3, c.x() - r, c.y());
    sparkle.quadTo(c.x() - k * 0.3, c.y() - k * 0.3, c.x(), c.y() - r);
    painter.drawPath(sparkle);
    painter.restore();
}

void Artwork::paintGlyph(QPainter& painter, Glyph glyph, const QRectF& area,
                         const QColor& colour) const {
    GlyphCanvas canvas(painter, area, colour);
    QPainter& p = canvas.p();
    switch (glyph) {
    case Glyph::overview:
        // A gauge.
        p.drawArc(QRectF(3, 5, 18, 18), 0, 180 * 16);
        p.drawLine(QPointF(3, 14), QPointF(21, 14));
        p.drawLine(QPointF(12, 14), QPointF(16.5, 8.5));
        canvas.fillWithPen();
        p.drawEllipse(QPointF(12, 14), 1.6, 1.6);
        p.drawLine(QPointF(5, 19), QPointF(19, 19));
        break;
    case Glyph::scanner:
        p.drawEllipse(QPointF(10.5, 10.5), 6.0, 6.0);
        p.drawLine(QPointF(15, 15), QPointF(20.5, 20.5));
        p.drawLine(QPointF(8, 10.5), QPointF(13, 10.5));
        break;
    case Glyph::defrag:
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRectF cell(4 + column * 6, 4 + row * 6, 4.5, 4.5);
                if ((row + column) % 2 == 0) {
                    p.setBrush(colour);
                } else {
                    p.setBrush(Qt::NoBrush);
                }
                p.drawRoundedRect(cell, 1, 1);
            }
        }
        break;
    case Glyph::backup: {
        QPainterPath shield;
        shield.moveTo(12, 3);
        shield.lineTo(19.5, 6);
        shield.cubicTo(19.5, 13, 17, 18, 12, 21);
        shield.cubicTo(7, 18, 4.5, 13, 4.5, 6);
        shield.closeSubpath();
        p.drawPath(shield);
        p.drawPolyline(QPolygonF({QPointF(8.5, 12), QPointF(11, 14.5), QPointF(15.5, 9.5)}));
        break;
    }
    case Glyph::settings:
        drawGear(p);
        break;
    case Glyph::help:
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.drawArc(QRectF(9, 6.5, 6, 6), 200 * 16, -250 * 16);
        p.drawLine(QPointF(12, 12.5), QPointF(12, 14));
        canvas.fillWithPen();
        p.drawEllipse(QPointF(12, 17), 0.8, 0.8);
        break;
    case Glyph::about:
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.drawLine(QPointF(12, 11), QPointF(12, 17));
        canvas.fillWithPen();
        p.drawEllipse(QPointF(12, 7.5), 0.8, 0.8);
        break;
    case Glyph::bonus: {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal angle = -M_PI / 2 + i * M_PI / 5;
            const qreal radius = (i % 2 == 0) ? 9.0 : 4.0;
            star << QPointF(12 + radius * qCos(angle), 12.8 + radius * qSin(angle));
        }
        p.drawPolygon(star);
        break;
    }
    case Glyph::minimize:
        p.drawLine(QPointF(6, 12), QPointF(18, 12));
        break;
    case Glyph::close:
        p.drawLine(QPointF(7, 7), QPointF(17, 17));
        p.drawLine(QPointF(17, 7), QPointF(7, 17));
        break;
    case Glyph::restore:
        p.drawArc(QRectF(4, 4, 16, 16), 90 * 16, 270 * 16);
        p.drawPolyline(QPolygonF({QPointF(12, 1.5), QPointF(12, 4), QPointF(14.5, 4)}));
        p.drawPolyline(QPolygonF({QPointF(12, 8), QPointF(12, 12), QPointF(15, 14)}));
        break;
    case Glyph::trash:
        p.drawLine(QPointF(4, 6.5), QPointF(20, 6.5));
        p.drawPolyline(
            QPolygonF({QPointF(9, 6.5), QPointF(9, 4), QPointF(15, 4), QPointF(15, 6.5)}));
        p.drawPolyline(
            QPolygonF({QPointF(6, 6.5), QPointF(7, 20), QPointF(17, 20), QPointF(18, 6.5)}));
        p.drawLine(QPointF(10.5, 10), QPointF(10.5, 16.5));
        p.drawLine(QPointF(13.5, 10), QPointF(13.5, 16.5));
        break;
    }
}

void Artwork::paintBadge(QPainter& painter, Glyph glyph, const QRectF& area) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(area.width(), area.height());
    const QRectF circle(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme_.accentGradient(circle));
    painter.drawEllipse(circle);
    painter.restore();
    paintGlyph(painter, glyph,
               circle.adjusted(side * 0.24, side * 0.24, -side * 0.24, -side * 0.24),
               QColor(255, 255, 255));
}

QIcon Artwork::appIcon() const {
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paintLogo(painter, QRectF(0, 0, side, side));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void Artwork::paintWave(QPainter& painter, const QRectF& area) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    for (int layer = 0; layer < 2; ++layer) {
        QPainterPath wave;
        const qreal base = area.top() + area.height() * (0.55 + 0.15 * layer);
        wave.moveTo(area.left(), area.bottom());
        wave.lineTo(area.left(), base);
        wave.cubicTo(area.left() + area.width() * 0.3, base - area.height() * (0.5 - 0.2 * layer),
                     area.left() + area.width() * 0.6, base + area.height() * 0.35, area.right(),
                     base - area.height() * 0.25);
        wave.lineTo(area.right(), area.bottom());
        wave.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme_.decorationFill());
        painter.drawPath(wave);
    }
    painter.restore();
}

void Artwork::beginIconTile(QPainter& painter, const QRectF& area, const QColor& tint, int lighter,
                            int darker) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal size = qMin(area.width(), area.height());
    const QRectF tile(area.center().x() - size / 2, area.center().y() - size / 2, size, size);
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, tint.lighter(lighter));
    fill.setColorAt(1, tint.darker(darker));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), size * 0.26, size * 0.26);
    // The picture is drawn on a 24 by 24 grid inside a margin of the tile.
    painter.translate(tile.left() + size * 0.16, tile.top() + size * 0.16);
    painter.scale(size * 0.68 / 24.0, size * 0.68 / 24.0);
    painter.setPen(QPen(theme_.checkMark(), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
}

QPolygonF Artwork::tick(const QPointF& centre, qreal halfWidth) {
    // The short stroke ends a quarter in from the left, a little below the centre.
    const qreal rise = halfWidth * 0.75;
    return QPolygonF({QPointF(centre.x() - halfWidth, centre.y()),
                      QPointF(centre.x() - halfWidth * 0.3, centre.y() + rise),
                      QPointF(centre.x() + halfWidth, centre.y() - rise)});
}

} // namespace tolvane
