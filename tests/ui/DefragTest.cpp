// The Defrag page: "Last Defrag" at the start, the flushes with their pauses on the injected
// clock, the message at the end and `busy` until it is closed, and the failures.
#include "platform/ProfileStore.h"
#include "platform/base/TimeText.h"
#include "tests/ui/PageWindow.h"
#include "tests/ui/UiSuites.h"
#include "ui/CTabPanel.h"

#include <QLabel>
#include <QTest>
#include <algorithm>

namespace tolvane::test {

namespace {

const QString completed = QStringLiteral("Defragmentation was succesfully completed");

long flushPauses(UiBench& bench) {
    const auto waits = bench.platform.clock().waits();
    return std::count(waits.begin(), waits.end(), std::chrono::milliseconds(1024));
}

} // namespace

class DefragTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defragRecordsItsStartAndReportsItsEnd() {
        PageWindow pages;
        const QString started =
            QString::fromStdString(historyTimeText(pages.bench.platform.clock().now()));
        int busyAtMessage = -1;
        pages.onMessage = [&](const QString&) { busyAtMessage = pages.bench.busy; };
        pages.click("navDefrag");
        pages.click("defragButton");

        // At once, before any flush: the wait label and the bar.
        QVERIFY(!pages.find<QLabel>("waitLabel")->isHidden());
        QCOMPARE(pages.text("waitLabel"), QStringLiteral("Please Wait..."));
        QVERIFY(!pages.find<QWidget>("defragBar")->isHidden());
        QCOMPARE(pages.bench.busy.load(), 1);
        pages.click("navOverview");
        QCOMPARE(pages.tabs().current(), page::defrag);

        QVERIFY(pages.settle());
        // The history keeps the start time of the defragmentation, written once it succeeded.
        QCOMPARE(QString::fromStdString(
                     pages.bench.profile().getProfileString("UI", "Last Defrag", "none")),
                 started);
        QCOMPARE(pages.text("lastDefragValue"), started);
        QCOMPARE(pages.bench.dialogs.texts(), QStringList({completed}));
        QCOMPARE(pages.bench.dialogs.shown()[0].kind, ScriptedDialogs::Kind::information);
        // `busy` stays set until the message is closed.
        QCOMPARE(busyAtMessage, 1);
        QCOMPARE(pages.bench.busy.load(), 0);
        QVERIFY(pages.find<QLabel>("waitLabel")->isHidden());
        // Without a hive list: the three roots, each followed by its pause.
        QCOMPARE(flushPauses(pages.bench), 3L);
        QVERIFY(pages.bench.platform.storage().saves >= 3);
    }

    void theHivesOfTheListAreFlushedToo() {
        PageWindow pages([](UiBench& bench) {
            bench.platform.importReg(
                "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\hivelist]\n"
                "\"\\\\REGISTRY\\\\MACHINE\\\\SOFTWARE\"=\"\"\n"
                "\"\\\\REGISTRY\\\\USER\\\\.DEFAULT\"=\"\"\n"
                "\n[HKEY_LOCAL_MACHINE\\Software\\Wine]\n");
        });
        pages.click("navDefrag");
        pages.click("defragButton");
        QVERIFY(pages.settle());
        // 3 for the roots, 2 for the software hive, 4 for the user's.
        QCOMPARE(flushPauses(pages.bench), 9L);
        QCOMPARE(pages.bench.dialogs.texts(), QStringList({completed}));
    }

    void startDefragOnTheOverviewRunsTheSameAction() {
        PageWindow pages;
        pages.click("startDefragButton");
        QCOMPARE(pages.tabs().current(), page::defrag);
        QVERIFY(pages.settle());
        QCOMPARE(pages.bench.dialogs.texts(), QStringList({completed}));
        QVERIFY(pages.text("lastDefragValue") != QStringLiteral("none"));
    }

    void defragIsIgnoredWhileAnOperationRuns() {
        PageWindow pages;
        pages.click("navDefrag");
        pages.bench.busy = 1;
        pages.click("defragButton");
        pages.bench.busy = 0;
        QVERIFY(pages.bench.dialogs.shown().empty());
        QCOMPARE(pages.bench.profile().getProfileString("UI", "Last Defrag", "none"), "none");
        QVERIFY(pages.find<QLabel>("waitLabel")->isHidden());
    }

    void aRegistryThatCannotBeStoredIsReportedAsAnError() {
        PageWindow pages;
        pages.bench.platform.storage().failSaves = true;
        pages.click("navDefrag");
        pages.click("defragButton");
        QVERIFY(pages.settle());
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::error);
        QVERIFY2(shown[0].text.startsWith(QStringLiteral("The defragmentation did not complete: ")),
                 qPrintable(shown[0].text));
        QCOMPARE(pages.bench.busy.load(), 0);
        // A defragmentation that failed is not recorded as the latest one.
        QCOMPARE(pages.bench.profile().getProfileString("UI", "Last Defrag", "none"), "none");
        QCOMPARE(pages.text("lastDefragValue"), QStringLiteral("none"));
    }

    void aPrefixHeldByAWineserverIsExplainedAndNothingRecorded() {
        PageWindow pages;
        pages.bench.platform.storage().refuseWrites = true;
        pages.click("navDefrag");
        pages.click("defragButton");
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QVERIFY(shown[0].text.contains(QStringLiteral("wineserver")));
        QCOMPARE(pages.bench.profile().getProfileString("UI", "Last Defrag", "none"), "none");
        QCOMPARE(pages.bench.busy.load(), 0);
        QCOMPARE(flushPauses(pages.bench), 0L);
    }
};

std::unique_ptr<QObject> makeDefragTest() {
    return std::make_unique<DefragTest>();
}

} // namespace tolvane::test

#include "DefragTest.moc"
