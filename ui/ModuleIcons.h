#pragma once

#include "engine/ModuleTable.h"

#include <QPixmap>
#include <QRectF>
#include <array>

class QPainter;

namespace tolvane {

class Theme;

// The thirteen scan modules' icons: a tile in the module's tint with a white picture of the
// area it cleans (COM parts, a user, the system, linked libraries, a chip, ...).
class ModuleIcons {
public:
    static constexpr int side = 32;

    explicit ModuleIcons(const Theme& theme);

    void paint(QPainter& painter, int moduleId, const QRectF& area) const;
    // The icon at 32 by 32 pixels (drawn once); a blank one for a number that is no module.
    const QPixmap& pixmap(int moduleId) const;

private:
    void paintPicture(QPainter& painter, int moduleId) const;

    const Theme& theme_;
    std::array<QPixmap, moduleCount> pixmaps_;
    QPixmap blank_;
};

} // namespace tolvane
