#pragma once

#include <QPixmap>
#include <QRectF>
#include <array>
#include <string_view>

class QPainter;

namespace tolvane {

class Theme;

// The icons of the launchers that make Wine prefixes, drawn here in the tint of each launcher:
// a tile with a white picture (Steam's piston, Lutris' game pad, a bottle, Heroic's shield,
// PlayOnLinux' play sign, Phoenicis' flame, CrossOver's cross, winetricks' wand, a wine glass).
class LauncherIcons {
public:
    enum class Launcher {
        steam,
        lutris,
        bottles,
        heroic,
        playOnLinux,
        phoenicis,
        crossOver,
        winetricks,
        wine
    };
    static constexpr int count = 9;
    static constexpr int side = 32;

    explicit LauncherIcons(const Theme& theme);

    // The launcher a discovered prefix names ("Steam", "PlayOnLinux", ...); plain Wine for
    // $WINEPREFIX, ~/.wine and anything unknown.
    static Launcher fromName(std::string_view name);

    void paint(QPainter& painter, Launcher launcher, const QRectF& area) const;
    // The icon at 32 by 32 pixels, drawn once.
    const QPixmap& pixmap(Launcher launcher) const;

private:
    static void paintPicture(QPainter& painter, Launcher launcher);

    const Theme& theme_;
    std::array<QPixmap, count> pixmaps_;
};

} // namespace tolvane
