// tolvane-screenshots OUTPUT_FOLDER PREFIX WORK_FOLDER: opens PREFIX as the desktop program
// would (settings in WORK_FOLDER/config, backups in WORK_FOLDER/Backup), answers every dialog
// with the cautious answer, and saves a PNG of each page into OUTPUT_FOLDER. Run it through
// scripts/screenshots.
#include "app/CHollinApp.h"
#include "app/ModuleFactories.h"
#include "app/ScanGate.h"
#include "app/ScreenshotTour.h"
#include "engine/ModuleTable.h"
#include "platform/discovery/MapEnvironment.h"
#include "ui/ScriptedDialogs.h"
#include "ui/SilentLinkOpener.h"
#include "ui/Theme.h"

#include <QApplication>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tolvane-screenshots OUTPUT_FOLDER PREFIX WORK_FOLDER\n";
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const std::filesystem::path output = std::filesystem::absolute(argv[1]);
    const std::filesystem::path work = std::filesystem::absolute(argv[3]);
    std::filesystem::create_directories(output);
    std::filesystem::create_directories(work);

    tolvane::CHollinApp::Options options = tolvane::CHollinApp::Options::fromEnvironment();
    options.workingDirectory = work;
    options.configHome = work / "config";
    options.environmentPrefix = std::filesystem::absolute(argv[2]);
    options.home = work;
    // The picker's shot lists the prefixes of the work folder, as if it were the home.
    auto environment = std::make_shared<tolvane::discovery::MapEnvironment>();
    environment->set("HOME", work.string());
    environment->set("XDG_DATA_HOME", (work / ".local/share").string());
    environment->set("XDG_CONFIG_HOME", (work / ".config").string());
    environment->set("WINEPREFIX", options.environmentPrefix.string());
    options.hostEnvironment = environment;

    tolvane::Theme theme;
    tolvane::ScriptedDialogs dialogs;
    // The tour opens no browser; a link counts as taken so no status text spoils a shot.
    tolvane::SilentLinkOpener links;
    // The scan waits before the right-hand column's first module, so the progress page is
    // photographed with the left column counted.
    tolvane::ScanGate gate(tolvane::moduleid::fonts);
    tolvane::CHollinApp app(options, dialogs, links, theme,
                            gate.wrap(tolvane::ModuleFactories::standard()));
    if (auto started = app.start(); !started) {
        std::cerr << "tolvane-screenshots: " << started.message() << "\n";
        return 1;
    }
    for (const auto& file : tolvane::ScreenshotTour(app, output, &gate).run()) {
        std::cout << file.filename().string() << "\n";
    }
    for (const auto& dialog : dialogs.shown()) {
        std::cerr << "dialog: " << dialog.caption.toStdString() << ": " << dialog.text.toStdString()
                  << "\n";
    }
    return 0;
}
