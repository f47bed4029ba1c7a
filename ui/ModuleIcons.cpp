#include "ui/ModuleIcons.h"

#include "ui/Artwork.h"
#include "ui/Theme.h"

#include <QPainter>

namespace tolvane {

ModuleIcons::ModuleIcons(const Theme& theme) : theme_(theme) {
    for (int id = 0; id < moduleCount; ++id) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(painter, id, QRectF(0, 0, side, side));
        painter.end();
        pixmaps_[static_cast<std::size_t>(id)] = pixmap;
    }
    blank_ = QPixmap(side, side);
    blank_.fill(Qt::transparent);
}

const QPixmap& ModuleIcons::pixmap(int moduleId) const {
    return isModuleId(moduleId) ? pixmaps_[static_cast<std::size_t>(moduleId)] : blank_;
}

void ModuleIcons::paint(QPainter& painter, int moduleId, const QRectF& area) const {
    painter.save();
    Artwork(theme_).beginIconTile(painter, area, theme_.moduleTint(moduleId), 118, 112);
    paintPicture(painter, moduleId);
    painter.restore();
}

void ModuleIcons::paintPicture(QPainter& p, int moduleId) const {
    const QColor white = theme_.checkMark();
    switch (moduleId) {
    case moduleid::components: {
        // Three linked parts: the COM classes, interfaces and type libraries.
        p.drawRoundedRect(QRectF(3, 3, 8, 8), 1.5, 1.5);
        p.drawRoundedRect(QRectF(13, 13, 8, 8), 1.5, 1.5);
        p.setBrush(white);
        p.drawRoundedRect(QRectF(13, 3, 8, 8), 1.5, 1.5);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(7, 11), QPointF(7, 17));
        p.drawLine(QPointF(7, 17), QPointF(13, 17));
        break;
    }
    case moduleid::userSettings:
        p.drawEllipse(QPointF(12, 8), 4.5, 4.5);
        p.drawArc(QRectF(3.5, 14, 17, 14), 0, 180 * 16);
        break;
    case moduleid::systemSettings:
        // A monitor.
        p.drawRoundedRect(QRectF(2.5, 3.5, 19, 13), 2, 2);
        p.drawLine(QPointF(12, 16.5), QPointF(12, 20.5));
        p.drawLine(QPointF(7.5, 20.5), QPointF(16.5, 20.5));
        break;
    case moduleid::sharedDlls:
        // Two chain links.
        p.save();
        p.translate(12, 12);
        p.rotate(-45);
        p.drawRoundedRect(QRectF(-10, -3.5, 11, 7), 3.5, 3.5);
        p.drawRoundedRect(QRectF(-1, -3.5, 11, 7), 3.5, 3.5);
        p.restore();
        break;
    case moduleid::drivers:
        // A chip with its pins.
        p.drawRoundedRect(QRectF(6, 6, 12, 12), 2, 2);
        for (const qreal at : {9.0, 12.0, 15.0}) {
            p.drawLine(QPointF(at, 2.5), QPointF(at, 5));
            p.drawLine(QPointF(at, 19), QPointF(at, 21.5));
            p.drawLine(QPointF(2.5, at), QPointF(5, at));
            p.drawLine(QPointF(19, at), QPointF(21.5, at));
        }
        break;
    case moduleid::fileExtensions: {
        // A page with a folded corner and a dot-extension mark.
        p.drawPolygon(QPolygonF({QPointF(5, 2.5), QPointF(14, 2.5), QPointF(19, 7.5),
                                 QPointF(19, 21.5), QPointF(5, 21.5)}));
        p.drawPolyline(QPolygonF({QPointF(14, 2.5), QPointF(14, 7.5), QPointF(19, 7.5)}));
        p.setBrush(white);
        p.drawEllipse(QPointF(8.5, 16.5), 1.2, 1.2);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(11.5, 16.5), QPointF(16, 16.5));
        break;
    }
    case moduleid::appPaths: {
        // A folder with an arrow into it.
        p.drawPolygon(QPolygonF({QPointF(2.5, 6), QPointF(9, 6), QPointF(11, 8.5),
                                 QPointF(21.5, 8.5), QPointF(21.5, 20), QPointF(2.5, 20)}));
        p.drawLine(QPointF(7, 14.5), QPointF(16, 14.5));
        p.drawPolyline(QPolygonF({QPointF(13, 11.5), QPointF(16, 14.5), QPointF(13, 17.5)}));
        break;
    }
    case moduleid::fonts:
        // A serif capital A.
        p.drawPolyline(QPolygonF({QPointF(4, 21), QPointF(12, 2.5), QPointF(20, 21)}));
        p.drawLine(QPointF(7.5, 14), QPointF(16.5, 14));
        p.drawLine(QPointF(2, 21), QPointF(7, 21));
        p.drawLine(QPointF(17, 21), QPointF(22, 21));
        break;
    case moduleid::fileAssociations: {
        // A page opened by a program: the page and a broken link beside it.
        p.drawRoundedRect(QRectF(3, 2.5, 11, 15), 1.5, 1.5);
        p.drawLine(QPointF(6, 7), QPointF(11, 7));
        p.drawLine(QPointF(6, 10.5), QPointF(11, 10.5));
        p.drawEllipse(QPointF(17, 17), 4.5, 4.5);
        p.drawLine(QPointF(14, 20), QPointF(20, 14));
        break;
    }
    case moduleid::startup: {
        // A power symbol.
        p.drawArc(QRectF(3.5, 4.5, 17, 17), 120 * 16, 300 * 16);
        p.drawLine(QPointF(12, 2.5), QPointF(12, 11));
        break;
    }
    case moduleid::sounds: {
        p.setBrush(white);
        p.drawPolygon(QPolygonF({QPointF(3, 9), QPointF(7, 9), QPointF(12, 4.5), QPointF(12, 19.5),
                                 QPointF(7, 15), QPointF(3, 15)}));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10, 8, 8, 8), -50 * 16, 100 * 16);
        p.drawArc(QRectF(9, 4.5, 13, 15), -50 * 16, 100 * 16);
        break;
    }
    case moduleid::uninstall: {
        // A box with a minus sign on it.
        p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(3, 21), QPointF(21, 21), QPointF(21, 8)}));
        p.drawRoundedRect(QRectF(2, 4, 20, 4.5), 1, 1);
        p.drawLine(QPointF(8.5, 14.5), QPointF(15.5, 14.5));
        break;
    }
    case moduleid::help:
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.drawArc(QRectF(8.5, 6, 7, 7), 200 * 16, -250 * 16);
        p.drawLine(QPointF(12, 13), QPointF(12, 14.5));
        p.setBrush(white);
        p.drawEllipse(QPointF(12, 17.8), 0.9, 0.9);
        break;
    default:
        break;
    }
}

} // namespace tolvane
