// The Scanner page and a scan through the pages: the module boxes and the stored selection,
// Scan from the page and from the Overview, the progress page's counters and Stop Scan.
#include "app/ScanGate.h"
#include "engine/ModuleTable.h"
#include "platform/ProfileStore.h"
#include "tests/ui/PageWindow.h"
#include "tests/ui/UiSuites.h"
#include "ui/CMyAppTrayIcon.h"
#include "ui/CScannerDlg.h"
#include "ui/CTabPanel.h"
#include "ui/ProblemListModel.h"
#include "ui/SkinTickBox.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvane::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

const char* const boxNames[moduleCount] = {
    "moduleCheck0",  "moduleCheck1",  "moduleCheck2", "moduleCheck3", "moduleCheck4",
    "moduleCheck5",  "moduleCheck6",  "moduleCheck7", "moduleCheck8", "moduleCheck9",
    "moduleCheck10", "moduleCheck11", "moduleCheck12"};

std::vector<bool> ticks(PageWindow& pages) {
    std::vector<bool> ticked;
    for (const char* name : boxNames) {
        ticked.push_back(pages.find<SkinTickBox>(name)->isChecked());
    }
    return ticked;
}

std::optional<Bytes> storedSelection(PageWindow& pages) {
    return pages.bench.profile().getProfileBinary("UI", "Selected Modules");
}

QStringList rows(PageWindow& pages) {
    auto* list = pages.find<QAbstractItemView>("resultsList");
    QStringList texts;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        texts << list->model()->index(row, 0).data().toString();
    }
    return texts;
}

} // namespace

class ScannerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStartTicksEveryBoxInTwoColumns() {
        PageWindow pages;
        QCOMPARE(ticks(pages), std::vector<bool>(moduleCount, true));
        QVERIFY(pages.find<SkinTickBox>("allCheck")->isChecked());
        for (int id = 0; id < moduleCount; ++id) {
            auto* box = pages.find<SkinTickBox>(boxNames[id]);
            QCOMPARE(box->text().toStdString(), std::string(moduleTable[id].displayName));
            // 0 to 6 on the left, 7 to 12 on the right, 20 pixels apart from the same height.
            auto* first = pages.find<SkinTickBox>(boxNames[id < 7 ? 0 : 7]);
            QCOMPARE(box->x(), first->x());
            QCOMPARE(box->y() - first->y(), (id % 7) * CScannerDlg::rowSpacing);
        }
        QCOMPARE(pages.find<SkinTickBox>(boxNames[7])->y(),
                 pages.find<SkinTickBox>(boxNames[0])->y());
        QVERIFY(pages.find<SkinTickBox>(boxNames[7])->x() >
                pages.find<SkinTickBox>(boxNames[6])->x());
    }

    void theStoredSelectionIsShown_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("unticked");
        QTest::addColumn<bool>("all");
        QTest::newRow("fourth byte 0")
            << QByteArray("\1\1\1\0\1\1\1\1\1\1\1\1\1", 13) << 3 << false;
        QTest::newRow("every byte set") << QByteArray(13, '\1') << -1 << true;
        QTest::newRow("any non-zero byte ticks") << QByteArray(13, '\x7f') << -1 << true;
        QTest::newRow("short: the rest stay ticked") << QByteArray("\1\0", 2) << 1 << false;
        QTest::newRow("longer: 13 bytes are used")
            << QByteArray(13, '\1') + QByteArray(3, '\0') << -1 << true;
    }

    void theStoredSelectionIsShown() {
        QFETCH(QByteArray, stored);
        QFETCH(int, unticked);
        QFETCH(bool, all);
        PageWindow pages([&](UiBench& bench) {
            bench.profile().writeProfileBinary("UI", "Selected Modules",
                                               Bytes(stored.begin(), stored.end()));
        });
        std::vector<bool> expected(moduleCount, true);
        if (unticked >= 0) {
            expected[static_cast<std::size_t>(unticked)] = false;
        }
        QCOMPARE(ticks(pages), expected);
        QCOMPARE(pages.find<SkinTickBox>("allCheck")->isChecked(), all);
    }

    void aSelectionOfAnotherTypeCountsAsAbsent() {
        PageWindow pages([](UiBench& bench) {
            bench.profile().writeProfileString("UI", "Selected Modules", "0000000000000");
        });
        QCOMPARE(ticks(pages), std::vector<bool>(moduleCount, true));
        QVERIFY(pages.find<SkinTickBox>("allCheck")->isChecked());
    }

    void allSetsEveryBoxAndOnlyTheFirstBoxUpdatesAll() {
        PageWindow pages;
        pages.click("allCheck");
        QCOMPARE(ticks(pages), std::vector<bool>(moduleCount, false));
        pages.click("allCheck");
        QCOMPARE(ticks(pages), std::vector<bool>(moduleCount, true));

        pages.click("moduleCheck5");
        QVERIFY(pages.find<SkinTickBox>("allCheck")->isChecked());
        pages.click("moduleCheck0");
        QVERIFY(!pages.find<SkinTickBox>("allCheck")->isChecked());
        pages.click("moduleCheck5");
        QVERIFY(!pages.find<SkinTickBox>("allCheck")->isChecked());
        pages.click("moduleCheck0");
        QVERIFY(pages.find<SkinTickBox>("allCheck")->isChecked());
    }

    void aScanGoesThroughThePagesToItsResults() {
        PageWindow pages(
            [](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); });
        pages.click("navScanner");
        pages.click("scanButton");
        QCOMPARE(pages.tabs().current(), page::scanProgress);
        QTRY_COMPARE(storedSelection(pages), Bytes(moduleCount, 1));
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);

        QCOMPARE(rows(pages),
                 QStringList({"Missing or Invalid Path\nThe key alpha.exe under "
                              "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                              "App Paths contains a bad path for the default value",
                              "Missing or Invalid Path\nThe key beta.exe under "
                              "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                              "App Paths contains a bad path for the default value",
                              "Missing or Invalid Path\nThe key gamma.exe under "
                              "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                              "App Paths contains a bad path for the default value",
                              "Missing or Invalid Path\nThe key Run under "
                              "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion "
                              "contains a bad path C:\\Gone\\delta.exe",
                              "Missing or Invalid Path\nThe key Run under "
                              "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion "
                              "contains a bad path C:\\Gone\\echo.exe"}));
        auto* model = pages.find<QAbstractItemView>("resultsList")->model();
        for (int row = 0; row < 5; ++row) {
            QVERIFY(model->index(row, 0).data(ProblemListModel::tickedRole).toBool());
            QCOMPARE(model->index(row, 0).data(ProblemListModel::recordRole).toInt(), row);
        }
        QCOMPARE(model->index(0, 0).data(ProblemListModel::moduleRole).toInt(), moduleid::appPaths);
        QCOMPARE(model->index(4, 0).data(ProblemListModel::moduleRole).toInt(), moduleid::startup);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("5"));

        // The progress page's counters, and the history on the Overview.
        QCOMPARE(pages.text("moduleCounter6"), QStringLiteral("3"));
        QCOMPARE(pages.text("moduleCounter9"), QStringLiteral("2"));
        QCOMPARE(pages.text("moduleCounter0"), QStringLiteral("0"));
        QCOMPARE(pages.text("scanTotal"), QStringLiteral("5"));
        QCOMPARE(pages.text("lastScanResultValue"), QStringLiteral("5"));
        QCOMPARE(
            pages.text("lastScanValue"),
            QString::fromStdString(pages.bench.profile().getProfileString("UI", "Last Scan", "")));
        QVERIFY(pages.text("lastScanValue") != QStringLiteral("none"));
        QCOMPARE(pages.bench.busy.load(), 0);
    }

    void theSettingsFileIsNeverSavedOnTheInterfaceThread() {
        PageWindow pages(
            [](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); });
        std::mutex mutex;
        std::vector<std::thread::id> savedOn;
        pages.bench.onProfileSaved = [&] {
            const std::lock_guard lock(mutex);
            savedOn.push_back(std::this_thread::get_id());
        };
        pages.click("navScanner");
        pages.click("scanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QTRY_COMPARE(storedSelection(pages), Bytes(moduleCount, 1));
        // The selection, "Last Scan" and "Last Scan Result"; the disk may keep a saving thread
        // waiting, never the window.
        QTRY_VERIFY([&] {
            const std::lock_guard lock(mutex);
            return savedOn.size() >= 3;
        }());
        const std::lock_guard lock(mutex);
        for (const auto& thread : savedOn) {
            QVERIFY(thread != std::this_thread::get_id());
        }
    }

    void withOnlySomeModulesTickedOnlyThoseRun() {
        PageWindow pages(
            [](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); });
        pages.click("navScanner");
        pages.click("allCheck");
        pages.click("moduleCheck9");
        pages.click("scanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("2"));
        QCOMPARE(pages.text("moduleCounter6"), QStringLiteral("0"));
        QCOMPARE(pages.text("scanTotal"), QStringLiteral("2"));
        Bytes expected(moduleCount, 0);
        expected[moduleid::startup] = 1;
        QTRY_COMPARE(storedSelection(pages), expected);
    }

    void noModuleTickedCompletesWithAnEmptyList() {
        PageWindow pages(
            [](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); });
        pages.click("navScanner");
        pages.click("allCheck");
        pages.click("scanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QCOMPARE(rows(pages), QStringList());
        QCOMPARE(pages.text("problemCount"), QStringLiteral("0"));
        QCOMPARE(pages.text("lastScanResultValue"), QStringLiteral("0"));
        QTRY_COMPARE(storedSelection(pages), Bytes(moduleCount, 0));
    }

    void aSecondScanStartsFromZeroAndReplacesTheList() {
        PageWindow pages(
            [](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); });
        pages.click("navScanner");
        pages.click("scanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        pages.click("navScanner");
        pages.click("allCheck");
        pages.click("moduleCheck6");
        pages.click("scanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("3"));
        QCOMPARE(pages.text("moduleCounter9"), QStringLiteral("0"));
    }

    void aScanThatEndsWhileTheWindowIsHiddenIsAnnounced() {
        PageWindow pages(
            [](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); });
        QSignalSpy notices(&pages.window().trayIcon(), &CMyAppTrayIcon::notified);
        pages.click("navScanner");
        pages.click("scanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        // Shown on screen: the results page is the news.
        QCOMPARE(notices.count(), 0);

        pages.click("navScanner");
        pages.click("hideButton");
        QVERIFY(!pages.window().isShownOnScreen());
        pages.window().tabPanel().page(page::scanner)->startMainAction();
        QTRY_COMPARE(notices.count(), 1);
        QCOMPARE(notices[0][0].toString(),
                 QStringLiteral("The scan has finished: 5 problems found."));
    }

    void scanIsIgnoredWhileAnOperationRuns() {
        PageWindow pages;
        pages.click("navScanner");
        pages.bench.busy = 1;
        pages.click("scanButton");
        QCOMPARE(pages.tabs().current(), page::scanner);
        QCOMPARE(pages.window().statusText(),
                 QStringLiteral("Scan is not available while another operation runs."));
        QVERIFY(!storedSelection(pages));
        pages.bench.busy = 0;
    }

    void startScanOnTheOverviewUsesTheBoxesAsTheyStand() {
        PageWindow pages(
            [](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); });
        pages.click("navScanner");
        pages.click("moduleCheck6");
        pages.click("navOverview");
        pages.click("startScanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("2"));
        QCOMPARE(pages.text("lastScanResultValue"), QStringLiteral("2"));
    }

    void stopScanResetsTheCountersAndShowsTheScannerPage() {
        ScanGate gate(moduleid::fonts);
        PageWindow pages([](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); },
                         gate.wrap(PageWindow::realModules()));
        pages.click("navScanner");
        pages.click("scanButton");
        QTRY_VERIFY(gate.reached());
        // The modules before the held one have counted.
        QTRY_COMPARE(pages.text("moduleCounter6"), QStringLiteral("3"));
        QCOMPARE(pages.bench.busy.load(), 1);
        pages.click("navOverview");
        QCOMPARE(pages.tabs().current(), page::scanProgress);

        pages.click("stopScanButton");
        QCOMPARE(pages.tabs().current(), page::scanner);
        QCOMPARE(pages.window().statusText(),
                 QStringLiteral("The scan was stopped; nothing was changed."));
        QCOMPARE(pages.bench.busy.load(), 0);
        for (int id = 0; id < moduleCount; ++id) {
            QCOMPARE(pages.text(QStringLiteral("moduleCounter%1").arg(id).toLatin1().constData()),
                     QStringLiteral("0"));
        }
        QCOMPARE(pages.text("scanTotal"), QStringLiteral("0"));
        QCOMPARE(pages.text("scanStatus"), QString());
        QCOMPARE(pages.bench.profile().getProfileString("UI", "Last Scan", "none"), "none");
        QCOMPARE(pages.text("lastScanValue"), QStringLiteral("none"));

        // A new scan starts at once and completes.
        gate.release();
        pages.click("scanButton");
        QTRY_COMPARE(pages.tabs().current(), page::scanResults);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("5"));
    }
};

std::unique_ptr<QObject> makeScannerTest() {
    return std::make_unique<ScannerTest>();
}

} // namespace tolvane::test

#include "ScannerTest.moc"
