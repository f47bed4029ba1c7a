// Start-up of the desktop program: the backup folder, which Wine prefix is opened and how the
// user is asked for one, "Start Minimized in Tray" and "Run Scan at Startup".
#include "app/CHollinApp.h"
#include "app/PrefixSession.h"
#include "platform/ProfileStore.h"
#include "platform/prefix/UserProfile.h"
#include "tests/support/TempDir.h"
#include "tests/ui/UiBench.h"
#include "tests/ui/UiSuites.h"
#include "ui/CHollinDlg.h"
#include "ui/CTabPanel.h"
#include "ui/ScriptedDialogs.h"
#include "ui/Theme.h"

#include <QTest>
#include <filesystem>

namespace tolvane::test {

namespace {

std::string emptyBranch(const char* root) {
    return std::string("WINE REGISTRY Version 2\n;; All keys relative to ") + root +
           "\n\n#arch=win64\n";
}

// A prefix with empty registry files, enough for the program to open it.
void writePrefix(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "drive_c" / "windows" / "system32");
    writeFile(folder / "system.reg", emptyBranch("\\\\Machine"));
    writeFile(folder / "user.reg", emptyBranch("\\\\User\\\\S-1-5-21-0-0-0-1000"));
    writeFile(folder / "userdef.reg", emptyBranch("\\\\User\\\\.Default"));
}

// One start of the program over scratch folders: a home without ~/.wine unless a test makes
// one, its own config home and working directory.
class Start {
public:
    explicit Start(const TempDir& scratch, std::filesystem::path environmentPrefix = {})
        : app_(options(scratch, std::move(environmentPrefix)), dialogs, links, theme_,
               [](Platform&) -> ModuleFactory {
                   return [](int, ModuleSet&) -> std::unique_ptr<CModule> { return nullptr; };
               }) {}

    static CHollinApp::Options options(const TempDir& scratch, std::filesystem::path prefix) {
        CHollinApp::Options options;
        options.workingDirectory = scratch / "work";
        options.configHome = scratch / "config";
        options.dataHome = scratch / "data";
        options.executable = scratch / "bin" / "tolvane";
        options.environmentPrefix = std::move(prefix);
        options.home = scratch / "home";
        options.helpFile = scratch / "bin" / "Tolvane.html";
        return options;
    }

    CHollinApp& app() { return app_; }
    void start() {
        auto started = app_.start();
        QVERIFY2(started.ok(), started.ok() ? "" : started.message().c_str());
    }
    QString location() { return app_.session().location(); }

    ScriptedDialogs dialogs;
    RecordingLinks links;

private:
    Theme theme_;
    CHollinApp app_;
};

void setSettings(const TempDir& scratch, const char* entry, std::uint32_t value) {
    auto profile = prefix::UserProfile::open(scratch / "config", CHollinApp::applicationName);
    QVERIFY(profile.ok());
    profile.value()->store().writeProfileInt("Settings", entry, value);
}

} // namespace

class AppStartTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void winePrefixIsOpenedWithoutQuestionsAndBackupsGoToThePrefixsDataFolder() {
        TempDir scratch;
        std::filesystem::create_directories(scratch / "work");
        writePrefix(scratch / "wp");
        Start start(scratch, scratch / "wp");
        start.start();
        QVERIFY(start.dialogs.shown().empty());
        QCOMPARE(start.location(), QString::fromStdString((scratch / "wp").string()));
        QVERIFY(start.app().session().platform() != nullptr);
        // Nothing is made in the folder the program was started from.
        QVERIFY(!std::filesystem::exists(scratch / "work" / "Backup"));
        QCOMPARE(start.app().backupFolder().parent_path(), scratch / "data" / "tolvane");
        QCOMPARE(start.app().session().platform()->workingDirectory, scratch / "work");
        QVERIFY(start.app().mainWindow()->isVisible());
        QCOMPARE(start.app().busy().load(), 0);
    }

    void onlyPrefixesInsideTheHomeFolderAreShownFromHome() {
        TempDir scratch;
        // Its name begins like the home folder's, but it is beside it.
        writePrefix(scratch / "homestead");
        Start beside(scratch, scratch / "homestead");
        beside.start();
        QCOMPARE(beside.location(), QString::fromStdString((scratch / "homestead").string()));

        TempDir other;
        writePrefix(other / "home" / "games" / "wine");
        Start inside(other, other / "home" / "games" / ".." / "games" / "wine");
        inside.start();
        QCOMPARE(inside.location(), QStringLiteral("~/games/wine"));
    }

    void theDefaultPrefixInTheHomeFolderIsUsed() {
        TempDir scratch;
        writePrefix(scratch / "home" / ".wine");
        Start start(scratch);
        start.start();
        QVERIFY(start.dialogs.shown().empty());
        // Shown the way the user knows it.
        QCOMPARE(start.location(), QStringLiteral("~/.wine"));
        QCOMPARE(start.app().session().describe(),
                 QStringLiteral("Cleaning the Wine prefix ~/.wine"));
    }

    void aMissingPrefixIsReportedAndTheChosenOneRemembered() {
        TempDir scratch;
        writePrefix(scratch / "games");
        const QString chosen = QString::fromStdString((scratch / "games").string());
        {
            Start start(scratch);
            start.dialogs.setNextFolder(chosen);
            start.start();
            const auto shown = start.dialogs.shown();
            QCOMPARE(shown.size(), std::size_t{2});
            QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::information);
            QVERIFY(shown[0].text.startsWith(
                QStringLiteral("There is no Wine prefix at %1.")
                    .arg(QString::fromStdString((scratch / "home" / ".wine").string()))));
            QCOMPARE(shown[1].kind, ScriptedDialogs::Kind::chooseFolder);
            QCOMPARE(start.location(), chosen);
            QCOMPARE(QString::fromStdString(
                         start.app().profile().getProfileString("Settings", "WinePrefix", "")),
                     chosen);
        }
        // The next start opens the remembered prefix without asking.
        Start again(scratch);
        again.start();
        QVERIFY(again.dialogs.shown().empty());
        QCOMPARE(again.location(), chosen);
    }

    void aFolderThatIsNoPrefixIsRefusedAndAskedAgain() {
        TempDir scratch;
        std::filesystem::create_directories(scratch / "empty");
        Start start(scratch);
        start.dialogs.setNextFolder(QString::fromStdString((scratch / "empty").string()));
        start.start();
        const auto shown = start.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{4});
        QCOMPARE(shown[2].kind, ScriptedDialogs::Kind::error);
        QVERIFY(shown[2].text.contains("is not a Wine prefix that Tolvane can read"));
        QCOMPARE(shown[3].kind, ScriptedDialogs::Kind::chooseFolder);
        // Cancelled: the program runs with no prefix and says so.
        QVERIFY(start.app().session().platform() == nullptr);
        QVERIFY(start.app().session().describe().contains("No Wine prefix"));
        QVERIFY(start.app().mainWindow()->isVisible());
        QCOMPARE(start.app().profile().getProfileString("Settings", "WinePrefix", "unset"),
                 std::string("unset"));
    }

    void anUnreadablePrefixNamesItsFileAndLetsTheUserChoose() {
        TempDir scratch;
        writePrefix(scratch / "broken");
        writeFile(scratch / "broken" / "system.reg", "this is no registry\n");
        Start start(scratch, scratch / "broken");
        start.start();
        const auto shown = start.dialogs.shown();
        QVERIFY(shown.size() >= 2);
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::error);
        QVERIFY2(shown[0].text.contains("system.reg"), qPrintable(shown[0].text));
        QCOMPARE(shown[1].kind, ScriptedDialogs::Kind::chooseFolder);
        QVERIFY(start.app().session().platform() == nullptr);
    }

    void winePrefixFromTheEnvironmentWinsOverTheRememberedChoice() {
        TempDir scratch;
        writePrefix(scratch / "remembered");
        writePrefix(scratch / "environment");
        {
            auto profile = prefix::UserProfile::open(scratch / "config", "tolvane");
            QVERIFY(profile.ok());
            profile.value()->store().writeProfileString("Settings", "WinePrefix",
                                                        (scratch / "remembered").string());
        }
        Start start(scratch, scratch / "environment");
        start.start();
        QCOMPARE(start.location(), QString::fromStdString((scratch / "environment").string()));
    }

    void runScanAtStartupAsksTheScannerPageOnceTheWindowIsUp_data() {
        QTest::addColumn<bool>("runScan");
        QTest::addColumn<bool>("minimized");
        QTest::newRow("off") << false << false;
        QTest::newRow("on") << true << false;
        QTest::newRow("on, started in the tray") << true << true;
    }

    void runScanAtStartupAsksTheScannerPageOnceTheWindowIsUp() {
        QFETCH(bool, runScan);
        QFETCH(bool, minimized);
        TempDir scratch;
        writePrefix(scratch / "wp");
        setSettings(scratch, "RunScanAtStartup", runScan ? 1 : 0);
        setSettings(scratch, "StartMinimized", minimized ? 1 : 0);
        Start start(scratch, scratch / "wp");
        start.start();
        CHollinDlg& window = *start.app().mainWindow();
        // The scanner page of this test stands in slot 1 before the queued steps run.
        UiContext context{start.app().busy(),
                          start.app().profile(),
                          start.app().session(),
                          start.app().session().platform()->autostart,
                          start.dialogs,
                          start.links,
                          theme_,
                          {},
                          {},
                          {}};
        auto* scanner = new RecordingPanel(context, start.app().busy());
        window.tabPanel().setPage(page::scanner, scanner);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(scanner->startRequests, runScan ? 1 : 0);
        QCOMPARE(window.isShownOnScreen(), !minimized);
    }

private:
    Theme theme_;
};

std::unique_ptr<QObject> makeAppStartTest() {
    return std::make_unique<AppStartTest>();
}

} // namespace tolvane::test

#include "AppStartTest.moc"
