#pragma once

#include <QColor>
#include <QIcon>
#include <QPolygonF>
#include <QRectF>

class QPainter;

namespace tolvane {

class Theme;

// The program's pictures, drawn with QPainter from the theme's colours: the logo, the icons of
// the navigation column and the pages, and the badges the pages use as decoration.
class Artwork {
public:
    enum class Glyph {
        overview,
        scanner,
        defrag,
        backup,
        settings,
        help,
        about,
        bonus,
        minimize,
        close,
        restore,
        trash,
    };

    explicit Artwork(const Theme& theme) : theme_(theme) {}

    // The application's mark: a gradient tile with a cleaned registry tree.
    void paintLogo(QPainter& painter, const QRectF& area) const;
    // One line icon, stroked in `colour`, fitted into `area`.
    void paintGlyph(QPainter& painter, Glyph glyph, const QRectF& area, const QColor& colour) const;
    // A round gradient badge holding a white glyph.
    void paintBadge(QPainter& painter, Glyph glyph, const QRectF& area) const;
    // The logo at the sizes a window and tray icon need.
    QIcon appIcon() const;
    // A soft wave band used as a page's decorative picture.
    void paintWave(QPainter& painter, const QRectF& area) const;
    // The tick of the check boxes and result rows, `halfWidth` either side of `centre`.
    static QPolygonF tick(const QPointF& centre, qreal halfWidth);
    // The rounded, tinted tile of a module or launcher icon in the square centred in `area`;
    // leaves `painter` mapped to the 24 by 24 grid of the picture, with the picture's pen.
    // The caller brackets it with save() and restore().
    void beginIconTile(QPainter& painter, const QRectF& area, const QColor& tint, int lighter,
                       int darker) const;

private:
    const Theme& theme_;
};

} // namespace tolvane
