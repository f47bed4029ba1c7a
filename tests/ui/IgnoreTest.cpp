// The ignore list in the desktop program: ignoring rows of the results page and of the review
// window for this prefix or for all, what a fix and a rescan do with them, and the list in
// Settings where entries are removed again.
#include "engine/IgnoreList.h"
#include "engine/ModuleSet.h"
#include "platform/RegistryGateway.h"
#include "platform/services/RegKey.h"
#include "tests/ui/PageWindow.h"
#include "tests/ui/UiSuites.h"
#include "ui/CScannerFinishDlg.h"
#include "ui/CScannerProcessDlg.h"
#include "ui/CSettingsDlg.h"
#include "ui/CTabPanel.h"
#include "ui/IgnoredEntriesDlg.h"
#include "ui/ProblemListModel.h"
#include "ui/ProblemReviewWindow.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

namespace tolvane::test {

namespace {

constexpr const char* appPathsPrefix = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// The five problems scanned and shown on the results page: records 0 to 2 are the App Paths
// entries alpha, beta and gamma, 3 and 4 the startup entries Delta and Echo.
class IgnorePages : public PageWindow {
public:
    IgnorePages()
        : PageWindow([](UiBench& bench) { bench.platform.importReg(PageWindow::fiveProblems); }) {
        scan();
    }

    void scan() {
        click("navScanner");
        click("scanButton");
        QVERIFY(QTest::qWaitFor([this] { return tabs().current() == page::scanResults; }, 5000));
        QVERIFY(settle());
        bench.dialogs.clear();
    }
    CScannerFinishDlg& results() {
        return *dynamic_cast<CScannerFinishDlg*>(tabs().page(page::scanResults));
    }
    QListView* list() { return find<QListView>("resultsList"); }
    int rowCount() { return list()->model()->rowCount(); }
    int recordOf(int row) {
        return list()->model()->index(row, 0).data(ProblemListModel::recordRole).toInt();
    }
    QList<int> listedRecords() {
        QList<int> records;
        for (int row = 0; row < rowCount(); ++row) {
            records << recordOf(row);
        }
        return records;
    }
    ProblemList& records() {
        return dynamic_cast<CScannerProcessDlg*>(tabs().page(page::scanProgress))
            ->moduleSet()
            ->results();
    }
    // Ctrl+I on the row, as the user presses it with the row focused.
    void pressIgnore(int row) {
        list()->setFocus();
        list()->setCurrentIndex(list()->model()->index(row, 0));
        QTest::keyClick(list(), Qt::Key_I, Qt::ControlModifier);
    }
    IgnoreList stored() {
        auto loaded = IgnoreList::load(bench.profile());
        if (!loaded) {
            qFatal("the stored ignore list cannot be read");
        }
        return std::move(loaded.value());
    }
    QLabel* ignoredLabel() { return find<QLabel>("ignoredCount"); }
    bool appPathExists(const char* name) {
        RegKey key;
        return RegKey::open(bench.platform.registry(), hkeyLocalMachine,
                            std::string(appPathsPrefix) + name, key) == winerr::success;
    }
    IgnoredEntriesDlg& openIgnoredEntries() {
        click("navSettings");
        click("ignoredEntriesButton");
        IgnoredEntriesDlg* dialog =
            dynamic_cast<CSettingsDlg*>(tabs().page(page::settings))->ignoredEntries();
        if (dialog == nullptr || !dialog->isVisible()) {
            qFatal("the ignored entries did not open");
        }
        return *dialog;
    }
};

} // namespace

class IgnoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ignoringForThisPrefixStoresTheEntryAndAFixAndARescanLeaveItAlone() {
        IgnorePages pages;
        const ProblemRecord beta = pages.records()[1];
        QVERIFY(pages.ignoredLabel()->isHidden());
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::yes);
        pages.pressIgnore(1);

        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QVERIFY2(shown[0].text.contains(QStringLiteral("/test/prefix")), qPrintable(shown[0].text));
        const IgnoreList stored = pages.stored();
        QCOMPARE(stored.entries().size(), std::size_t{1});
        QCOMPARE(stored.entries()[0],
                 (IgnoreEntry{beta.moduleId, beta.primaryName, beta.secondaryName,
                              IgnoreList::placeOfPrefix("/test/prefix")}));
        // It holds for this prefix only.
        QVERIFY(stored.ignores(beta, IgnoreList::placeOfPrefix("/test/prefix")));
        QVERIFY(!stored.ignores(beta, IgnoreList::placeOfPrefix("/other/prefix")));
        // Gone from the list at once and unticked; the count says so.
        QCOMPARE(pages.listedRecords(), (QList<int>{0, 2, 3, 4}));
        QCOMPARE(pages.records()[1].selected, 0);
        QCOMPARE(pages.text("problemCount"), QStringLiteral("4"));
        QVERIFY(!pages.ignoredLabel()->isHidden());
        QCOMPARE(pages.ignoredLabel()->text(), QStringLiteral("1 ignored"));

        // Ticking everything cannot bring it back into a fix.
        pages.click("tickAllButton");
        QCOMPARE(pages.records()[1].selected, 0);
        pages.bench.dialogs.setNextAnswer(false);
        pages.click("fixButton");
        QVERIFY(pages.settle());
        QCOMPARE(pages.rowCount(), 0);
        QVERIFY(pages.appPathExists("beta.exe"));
        QVERIFY(!pages.appPathExists("alpha.exe"));
        QVERIFY(pages.records()[1].entryKind != entrykind::fixed);

        // The next scan leaves it out and counts it.
        pages.scan();
        QCOMPARE(pages.rowCount(), 0);
        QCOMPARE(pages.ignoredLabel()->text(), QStringLiteral("1 ignored"));
        QVERIFY(!pages.ignoredLabel()->isHidden());
    }

    void ignoringForAllPrefixesThroughTheContextMenu() {
        IgnorePages pages;
        const ProblemRecord delta = pages.records()[3];
        std::unique_ptr<QMenu> menu = pages.results().makeRowMenu(3);
        QVERIFY(menu != nullptr);
        auto* ignore = menu->findChild<QAction*>("ignoreRowAction");
        QVERIFY(ignore != nullptr);
        QCOMPARE(ignore->text(), QStringLiteral("Ignore this entry"));
        QCOMPARE(ignore->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::no);
        ignore->trigger();

        const IgnoreList stored = pages.stored();
        QCOMPARE(stored.entries().size(), std::size_t{1});
        QVERIFY(stored.entries()[0].place.empty());
        QVERIFY(stored.ignores(delta, IgnoreList::placeOfPrefix("/other/prefix")));
        QCOMPARE(pages.listedRecords(), (QList<int>{0, 1, 2, 4}));
        QCOMPARE(pages.ignoredLabel()->text(), QStringLiteral("1 ignored"));

        // A second row adds to what is shown as ignored.
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::no);
        pages.pressIgnore(0);
        QCOMPARE(pages.stored().entries().size(), std::size_t{2});
        QCOMPARE(pages.listedRecords(), (QList<int>{1, 2, 4}));
        QCOMPARE(pages.ignoredLabel()->text(), QStringLiteral("2 ignored"));

        pages.scan();
        QCOMPARE(pages.listedRecords(), (QList<int>{0, 1, 2}));
        QCOMPARE(pages.ignoredLabel()->text(), QStringLiteral("2 ignored"));
        // No row, no menu.
        QVERIFY(pages.results().makeRowMenu(7) == nullptr);
    }

    void cancellingOrABusyProgramStoresNothing_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        // The question closed with Escape or its close button: no answer at all.
        QTest::newRow("closed") << 1;
        QTest::newRow("busy") << 2;
    }

    void cancellingOrABusyProgramStoresNothing() {
        QFETCH(int, how);
        IgnorePages pages;
        if (how == 0) {
            pages.bench.dialogs.setNextChoice(Dialogs::Answer::cancel);
        }
        pages.bench.busy = how == 2 ? 1 : 0;
        pages.pressIgnore(2);
        pages.bench.busy = 0;
        QCOMPARE(pages.bench.dialogs.shown().size(), static_cast<std::size_t>(how == 2 ? 0 : 1));
        QVERIFY(!pages.bench.profile().getProfileBinary(IgnoreList::section, IgnoreList::entry));
        QCOMPARE(pages.rowCount(), 5);
        QCOMPARE(pages.records()[2].selected, 1);
        QVERIFY(pages.ignoredLabel()->isHidden());
    }

    void anUnreadableStoredListIsNeverWrittenOver() {
        IgnorePages pages;
        const std::vector<std::uint8_t> unknown{9, 1, 2, 3};
        QVERIFY(pages.bench.profile().writeProfileBinary(IgnoreList::section, IgnoreList::entry,
                                                         unknown));
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::yes);
        pages.pressIgnore(0);
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{2});
        QCOMPARE(shown[1].kind, ScriptedDialogs::Kind::error);
        QVERIFY(shown[1].text.startsWith(QStringLiteral("Nothing was ignored")));
        QCOMPARE(*pages.bench.profile().getProfileBinary(IgnoreList::section, IgnoreList::entry),
                 unknown);
        QCOMPARE(pages.rowCount(), 5);

        // Settings says it cannot show the list and offers no Remove.
        IgnoredEntriesDlg& dialog = pages.openIgnoredEntries();
        QCOMPARE(dialog.list().topLevelItemCount(), 0);
        QVERIFY(dialog.findChild<QLabel*>("ignoredSummary")->text().contains("cannot be shown"));
        QVERIFY(!dialog.findChild<QPushButton*>("removeIgnoredButton")->isEnabled());
        dialog.close();
    }

    void theReviewWindowIgnoresEverySelectedRowWithOneQuestion() {
        IgnorePages pages;
        pages.click("reviewButton");
        ProblemReviewWindow* review = pages.results().reviewWindow();
        QVERIFY(review != nullptr && review->isVisible());
        QTableView& table = review->table();
        table.selectRow(0);
        table.selectionModel()->select(table.model()->index(4, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(review->selectedRows().size(), std::size_t{2});
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::yes);
        review->findChild<QPushButton*>("reviewIgnore")->click();

        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QVERIFY2(shown[0].text.contains(QStringLiteral("2 selected entries")),
                 qPrintable(shown[0].text));
        QCOMPARE(pages.stored().entries().size(), std::size_t{2});
        QCOMPARE(pages.listedRecords(), (QList<int>{1, 2, 3}));
        QCOMPARE(table.model()->rowCount(), 3);
        QCOMPARE(pages.ignoredLabel()->text(), QStringLiteral("2 ignored"));
        review->close();
    }

    void settingsListsTheEntriesAndRemovesSeveralAtOnce() {
        IgnorePages pages;
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::yes);
        pages.pressIgnore(0);
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::no);
        pages.pressIgnore(2); // Delta, now on row 2
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::yes);
        pages.pressIgnore(2); // Echo
        QCOMPARE(pages.listedRecords(), (QList<int>{1, 2}));

        IgnoredEntriesDlg& dialog = pages.openIgnoredEntries();
        QTreeWidget& list = dialog.list();
        QCOMPARE(list.topLevelItemCount(), 3);
        const QTreeWidgetItem* alpha = list.topLevelItem(0);
        QCOMPARE(alpha->text(0), QStringLiteral("Application Paths"));
        QCOMPARE(alpha->text(1), QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows"
                                                "\\CurrentVersion\\App Paths\\alpha.exe"));
        QCOMPARE(alpha->text(3), QStringLiteral("This prefix"));
        const QTreeWidgetItem* delta = list.topLevelItem(1);
        QCOMPARE(delta->text(0), QStringLiteral("Startup Section"));
        QCOMPARE(delta->text(2), QStringLiteral("Delta"));
        QCOMPARE(delta->text(3), QStringLiteral("All prefixes"));

        auto* remove = dialog.findChild<QPushButton*>("removeIgnoredButton");
        QVERIFY(!remove->isEnabled());
        list.topLevelItem(0)->setSelected(true);
        list.topLevelItem(2)->setSelected(true);
        QVERIFY(remove->isEnabled());
        remove->click();
        // Stored at once: only Delta is left, also in the dialog.
        const IgnoreList stored = pages.stored();
        QCOMPARE(stored.entries().size(), std::size_t{1});
        QCOMPARE(stored.entries()[0].primaryName, pages.records()[3].primaryName);
        QCOMPARE(list.topLevelItemCount(), 1);
        QCOMPARE(list.topLevelItem(0)->text(2), QStringLiteral("Delta"));
        dialog.close();

        // The next scan reports the removed ones again.
        pages.scan();
        QCOMPARE(pages.listedRecords(), (QList<int>{0, 1, 2, 3}));
        QCOMPARE(pages.ignoredLabel()->text(), QStringLiteral("1 ignored"));
    }

    void removingKeepsWhatTheCommandLineAddedMeanwhile() {
        IgnorePages pages;
        pages.bench.dialogs.setNextChoice(Dialogs::Answer::no);
        pages.pressIgnore(1);
        IgnoredEntriesDlg& dialog = pages.openIgnoredEntries();
        QCOMPARE(dialog.list().topLevelItemCount(), 1);
        // Another program adds an entry while the dialog is open.
        IgnoreList meantime = pages.stored();
        QVERIFY(meantime.add(IgnoreEntry{moduleid::fonts, "Gone.ttf", "", ""}));
        QVERIFY(meantime.store(pages.bench.profile()));

        dialog.list().topLevelItem(0)->setSelected(true);
        dialog.list().setFocus();
        QTest::keyClick(&dialog.list(), Qt::Key_Delete);
        const IgnoreList stored = pages.stored();
        QCOMPARE(stored.entries().size(), std::size_t{1});
        QCOMPARE(stored.entries()[0].primaryName, std::string("Gone.ttf"));
        QCOMPARE(dialog.list().topLevelItemCount(), 1);
        QCOMPARE(dialog.list().topLevelItem(0)->text(0), QStringLiteral("Fonts Section"));
        dialog.close();
    }
};

std::unique_ptr<QObject> makeIgnoreTest() {
    return std::make_unique<IgnoreTest>();
}

} // namespace tolvane::test

#include "IgnoreTest.moc"
