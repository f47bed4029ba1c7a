#pragma once

#include <QPalette>
#include <QString>
#include <filesystem>
#include <vector>

namespace tolvane {

class CHollinApp;
class CTabPanel;
class ScanGate;

// Walks the main window through every page and saves each one as a PNG: the Scanner page, a
// scan in progress (held at `gate`, when the program's modules go through one) and its results
// (scanning the prefix the program opened), then Overview, Defrag, Backup (after two
// whole-registry backups, so it has rows), Settings, About, the prefix picker, and the review
// window of the scan in the desktop's light and dark palettes. A page that cannot be shown is
// left out of the files returned.
class ScreenshotTour {
public:
    ScreenshotTour(CHollinApp& app, std::filesystem::path outputFolder, ScanGate* gate = nullptr);

    // The files written, in page order.
    std::vector<std::filesystem::path> run();

private:
    void shoot(const char* name);
    // The Overview with the prefix picker open over it.
    void shootPicker();
    // The review window of the last scan, under the palette the application has now.
    void shootReview(const char* name);
    // A dark desktop palette for the windows drawn with the desktop's look.
    static QPalette darkPalette();
    bool showPage(int slot);
    void showMixedRows(CTabPanel& tabs);
    // Lets the event loop run until `done` holds or `milliseconds` pass.
    template <typename Condition>
    bool waitFor(Condition done, int milliseconds);

    CHollinApp& app_;
    std::filesystem::path outputFolder_;
    ScanGate* gate_;
    std::vector<std::filesystem::path> written_;
};

} // namespace tolvane
