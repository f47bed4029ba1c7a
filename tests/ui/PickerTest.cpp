// The prefix picker: the prefixes of a made-up home listed off the GUI thread, switching the
// open prefix (and what follows it: the status line, the remembered choice, the Overview's
// history of that prefix), refusal while busy, and stopping a prefix's wineserver.
#include "app/CHollinApp.h"
#include "platform/ProfileStore.h"
#include "platform/discovery/DiscoveredPrefix.h"
#include "platform/prefix/PrefixHistoryStore.h"
#include "tests/support/FakeHome.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowsTree.h"
#include "tests/ui/UiBench.h"
#include "tests/ui/UiSuites.h"
#include "ui/CHollinDlg.h"
#include "ui/COverviewDlg.h"
#include "ui/CPrefixPickerDlg.h"
#include "ui/CTabPanel.h"
#include "ui/PrefixCatalog.h"
#include "ui/PrefixCombo.h"
#include "ui/PrefixListModel.h"
#include "ui/PrefixSwitcher.h"
#include "ui/ScriptedDialogs.h"
#include "ui/SkinButton.h"
#include "ui/Theme.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>

namespace tolvane::test {

namespace {

// The program started over a made-up home holding three prefixes: a Lutris game, a bottle
// and ~/.wine, which opens at start.
class PickerApp {
public:
    PickerApp()
        : wine_(home_.makePrefixAt(".wine")), witcher_(home_.makePrefixAt("Games/witcher")),
          bottle_(home_.makePrefixAt(".local/share/bottles/bottles/Gaming")),
          app_(options(), dialogs, links_, theme_, [](Platform&) -> ModuleFactory {
              return [](int, ModuleSet&) -> std::unique_ptr<CModule> { return nullptr; };
          }) {
        home_.write(".config/lutris/games/the-witcher-3-1712345678.yml",
                    "game:\n  prefix: ~/Games/witcher\nname: The Witcher 3\n");
        home_.write(".local/share/bottles/bottles/Gaming/bottle.yml",
                    "Name: Gaming Bottle\nPath: Gaming\nCustom_Path: false\n");
    }

    void start() {
        auto started = app_.start();
        QVERIFY2(started.ok(), started.ok() ? "" : started.message().c_str());
        QTRY_VERIFY(app_.prefixes().listed());
    }

    CHollinApp& app() { return app_; }
    CHollinDlg& window() { return *app_.mainWindow(); }
    const std::filesystem::path& wine() const { return wine_; }
    const std::filesystem::path& witcher() const { return witcher_; }
    const std::filesystem::path& bottle() const { return bottle_; }

    // Opens the picker from the combo of `pageSlot`'s page.
    CPrefixPickerDlg* openPicker(int pageSlot) {
        window().showPage(pageSlot);
        auto* combo = window().tabPanel().page(pageSlot)->findChild<PrefixCombo*>("prefixCombo");
        if (combo == nullptr) {
            return nullptr;
        }
        combo->showPopup();
        if (!QTest::qWaitFor([this] { return !app_.prefixes().refreshing(); }, 5000)) {
            return nullptr;
        }
        return combo->picker();
    }

    ScriptedDialogs dialogs;

private:
    CHollinApp::Options options() {
        CHollinApp::Options options;
        options.workingDirectory = scratch_ / "work";
        options.configHome = scratch_ / "config";
        options.executable = scratch_ / "bin" / "tolvane";
        options.home = home_.home();
        options.helpFile = scratch_ / "bin" / "Tolvane.html";
        options.hostEnvironment = std::make_shared<discovery::MapEnvironment>(home_.environment());
        return options;
    }

    TempDir scratch_;
    FakeHome home_;
    std::filesystem::path wine_;
    std::filesystem::path witcher_;
    std::filesystem::path bottle_;
    RecordingLinks links_;
    Theme theme_;
    CHollinApp app_;
};

QStringList column(QTableView& table, int columnIndex) {
    QStringList texts;
    for (int row = 0; row < table.model()->rowCount(); ++row) {
        texts << table.model()->index(row, columnIndex).data().toString();
    }
    return texts;
}

bool selectRow(CPrefixPickerDlg& picker, const QString& name) {
    auto* table = picker.findChild<QTableView*>("prefixTable");
    const QStringList names = column(*table, PrefixListModel::name);
    const auto row = names.indexOf(name);
    if (row < 0) {
        return false;
    }
    table->selectRow(static_cast<int>(row));
    return true;
}

// A stand-in for wineserver: records WINEPREFIX and its arguments in `record`, exits `code`.
std::filesystem::path writeServerScript(const TempDir& scratch, int code) {
    const auto script = scratch / "wineserver";
    const auto record = scratch / "record";
    writeFile(script, "#!/bin/sh\nprintf '%s %s' \"$WINEPREFIX\" \"$*\" > '" + record.string() +
                          "'\necho 'server gone wrong'\nexit " + std::to_string(code) + "\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    return script;
}

discovery::DiscoveredPrefix runningPrefix(const std::filesystem::path& folder) {
    discovery::DiscoveredPrefix prefix;
    prefix.launcher = "Steam";
    prefix.name = "Held";
    prefix.path = folder;
    prefix.server = 4242;
    prefix.writable = true;
    return prefix;
}

} // namespace

class PickerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void thePickerListsTheHomesPrefixesWithTheOpenOneSelected() {
        PickerApp run;
        run.start();
        CPrefixPickerDlg* picker = run.openPicker(page::overview);
        QVERIFY(picker != nullptr);
        QVERIFY(picker->isVisible());
        auto* table = picker->findChild<QTableView*>("prefixTable");
        QStringList names = column(*table, PrefixListModel::name);
        names.sort();
        QCOMPARE(names, QStringList({"Gaming Bottle", "The Witcher 3", "default"}));
        const QStringList launchers = column(*table, PrefixListModel::launcher);
        QVERIFY(launchers.contains("Lutris"));
        QVERIFY(launchers.contains("Bottles"));
        QVERIFY(picker->selected() != nullptr);
        QCOMPARE(picker->selected()->path, run.wine());
        QVERIFY(
            picker->findChild<QLabel*>("prefixPickerStatus")->text().contains("3 Wine prefixes"));

        // The search narrows the rows to those that match in any column, case aside.
        picker->findChild<QLineEdit*>("prefixSearch")->setText(QStringLiteral("witcher"));
        QCOMPARE(column(*table, PrefixListModel::name), QStringList({"The Witcher 3"}));
        picker->findChild<QLineEdit*>("prefixSearch")->setText(QStringLiteral("BOTTLES"));
        QCOMPARE(column(*table, PrefixListModel::name), QStringList({"Gaming Bottle"}));
        picker->findChild<QLineEdit*>("prefixSearch")->setText(QStringLiteral("nothing such"));
        QCOMPARE(table->model()->rowCount(), 0);
        // Nothing selected: Open does nothing.
        picker->openSelected();
        QCOMPARE(run.app().session().folder(), run.wine());
        QVERIFY(!picker->findChild<QPushButton*>("openPrefixButton")->isEnabled());
    }

    void openingAnotherPrefixSwitchesTheSessionStatusLineAndRememberedChoice() {
        PickerApp run;
        run.start();
        QLabel& status = run.window().statusLine();
        QCOMPARE(status.text(), QStringLiteral("Cleaning Wine prefix default"));
        QCOMPARE(status.toolTip(), QString::fromStdString(run.wine().string()));

        CPrefixPickerDlg* picker = run.openPicker(page::settings);
        QVERIFY(picker != nullptr);
        QVERIFY(selectRow(*picker, "The Witcher 3"));
        QTest::mouseClick(picker->findChild<QPushButton*>("openPrefixButton"), Qt::LeftButton);
        QTRY_VERIFY(picker == nullptr || !picker->isVisible());

        QCOMPARE(run.app().session().folder(), run.witcher());
        QCOMPARE(status.text(), QStringLiteral("Cleaning Lutris prefix The Witcher 3"));
        QCOMPARE(status.toolTip(), QString::fromStdString(run.witcher().string()));
        QCOMPARE(run.app().profile().getProfileString("Settings", "WinePrefix", ""),
                 run.witcher().string());
        auto* combo = run.window().findChild<PrefixCombo*>("prefixCombo");
        QCOMPARE(combo->currentText(), QStringLiteral("Lutris: The Witcher 3"));
        QVERIFY(run.dialogs.shown().empty());
    }

    void switchingIsRefusedWithAMessageWhileAnOperationRuns() {
        PickerApp run;
        run.start();
        CPrefixPickerDlg* picker = run.openPicker(page::overview);
        QVERIFY(picker != nullptr);
        QVERIFY(selectRow(*picker, "Gaming Bottle"));
        run.app().busy() = 1;
        picker->openSelected();
        picker->chooseOtherFolder();
        QCOMPARE(run.app().session().folder(), run.wine());
        QCOMPARE(run.dialogs.shown().size(), 2u);
        QVERIFY(run.dialogs.texts()[0].contains("cannot be changed while"));
        QVERIFY(picker->isVisible());
        QCOMPARE(run.app().profile().getProfileString("Settings", "WinePrefix", "unset"),
                 std::string("unset"));

        run.app().busy() = 0;
        picker->openSelected();
        QCOMPARE(run.app().session().folder(), run.bottle());
        QCOMPARE(run.window().statusLine().text(),
                 QStringLiteral("Cleaning Bottles prefix Gaming Bottle"));
    }

    void theOverviewShowsTheHistoryOfTheOpenPrefix() {
        PickerApp run;
        run.start();
        auto* overview = dynamic_cast<COverviewDlg*>(run.window().tabPanel().page(page::overview));
        const auto value = [&] { return overview->findChild<QLabel*>("lastScanValue")->text(); };
        // Recorded by a scan of ~/.wine: the global entry and the prefix's own.
        ProfileStore& profile = run.app().profile();
        profile.writeProfileString("UI", "Last Scan", "Monday, March 02, 2026 10:00");
        profile.writeProfileString("UI", "Last Scan Result", "12");
        overview->refreshOverview();
        QCOMPARE(value(), QStringLiteral("Monday, March 02, 2026 10:00"));

        QVERIFY(run.app().session().openFolder(run.witcher(), nullptr));
        QCOMPARE(value(), QStringLiteral("none"));
        QCOMPARE(overview->findChild<QLabel*>("lastScanResultValue")->text(),
                 QStringLiteral("none"));
        profile.writeProfileString("UI", "Last Backup", "Tuesday, March 03, 2026 09:30");
        overview->refreshOverview();
        QCOMPARE(overview->findChild<QLabel*>("lastBackupValue")->text(),
                 QStringLiteral("Tuesday, March 03, 2026 09:30"));

        // Back on ~/.wine (spelled with a trailing slash): its own history, not the Witcher's.
        QVERIFY(run.app().session().openFolder(run.wine() / "", nullptr));
        QCOMPARE(value(), QStringLiteral("Monday, March 02, 2026 10:00"));
        QCOMPARE(overview->findChild<QLabel*>("lastBackupValue")->text(), QStringLiteral("none"));
        // The global entries go on as before: the newest of any prefix.
        QCOMPARE(profile.getProfileString("UI", "Last Backup", ""),
                 std::string("Tuesday, March 03, 2026 09:30"));
        QCOMPARE(profile.getProfileString(prefix::PrefixHistoryStore::sectionFor(run.witcher()),
                                          "Last Scan", "absent"),
                 std::string("absent"));
    }

    void otherFolderStillTakesAnyPrefix() {
        PickerApp run;
        run.start();
        CPrefixPickerDlg* picker = run.openPicker(page::overview);
        QVERIFY(picker != nullptr);
        run.dialogs.setNextFolder(QString::fromStdString(run.bottle().string()));
        QTest::mouseClick(picker->findChild<QPushButton*>("otherFolderButton"), Qt::LeftButton);
        QCOMPARE(run.app().session().folder(), run.bottle());
    }

    void aWindowsInstallationOpensFromItsMountFolderWithTheChosenUser() {
        WindowsTree tree;
        tree.addUser("Ann", "S-1-5-21-1000-2000-3000-1002");
        PickerApp run;
        run.start();
        CPrefixPickerDlg* picker = run.openPicker(page::overview);
        QVERIFY(picker != nullptr);
        auto* button = picker->findChild<QPushButton*>("windowsInstallationButton");
        QVERIFY(button != nullptr);

        // A folder without an installation is refused; the open prefix stays.
        run.dialogs.setNextFolder(QString::fromStdString(run.bottle().string()));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(run.app().session().folder(), run.wine());
        QVERIFY(run.dialogs.texts().last().startsWith("There is no Windows installation at"));

        // Two users: the one picked is HKEY_CURRENT_USER.
        run.dialogs.setNextFolder(QString::fromStdString(tree.mount().string()));
        run.dialogs.setNextFolder(QStringLiteral("Ann"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(run.app().session().folder(), tree.mount());
        QVERIFY(run.app().session().platform() != nullptr);
        QVERIFY2(run.app().session().describe().endsWith(QStringLiteral("user Ann")),
                 qPrintable(run.app().session().describe()));
        QCOMPARE(run.dialogs.shown().back().kind, ScriptedDialogs::Kind::chooseItem);
        QCOMPARE(run.app().profile().getProfileString("Settings", "WinePrefix", ""),
                 tree.mount().string());
    }

    void stoppingAWineserverAsksFirstAndRunsNothingOnNo() {
        TempDir scratch;
        const auto script = writeServerScript(scratch, 0);
        UiBench bench;
        PrefixCatalog catalog([] { return discovery::DiscoveryReport{}; },
                              QString::fromStdString(script.string()));
        const auto held = runningPrefix(scratch / "held prefix");
        PrefixSwitcher switcher(bench.context(), nullptr);

        QVERIFY(!switcher.stopServer(held, catalog));
        QCOMPARE(bench.dialogs.shown().size(), 1u);
        QCOMPARE(bench.dialogs.shown()[0].kind, ScriptedDialogs::Kind::question);
        QVERIFY(
            bench.dialogs.texts()[0].contains(QStringLiteral("WINEPREFIX=%1 %2 -k")
                                                  .arg(QString::fromStdString(held.path.string()),
                                                       QString::fromStdString(script.string()))));
        QVERIFY(!std::filesystem::exists(scratch / "record"));

        bench.dialogs.clear();
        bench.dialogs.setNextAnswer(true);
        QVERIFY(switcher.stopServer(held, catalog));
        QCOMPARE(readFile(scratch / "record"), held.path.string() + " -k");
        QCOMPARE(bench.dialogs.shown().back().kind, ScriptedDialogs::Kind::information);
        QVERIFY(bench.dialogs.texts().back().contains("has been stopped"));
    }

    void aWineserverThatFailsToStopIsReportedAsAFailure() {
        TempDir scratch;
        UiBench bench;
        PrefixSwitcher switcher(bench.context(), nullptr);
        const auto held = runningPrefix(scratch / "held");

        PrefixCatalog failing([] { return discovery::DiscoveryReport{}; },
                              QString::fromStdString(writeServerScript(scratch, 3).string()));
        bench.dialogs.setNextAnswer(true);
        QVERIFY(!switcher.stopServer(held, failing));
        QCOMPARE(bench.dialogs.shown().back().kind, ScriptedDialogs::Kind::error);
        QVERIFY(bench.dialogs.texts().back().contains("exit code 3"));
        QVERIFY(bench.dialogs.texts().back().contains("server gone wrong"));

        PrefixCatalog missing([] { return discovery::DiscoveryReport{}; },
                              QString::fromStdString((scratch / "no-such-program").string()));
        bench.dialogs.setNextAnswer(true);
        QVERIFY(!switcher.stopServer(held, missing));
        QCOMPARE(bench.dialogs.shown().back().kind, ScriptedDialogs::Kind::error);
        QVERIFY(bench.dialogs.texts().back().contains("could not be started"));
    }
};

std::unique_ptr<QObject> makePickerTest() {
    return std::make_unique<PickerTest>();
}

} // namespace tolvane::test

#include "PickerTest.moc"
