#include "ui/LauncherIcons.h"

#include "ui/Artwork.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace tolvane {

LauncherIcons::LauncherIcons(const Theme& theme) : theme_(theme) {
    for (int index = 0; index < count; ++index) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(painter, static_cast<Launcher>(index), QRectF(0, 0, side, side));
        painter.end();
        pixmaps_[static_cast<std::size_t>(index)] = pixmap;
    }
}

LauncherIcons::Launcher LauncherIcons::fromName(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, Launcher>, 8> names{{
        {"Steam", Launcher::steam},
        {"Lutris", Launcher::lutris},
        {"Bottles", Launcher::bottles},
        {"Heroic", Launcher::heroic},
        {"PlayOnLinux", Launcher::playOnLinux},
        {"Phoenicis", Launcher::phoenicis},
        {"CrossOver", Launcher::crossOver},
        {"winetricks", Launcher::winetricks},
    }};
    for (const auto& [known, launcher] : names) {
        if (known == name) {
            return launcher;
        }
    }
    return Launcher::wine;
}

const QPixmap& LauncherIcons::pixmap(Launcher launcher) const {
    return pixmaps_[static_cast<std::size_t>(launcher)];
}

void LauncherIcons::paint(QPainter& painter, Launcher launcher, const QRectF& area) const {
    painter.save();
    Artwork(theme_).beginIconTile(painter, area, theme_.launcherTint(static_cast<int>(launcher)),
                                  125, 110);
    paintPicture(painter, launcher);
    painter.restore();
}

void LauncherIcons::paintPicture(QPainter& p, Launcher launcher) {
    const QColor white = p.pen().color();
    switch (launcher) {
    case Launcher::steam:
        // The piston: a wheel, a rod and a small knob.
        p.drawEllipse(QPointF(15, 9), 5.5, 5.5);
        p.setBrush(white);
        p.drawEllipse(QPointF(15, 9), 2, 2);
        p.drawEllipse(QPointF(6, 17), 3, 3);
        p.drawLine(QPointF(6, 17), QPointF(12, 12));
        break;
    case Launcher::lutris:
        // A game pad: a cross on the left, two buttons on the right.
        p.drawRoundedRect(QRectF(1.5, 6, 21, 12), 6, 6);
        p.drawLine(QPointF(7, 9.5), QPointF(7, 14.5));
        p.drawLine(QPointF(4.5, 12), QPointF(9.5, 12));
        p.setBrush(white);
        p.drawEllipse(QPointF(15.5, 10.5), 1.2, 1.2);
        p.drawEllipse(QPointF(18, 13.5), 1.2, 1.2);
        break;
    case Launcher::bottles:
        // A bottle with its label.
        p.drawPolygon(QPolygonF({QPointF(10, 2), QPointF(14, 2), QPointF(14, 7), QPointF(18, 11),
                                 QPointF(18, 22), QPointF(6, 22), QPointF(6, 11), QPointF(10, 7)}));
        p.drawLine(QPointF(6, 15), QPointF(18, 15));
        break;
    case Launcher::heroic: {
        // A shield with a chevron.
        QPainterPath shield;
        shield.moveTo(12, 2);
        shield.lineTo(21, 5);
        shield.cubicTo(21, 14, 17, 19, 12, 22);
        shield.cubicTo(7, 19, 3, 14, 3, 5);
        shield.closeSubpath();
        p.drawPath(shield);
        p.drawPolyline(QPolygonF({QPointF(8, 10), QPointF(12, 14), QPointF(16, 10)}));
        break;
    }
    case Launcher::playOnLinux:
        // A play sign in a ring.
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setBrush(white);
        p.drawPolygon(QPolygonF({QPointF(9.5, 7), QPointF(17, 12), QPointF(9.5, 17)}));
        break;
    case Launcher::phoenicis: {
        // A flame.
        QPainterPath flame;
        flame.moveTo(12, 2);
        flame.cubicTo(18, 8, 20, 13, 18, 17);
        flame.cubicTo(16, 21, 8, 21, 6, 17);
        flame.cubicTo(4, 13, 8, 10, 9, 6);
        flame.cubicTo(11, 9, 12, 11, 12, 13);
        flame.closeSubpath();
        p.drawPath(flame);
        break;
    }
    case Launcher::crossOver:
        // Two crossing strokes in a ring.
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setPen(QPen(white, 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7.5, 7.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(7.5, 16.5));
        break;
    case Launcher::winetricks:
        // A wand with a spark.
        p.drawLine(QPointF(3, 21), QPointF(14, 10));
        p.setBrush(white);
        p.drawPolygon(
            QPolygonF({QPointF(18, 2), QPointF(19.3, 4.7), QPointF(22, 6), QPointF(19.3, 7.3),
                       QPointF(18, 10), QPointF(16.7, 7.3), QPointF(14, 6), QPointF(16.7, 4.7)}));
        break;
    case Launcher::wine: {
        // A wine glass.
        QPainterPath bowl;
        bowl.moveTo(6, 2);
        bowl.lineTo(18, 2);
        bowl.cubicTo(18, 9, 16, 13, 12, 13);
        bowl.cubicTo(8, 13, 6, 9, 6, 2);
        p.drawPath(bowl);
        p.drawLine(QPointF(12, 13), QPointF(12, 21));
        p.drawLine(QPointF(7.5, 21.5), QPointF(16.5, 21.5));
        p.setBrush(white);
        p.setPen(Qt::NoPen);
        QPainterPath wine;
        wine.moveTo(6.6, 6);
        wine.lineTo(17.4, 6);
        wine.cubicTo(17, 10, 15, 12, 12, 12);
        wine.cubicTo(9, 12, 7, 10, 6.6, 6);
        p.drawPath(wine);
        break;
    }
    }
}

} // namespace tolvane
