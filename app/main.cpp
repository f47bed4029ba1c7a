// tolvane: the desktop program. Everything but wiring lives in CHollinApp and the ui library.
#include "app/CHollinApp.h"
#include "app/ModuleFactories.h"
#include "ui/CHollinDlg.h"
#include "ui/DesktopLinkOpener.h"
#include "ui/ProductInfo.h"
#include "ui/QtDialogs.h"
#include "ui/Theme.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tolvane"));
    QApplication::setApplicationDisplayName(QString::fromLatin1(tolvane::product::name));
    QApplication::setApplicationVersion(QString::fromLatin1(tolvane::product::version));
    QApplication::setDesktopFileName(QStringLiteral("tolvane"));
    // The window hides to the notification area; only Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    tolvane::Theme theme;
    tolvane::QtDialogs dialogs(theme);
    tolvane::DesktopLinkOpener links;
    tolvane::CHollinApp app(tolvane::CHollinApp::Options::fromEnvironment(), dialogs, links, theme,
                            tolvane::ModuleFactories::standard());
    if (auto started = app.start(); !started) {
        dialogs.error(nullptr, QString::fromLatin1(tolvane::product::name),
                      QString::fromStdString(started.message()));
        return 1;
    }
    QObject::connect(app.mainWindow(), &QDialog::finished, &application, &QApplication::quit);
    return QApplication::exec();
}
