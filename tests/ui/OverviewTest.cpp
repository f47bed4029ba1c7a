// The Overview page: the four history values and the three Start buttons.
#include "tests/ui/UiBench.h"
#include "tests/ui/UiSuites.h"
#include "ui/CHollinDlg.h"
#include "ui/COverviewDlg.h"
#include "ui/CTabPanel.h"
#include "ui/SkinButton.h"

#include <QLabel>
#include <QTest>

namespace tolvane::test {

namespace {

QStringList shownValues(CHollinDlg& window) {
    QStringList values;
    for (const char* name :
         {"lastScanValue", "lastScanResultValue", "lastDefragValue", "lastBackupValue"}) {
        values << window.findChild<QLabel*>(name)->text();
    }
    return values;
}

} // namespace

class OverviewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStartShowsNoneFourTimes() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        QCOMPARE(shownValues(*window), QStringList({"none", "none", "none", "none"}));
        QCOMPARE(window->findChild<QLabel*>("lastScanResultCaption")->text(),
                 QStringLiteral("Last Scan Results"));
    }

    void refreshShowsTheStoredHistory() {
        UiBench bench;
        auto window = bench.makeWindow();
        ProfileStore& profile = bench.profile();
        profile.writeProfileString("UI", "Last Scan", "Sunday, December 06, 2026 22:31");
        profile.writeProfileString("UI", "Last Scan Result", "12");
        profile.writeProfileString("UI", "Last Backup", "Monday, December 07, 2026 08:00");
        QCOMPARE(shownValues(*window), QStringList({"none", "none", "none", "none"}));
        window->findChild<COverviewDlg*>("overviewPage")->refreshOverview();
        QCOMPARE(shownValues(*window), QStringList({"Sunday, December 06, 2026 22:31", "12", "none",
                                                    "Monday, December 07, 2026 08:00"}));
    }

    void startButtonsShowTheirPageThenStartItsAction_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("slot");
        QTest::newRow("Start Scan") << "startScanButton" << page::scanner;
        QTest::newRow("Start Defrag") << "startDefragButton" << page::defrag;
        QTest::newRow("Create Backup") << "createBackupButton" << page::backup;
    }

    void startButtonsShowTheirPageThenStartItsAction() {
        QFETCH(QString, button);
        QFETCH(int, slot);
        UiBench bench;
        auto window = bench.makeWindow();
        auto* target = new RecordingPanel(bench.context(), bench.busy);
        window->tabPanel().setPage(slot, target);
        UiBench::showAndSettle(*window);
        QTest::mouseClick(window->findChild<SkinButton*>(button), Qt::LeftButton);
        QCOMPARE(window->tabPanel().current(), slot);
        // Asked once the page is on show, not during the click.
        QCOMPARE(target->startRequests, 0);
        QCoreApplication::processEvents();
        QCOMPARE(target->startRequests, 1);
        QVERIFY(target->visibleAtStart);
    }

    void whileBusyTheSwitchIsRefusedAndThePageIsAskedUnderBusy() {
        UiBench bench;
        auto window = bench.makeWindow();
        auto* target = new RecordingPanel(bench.context(), bench.busy);
        window->tabPanel().setPage(page::scanner, target);
        UiBench::showAndSettle(*window);
        bench.busy = 1;
        QTest::mouseClick(window->findChild<SkinButton*>("startScanButton"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(window->tabPanel().current(), page::overview);
        // The page sees `busy` and, like its own button, does nothing.
        QCOMPARE(target->startedWhileBusy, 1);
    }

    void aStartButtonOfAMissingPageDoesNothing() {
        UiBench bench;
        auto window = bench.makeWindow();
        UiBench::showAndSettle(*window);
        if (window->tabPanel().page(page::defrag) != nullptr) {
            QSKIP("the Defrag page is built");
        }
        QTest::mouseClick(window->findChild<SkinButton*>("startDefragButton"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(window->tabPanel().current(), page::overview);
    }
};

std::unique_ptr<QObject> makeOverviewTest() {
    return std::make_unique<OverviewTest>();
}

} // namespace tolvane::test

#include "OverviewTest.moc"
