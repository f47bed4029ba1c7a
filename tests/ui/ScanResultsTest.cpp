// The results page: ticking rows, All and None, and the fix run with its backup question,
// working layout, refilled list, kept entries and failures.
#include "engine/ModuleSet.h"
#include "platform/RegistryGateway.h"
#include "platform/prefix/PrefixLock.h"
#include "platform/services/RegKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/ui/PageWindow.h"
#include "tests/ui/UiSuites.h"
#include "ui/CScannerFinishDlg.h"
#include "ui/CScannerProcessDlg.h"
#include "ui/CTabPanel.h"
#include "ui/ProblemListModel.h"
#include "ui/ProblemRowDelegate.h"

#include <QLabel>
#include <QListView>
#include <QTest>
#include <filesystem>
#include <optional>

namespace tolvane::test {

namespace {

constexpr const char* appPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const char* runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const QString backupQuestion =
    QStringLiteral("Do you want to create a backup before fixing any errors?");

// A window whose scan of the five problems has completed and shows its results.
class ScannedPages : public PageWindow {
public:
    ScannedPages()
        : PageWindow([](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); }) {
        click("navScanner");
        click("scanButton");
        QVERIFY(QTest::qWaitFor([this] { return tabs().current() == page::scanResults; }, 5000));
        bench.dialogs.clear();
    }

    QListView* list() { return find<QListView>("resultsList"); }
    int rowCount() { return list()->model()->rowCount(); }
    bool ticked(int row) {
        return list()->model()->index(row, 0).data(ProblemListModel::tickedRole).toBool();
    }
    int recordOf(int row) {
        return list()->model()->index(row, 0).data(ProblemListModel::recordRole).toInt();
    }
    void clickRow(int row) {
        const QRect area = list()->visualRect(list()->model()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, area.center());
    }
    ProblemList& records() {
        return dynamic_cast<CScannerProcessDlg*>(tabs().page(page::scanProgress))
            ->moduleSet()
            ->results();
    }
    // Fix with the given answer to the backup question, until its end.
    void fix(bool backup) {
        bench.dialogs.setNextAnswer(backup);
        click("fixButton");
        QVERIFY(settle());
    }

    bool appPathExists(const char* name) {
        RegKey key;
        return RegKey::open(bench.platform.registry(), hkeyLocalMachine,
                            std::string(appPathsKey) + name, key) == winerr::success;
    }
    bool runValueExists(const char* name) {
        RegKey key;
        if (RegKey::open(bench.platform.registry(), hkeyLocalMachine, runKey, key) !=
            winerr::success) {
            return false;
        }
        return bench.platform.registry().RegQueryValueExA(key.get(), name, nullptr, nullptr,
                                                          nullptr) == winerr::success;
    }
    std::vector<std::filesystem::path> backupFolders() {
        std::vector<std::filesystem::path> folders;
        for (const auto& entry :
             std::filesystem::directory_iterator(bench.platform.workingDirectory() / "Backup")) {
            folders.push_back(entry.path());
        }
        return folders;
    }
};

} // namespace

class ScanResultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsAre65PixelsAndAClickTogglesTheRowsRecord() {
        ScannedPages pages;
        QCOMPARE(pages.list()->visualRect(pages.list()->model()->index(0, 0)).height(), 65);
        pages.clickRow(2);
        QVERIFY(!pages.ticked(2));
        QCOMPARE(pages.records()[2].selected, 0);
        pages.clickRow(2);
        QVERIFY(pages.ticked(2));
        QCOMPARE(pages.records()[2].selected, 1);
    }

    void descriptionsBreakBetweenWordsAndInsideLongPathsOnly() {
        const QFont font;
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(QStringLiteral("HKCU\\Software\\ contains a"));
        const QString words =
            QStringLiteral("The key under HKCU\\Software\\ contains a bad path c:\\gone cache");
        const QString path = QStringLiteral(
            "HKEY_CLASSES_ROOT\\CLSID\\{44444444-DEAD-3333-4444-555555555555}\\InprocServer32");
        struct Case {
            QString description;
            QString joiner; // what rejoins the lines into the description
        };
        for (const Case& c : {Case{words, QStringLiteral(" ")}, Case{path, QString()}}) {
            const QStringList lines =
                ProblemRowDelegate::descriptionLines(c.description, font, width, 10);
            QVERIFY2(lines.size() > 1, qPrintable(c.description));
            QCOMPARE(lines.join(c.joiner), c.description);
            for (const QString& line : lines) {
                QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
            }
        }

        // What does not fit in the rows' two lines ends the second one in an ellipsis.
        const QStringList cut = ProblemRowDelegate::descriptionLines(words + words, font, width, 2);
        QCOMPARE(cut.size(), 2);
        QVERIFY(words.startsWith(cut[0]));
        QVERIFY(cut[1].endsWith(QChar(0x2026)));
        QVERIFY(metrics.horizontalAdvance(cut[1]) <= width);
        QCOMPARE(ProblemRowDelegate::descriptionLines(QStringLiteral("short"), font, width, 2),
                 QStringList{QStringLiteral("short")});
    }

    void noneAndAllTickEveryRow() {
        ScannedPages pages;
        pages.click("tickNoneButton");
        for (int row = 0; row < 5; ++row) {
            QVERIFY(!pages.ticked(row));
        }
        pages.click("tickAllButton");
        for (int row = 0; row < 5; ++row) {
            QVERIFY(pages.ticked(row));
        }
    }

    void answeringNoFixesTheTickedRowsAndRefillsTheList() {
        ScannedPages pages;
        pages.clickRow(1);
        pages.clickRow(3);
        bool workingLayout = false;
        pages.onQuestion = [&](const QString&) {
            workingLayout = pages.list()->geometry() == CScannerFinishDlg::listWorking &&
                            pages.find<QLabel>("problemCount")->isHidden() &&
                            !pages.find<QWidget>("fixBar")->isHidden() && pages.bench.busy == 1;
        };
        pages.fix(false);

        QVERIFY(workingLayout);
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(shown[0].caption, QStringLiteral("Backup"));
        QCOMPARE(shown[0].text, backupQuestion);
        // The two unticked problems stay, still unticked; the three others are gone.
        QCOMPARE(pages.rowCount(), 2);
        QCOMPARE(pages.recordOf(0), 1);
        QCOMPARE(pages.recordOf(1), 3);
        QVERIFY(!pages.ticked(0) && !pages.ticked(1));
        QCOMPARE(pages.text("problemCount"), QStringLiteral("2"));
        QVERIFY(!pages.find<QLabel>("problemCount")->isHidden());
        QCOMPARE(pages.list()->geometry(), CScannerFinishDlg::listNormal);
        QVERIFY(!pages.appPathExists("alpha.exe"));
        QVERIFY(pages.appPathExists("beta.exe"));
        QVERIFY(!pages.appPathExists("gamma.exe"));
        QVERIFY(pages.runValueExists("Delta"));
        QVERIFY(!pages.runValueExists("Echo"));
        // Without a backup no folder is left behind, and there is nothing to undo.
        QVERIFY(pages.backupFolders().empty());
        QCOMPARE(pages.find<QLabel>("fixOutcome")->toolTip(),
                 QStringLiteral("3 removed, 2 kept; no backup was made."));
        QVERIFY(pages.find<QWidget>("undoButton")->isHidden());
        // A fix leaves the scan's history alone.
        QCOMPARE(pages.text("lastScanResultValue"), QStringLiteral("5"));
        QCOMPARE(pages.bench.busy.load(), 0);
    }

    void answeringYesWritesEachModulesBackupFirst() {
        ScannedPages pages;
        pages.fix(true);
        QCOMPARE(pages.rowCount(), 0);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("0"));
        const auto folders = pages.backupFolders();
        QCOMPARE(folders.size(), std::size_t{1});
        const std::string appPaths = readFile(folders[0] / "apppath.reg");
        QVERIFY(appPaths.find("App Paths\\alpha.exe]") != std::string::npos);
        QVERIFY(appPaths.find("App Paths\\gamma.exe]") != std::string::npos);
        const std::string startup = readFile(folders[0] / "startup.reg");
        QVERIFY(startup.find("\"Echo\"") != std::string::npos);
        QVERIFY(!std::filesystem::exists(folders[0] / "com.reg"));
        QVERIFY(pages.bench.dialogs.texts() == QStringList({backupQuestion}));
    }

    void afterAFixARowStillActsOnItsOwnRecord() {
        ScannedPages pages;
        pages.clickRow(1);
        pages.clickRow(3);
        pages.fix(false);
        // Row 0 now shows record 1 (beta), unticked; the fixed record 0 keeps its tick.
        pages.clickRow(0);
        QCOMPARE(pages.records()[1].selected, 1);
        QCOMPARE(pages.records()[0].selected, 1);
        QCOMPARE(pages.records()[0].entryKind, entrykind::fixed);
        pages.bench.platform.clock().advance(std::chrono::seconds(1));
        pages.fix(false);
        // Only what was ticked went: Delta, never ticked, stays.
        QCOMPARE(pages.rowCount(), 1);
        QCOMPARE(pages.recordOf(0), 3);
        QVERIFY(pages.runValueExists("Delta"));
        QVERIFY(!pages.appPathExists("beta.exe"));
        QVERIFY(pages.backupFolders().empty());
    }

    void fixWithNothingTickedDoesNothing() {
        ScannedPages pages;
        pages.click("tickNoneButton");
        pages.click("fixButton");
        QVERIFY(pages.bench.dialogs.shown().empty());
        QVERIFY(pages.backupFolders().empty());
        QCOMPARE(pages.bench.busy.load(), 0);
        // The page says why nothing happened.
        QVERIFY(pages.find<QLabel>("fixOutcome")
                    ->toolTip()
                    .startsWith(QStringLiteral("Nothing is ticked")));

        // Once everything is fixed, Fix again finds no row and does nothing either.
        pages.click("tickAllButton");
        pages.fix(false);
        QCOMPARE(pages.rowCount(), 0);
        pages.bench.dialogs.clear();
        pages.bench.platform.clock().advance(std::chrono::seconds(1));
        pages.click("fixButton");
        QVERIFY(pages.bench.dialogs.shown().empty());
        QVERIFY(pages.backupFolders().empty());
    }

    void cancellingTheBackupQuestionCancelsTheFix_data() {
        QTest::addColumn<bool>("answered");
        // Cancel, and a question closed with Escape or its close button (no answer at all).
        QTest::newRow("Cancel") << true;
        QTest::newRow("closed") << false;
    }

    void cancellingTheBackupQuestionCancelsTheFix() {
        QFETCH(bool, answered);
        ScannedPages pages;
        const RegistrySnapshot before =
            RegistrySnapshot::of(pages.bench.platform.registry(), hkeyLocalMachine);
        pages.clickRow(1);
        if (answered) {
            pages.bench.dialogs.setNextChoice(Dialogs::Answer::cancel);
        }
        pages.click("fixButton");
        QVERIFY(pages.settle());
        QCOMPARE(pages.bench.dialogs.shown().size(), std::size_t{1});
        const RegistrySnapshot after =
            RegistrySnapshot::of(pages.bench.platform.registry(), hkeyLocalMachine);
        QVERIFY2(before == after, before.firstDifference(after).c_str());
        QVERIFY(pages.backupFolders().empty());
        QCOMPARE(pages.rowCount(), 5);
        QVERIFY(!pages.ticked(1) && pages.ticked(0));
        QCOMPARE(pages.list()->geometry(), CScannerFinishDlg::listNormal);
        QVERIFY(!pages.find<QLabel>("problemCount")->isHidden());
        QCOMPARE(pages.bench.busy.load(), 0);
        QVERIFY(pages.find<QLabel>("fixOutcome")->toolTip().contains(QStringLiteral("cancelled")));
    }

    void undoPutsBackExactlyWhatTheFixRemoved() {
        ScannedPages pages;
        const RegistrySnapshot before =
            RegistrySnapshot::of(pages.bench.platform.registry(), hkeyLocalMachine);
        pages.clickRow(4);
        pages.fix(true);
        QCOMPARE(pages.rowCount(), 1);
        QVERIFY(pages.find<QLabel>("fixOutcome")
                    ->toolTip()
                    .startsWith(QStringLiteral("4 removed, 1 kept; backup saved in ")));
        QVERIFY(!pages.find<QWidget>("undoButton")->isHidden());
        QVERIFY(!pages.appPathExists("alpha.exe"));

        pages.click("undoButton");
        QVERIFY(pages.settle());
        const RegistrySnapshot after =
            RegistrySnapshot::of(pages.bench.platform.registry(), hkeyLocalMachine);
        QVERIFY2(before == after, before.firstDifference(after).c_str());
        // The entries are listed again with their ticks; a second Undo has nothing to undo.
        QCOMPARE(pages.rowCount(), 5);
        QVERIFY(pages.ticked(0) && !pages.ticked(4));
        QVERIFY(pages.find<QWidget>("undoButton")->isHidden());
        QVERIFY(pages.find<QLabel>("fixOutcome")
                    ->toolTip()
                    .startsWith(QStringLiteral("Undone: 4 entries")));
    }

    void spaceTicksTheFocusedRowAndTheCountFitsSixDigits() {
        ScannedPages pages;
        QListView* list = pages.list();
        list->setFocus();
        list->setCurrentIndex(list->model()->index(2, 0));
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(!pages.ticked(2));
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(pages.ticked(2));
        pages.bench.busy = 1;
        QTest::keyClick(list, Qt::Key_Space);
        pages.bench.busy = 0;
        QVERIFY(pages.ticked(2));

        auto* count = pages.find<QLabel>("problemCount");
        QVERIFY(QFontMetrics(count->font()).horizontalAdvance(QStringLiteral("888888")) <=
                count->contentsRect().width());
    }

    void whileAnOperationRunsTheListIgnoresEveryAction() {
        ScannedPages pages;
        pages.bench.busy = 1;
        pages.click("tickNoneButton");
        pages.clickRow(0);
        pages.click("fixButton");
        pages.bench.busy = 0;
        for (int row = 0; row < 5; ++row) {
            QVERIFY(pages.ticked(row));
        }
        QVERIFY(pages.bench.dialogs.shown().empty());
        QVERIFY(pages.backupFolders().empty());
    }

    void entriesWhoseBackupFailedStayListedAndTheUserIsTold() {
        ScannedPages pages;
        // A folder in the place of startup.reg: that module's backup cannot be written.
        pages.onQuestion = [&](const QString&) {
            const auto folders = pages.backupFolders();
            QCOMPARE(folders.size(), std::size_t{1});
            std::filesystem::create_directory(folders[0] / "startup.reg");
        };
        pages.fix(true);
        QCOMPARE(pages.rowCount(), 2);
        QCOMPARE(pages.recordOf(0), 3);
        QCOMPARE(pages.recordOf(1), 4);
        QVERIFY(pages.ticked(0) && pages.ticked(1));
        QCOMPARE(pages.text("problemCount"), QStringLiteral("2"));
        QVERIFY(pages.runValueExists("Delta") && pages.runValueExists("Echo"));
        QVERIFY(!pages.appPathExists("alpha.exe"));
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{2});
        QCOMPARE(shown[1].kind, ScriptedDialogs::Kind::error);
        QVERIFY2(shown[1].text.startsWith(QStringLiteral("2 ticked problems were not fixed, "
                                                         "because their backup could not be "
                                                         "written to ")),
                 qPrintable(shown[1].text));
        QVERIFY(shown[1].text.contains(QStringLiteral("They stay listed")));
    }

    void aRegistryThatCannotBeStoredIsReportedAndNothingIsMarkedFixed() {
        ScannedPages pages;
        pages.bench.platform.storage().failSaves = true;
        pages.fix(false);
        QCOMPARE(pages.rowCount(), 5);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("5"));
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{2});
        QCOMPARE(shown[1].kind, ScriptedDialogs::Kind::error);
        QVERIFY2(shown[1].text.startsWith(QStringLiteral("The registry could not be stored: ")),
                 qPrintable(shown[1].text));
        for (const auto& record : pages.records()) {
            QVERIFY(record.entryKind != entrykind::fixed);
        }
    }

    void aPrefixHeldByAWineserverIsExplainedBeforeAnything() {
        ScannedPages pages;
        pages.bench.platform.storage().refuseWrites = true;
        pages.click("fixButton");
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::error);
        QVERIFY2(shown[0].text.contains(QStringLiteral("wineserver")), qPrintable(shown[0].text));
        QVERIFY(pages.backupFolders().empty());
        QCOMPARE(pages.bench.busy.load(), 0);
        QCOMPARE(pages.rowCount(), 5);
        QVERIFY(pages.appPathExists("alpha.exe"));
    }

    void aPrefixChangedOnDiskIsReloadedAndRescannedWithTheTicksKept_data() {
        QTest::addColumn<bool>("reload");
        QTest::newRow("reload") << true;
        QTest::newRow("not now") << false;
    }

    void aPrefixChangedOnDiskIsReloadedAndRescannedWithTheTicksKept() {
        QFETCH(bool, reload);
        ScannedPages pages;
        pages.clickRow(1);
        const std::string unticked = pages.records()[1].primaryName;
        // Wine ran meanwhile: one entry more on disk.
        pages.bench.platform.storage().changed = true;
        pages.bench.session.onReload = [&pages] {
            pages.bench.platform.importReg(
                "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                "CurrentVersion\\App Paths\\zeta.exe]\n@=\"%ProgramFiles%\\\\Gone\\\\zeta.exe\"\n");
            pages.bench.platform.storage().changed = false;
        };
        pages.bench.dialogs.setNextAnswer(reload);
        pages.click("fixButton");
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(shown[0].text, SkinPanel::changedOnDiskQuestion);
        // Nothing was fixed on the old reading.
        QVERIFY(pages.appPathExists("alpha.exe"));
        QVERIFY(pages.backupFolders().empty());
        if (!reload) {
            QCOMPARE(pages.bench.session.reloads, 0);
            QCOMPARE(pages.rowCount(), 5);
            return;
        }
        QCOMPARE(pages.bench.session.reloads, 1);
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QTRY_COMPARE(pages.rowCount(), 6);
        for (int row = 0; row < pages.rowCount(); ++row) {
            const ProblemRecord& record =
                pages.records()[static_cast<std::size_t>(pages.recordOf(row))];
            QVERIFY2(pages.ticked(row) == (record.primaryName != unticked),
                     qPrintable(QString::fromStdString(record.primaryName + " / " + unticked)));
        }
    }

    void theOverviewOffersReloadWhileThePrefixIsStale() {
        ScannedPages pages;
        pages.click("navOverview");
        auto* reload = pages.find<QWidget>("reloadButton");
        QVERIFY(reload->isHidden());
        QVERIFY(pages.find<QWidget>("prefixChangedNotice")->isHidden());

        pages.bench.platform.storage().changed = true;
        pages.bench.session.onReload = [&pages] { pages.bench.platform.storage().changed = false; };
        pages.click("navScanner");
        pages.click("navOverview");
        QVERIFY(!reload->isHidden());
        QVERIFY(!pages.find<QWidget>("prefixChangedNotice")->isHidden());
        pages.click("reloadButton");
        QCOMPARE(pages.bench.session.reloads, 1);
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QTRY_COMPARE(pages.rowCount(), 5);
        pages.click("navOverview");
        QVERIFY(reload->isHidden());
    }

    // While another Tolvane process holds the prefix, Fix and Undo refuse before any question
    // and change nothing; otherwise a fix holds the lock from before its backup to after its
    // store, and lets go at its end.
    void aFixOrUndoRefusesWhileAnotherProcessHoldsThePrefix() {
        ScannedPages pages;
        const TempDir lockFolder;
        TestStorage& storage = pages.bench.platform.storage();
        std::optional<prefix::PrefixLock> ours;
        storage.takeChangeLock = [&]() -> Result<void> {
            auto taken =
                prefix::PrefixLock::acquire(lockFolder.path(), prefix::PrefixLock::Wait::no);
            if (!taken) {
                return taken.error();
            }
            ours.emplace(std::move(taken.value()));
            return {};
        };
        storage.giveBackChangeLock = [&] { ours.reset(); };
        const auto refusedWhileHeld = [&](const char* button) {
            const RegistrySnapshot before =
                RegistrySnapshot::of(pages.bench.platform.registry(), hkeyLocalMachine);
            const int saves = storage.saves;
            auto other =
                prefix::PrefixLock::acquire(lockFolder.path(), prefix::PrefixLock::Wait::no);
            QVERIFY(other.ok());
            pages.bench.dialogs.clear();
            pages.click(button);
            QVERIFY(pages.settle());
            const auto shown = pages.bench.dialogs.shown();
            QCOMPARE(shown.size(), std::size_t{1});
            QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::error);
            QVERIFY2(shown[0].text.startsWith(QStringLiteral(
                         "The registry cannot be changed now: another Tolvane process is working "
                         "on the Wine prefix")),
                     qPrintable(shown[0].text));
            const RegistrySnapshot after =
                RegistrySnapshot::of(pages.bench.platform.registry(), hkeyLocalMachine);
            QVERIFY2(before == after, before.firstDifference(after).c_str());
            QCOMPARE(storage.saves.load(), saves);
            QCOMPARE(pages.bench.busy.load(), 0);
        };

        refusedWhileHeld("fixButton");
        QCOMPARE(pages.rowCount(), 5);
        QVERIFY(pages.backupFolders().empty());

        pages.bench.dialogs.clear();
        pages.fix(true);
        QCOMPARE(pages.rowCount(), 0);
        QVERIFY(storage.saves > 0);
        QCOMPARE(storage.savesWithoutChangeLock.load(), 0);
        QVERIFY(!storage.changeLockHeld);

        refusedWhileHeld("undoButton");
        QCOMPARE(pages.rowCount(), 0);
        QVERIFY(!pages.find<QWidget>("undoButton")->isHidden());
        pages.click("undoButton");
        QVERIFY(pages.settle());
        QCOMPARE(pages.rowCount(), 5);
        QCOMPARE(storage.savesWithoutChangeLock.load(), 0);
        QVERIFY(!storage.changeLockHeld);
    }
};

std::unique_ptr<QObject> makeScanResultsTest() {
    return std::make_unique<ScanResultsTest>();
}

} // namespace tolvane::test

#include "ScanResultsTest.moc"
