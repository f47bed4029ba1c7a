// The Backup page: creating, listing, restoring and deleting whole-registry backups through the
// panel, which row the actions take, and what the user is told when an action fails.
#include "platform/ProfileStore.h"
#include "platform/RegistryGateway.h"
#include "platform/services/RegKey.h"
#include "tests/ui/PageWindow.h"
#include "tests/ui/UiSuites.h"
#include "ui/CBackupDlg.h"
#include "ui/CTabPanel.h"

#include <QTest>
#include <QTreeWidget>
#include <filesystem>

namespace tolvane::test {

namespace {

const QString createQuestion = QStringLiteral(
    "Creating of backup may take several minutes. Are you sure you want to continue?");
const QString restoreQuestion = QStringLiteral(
    "Restoring of backup may take several minutes. Are you sure you want to continue?");
const QString deleteQuestion = QStringLiteral("Are you sure you want to delete selected backup?");

std::string colourKey(const char* colour) {
    return std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tolvane Test]\n\"Colour\"=\"") +
           colour + "\"\n";
}

// The Backup page of a window whose registry holds HKCU\Software\Tolvane Test "Colour".
class BackupPages : public PageWindow {
public:
    explicit BackupPages(const std::function<void(UiBench&)>& prepare = {})
        : PageWindow([&prepare](UiBench& bench) {
              bench.platform.importReg(colourKey("blue"));
              if (prepare) {
                  prepare(bench);
              }
          }) {
        click("navBackup");
    }

    QTreeWidget* list() { return find<QTreeWidget>("backupList"); }
    int count() { return list()->topLevelItemCount(); }
    QStringList rows(int column = CBackupDlg::madeColumn) {
        QStringList texts;
        for (int row = 0; row < count(); ++row) {
            texts << list()->topLevelItem(row)->text(column);
        }
        return texts;
    }
    void select(std::initializer_list<int> rows) {
        list()->clearSelection();
        for (const int row : rows) {
            QVERIFY(row < count());
            list()->topLevelItem(row)->setSelected(true);
        }
    }
    // Presses `button` with `answer` queued for its question, until the action has ended.
    void act(const char* button, bool answer = true) {
        bench.dialogs.setNextAnswer(answer);
        click(button);
        QVERIFY(settle());
    }
    std::filesystem::path root() { return bench.platform.workingDirectory() / "Backup"; }
    std::string colour() {
        RegKey key;
        std::string data;
        std::uint32_t size = 260;
        if (RegKey::open(bench.platform.registry(), hkeyCurrentUser, "Software\\Tolvane Test",
                         key) != winerr::success ||
            bench.platform.registry().RegQueryValueExA(key.get(), "Colour", nullptr, &data,
                                                       &size) != winerr::success) {
            return {};
        }
        return data.substr(0, data.find('\0'));
    }
};

void makeBackup(const std::filesystem::path& folder, const std::string& content) {
    writeFile(folder / "main.reg", content);
}

} // namespace

class BackupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createRestoreAndDeleteThroughThePanel() {
        BackupPages pages;
        QCOMPARE(pages.count(), 0);

        pages.bench.dialogs.setNextAnswer(true);
        pages.click("createButton");
        // The working layout while the worker runs.
        QCOMPARE(pages.list()->height(), CBackupDlg::workingListHeight);
        QVERIFY(!pages.find<QWidget>("backupBar")->isHidden());
        QCOMPARE(pages.bench.busy.load(), 1);
        QVERIFY(pages.settle());
        QCOMPARE(pages.list()->geometry(), CBackupDlg::listNormal);
        QVERIFY(pages.find<QWidget>("backupBar")->isHidden());
        QCOMPARE(pages.bench.dialogs.texts(),
                 QStringList({createQuestion, QStringLiteral("Backup was succesfully created")}));

        // One row: shown with ":" and carrying its folder's real name.
        QCOMPARE(pages.count(), 1);
        const QString folder = pages.list()->topLevelItem(0)->data(0, Qt::UserRole).toString();
        QVERIFY(folder.contains(QLatin1Char('_')));
        QCOMPARE(pages.rows(), QStringList({QString(folder).replace('_', ':')}));
        QCOMPARE(pages.rows(CBackupDlg::kindColumn), QStringList({"Whole registry"}));
        QVERIFY(std::filesystem::exists(pages.root() / folder.toStdString() / "main.reg"));
        const std::string lastBackup =
            pages.bench.profile().getProfileString("UI", "Last Backup", "none");
        QVERIFY(lastBackup != "none");
        QCOMPARE(pages.text("lastBackupValue").toStdString(), lastBackup);

        // A change after the backup is undone by the restore.
        pages.bench.platform.importReg(colourKey("red"));
        const int savesBefore = pages.bench.platform.storage().saves;
        pages.bench.dialogs.clear();
        pages.select({0});
        pages.act("restoreButton");
        QCOMPARE(
            pages.bench.dialogs.texts(),
            QStringList({restoreQuestion, QStringLiteral("Registry was succesfully restored")}));
        QCOMPARE(pages.colour(), std::string("blue"));
        QVERIFY(pages.bench.platform.storage().saves > savesBefore);
        QCOMPARE(pages.bench.profile().getProfileString("UI", "Last Backup", "none"), lastBackup);

        // Delete says nothing after its question; the row and the folder are gone.
        pages.bench.dialogs.clear();
        pages.select({0});
        pages.act("deleteButton");
        QCOMPARE(pages.bench.dialogs.texts(), QStringList({deleteQuestion}));
        QCOMPARE(pages.count(), 0);
        QVERIFY(std::filesystem::is_empty(pages.root()));
    }

    void answeringNoOrSelectingNothingDoesNothing() {
        BackupPages pages([](UiBench& bench) {
            makeBackup(bench.platform.workingDirectory() / "Backup" / "01.01.2026 10_00_00_000",
                       colourKey("green"));
        });
        pages.act("createButton", false);
        pages.select({0});
        pages.act("restoreButton", false);
        pages.act("deleteButton", false);
        QCOMPARE(pages.bench.dialogs.texts(),
                 QStringList({createQuestion, restoreQuestion, deleteQuestion}));
        QCOMPARE(pages.rows(), QStringList({"01.01.2026 10:00:00:000"}));
        QCOMPARE(pages.colour(), std::string("blue"));
        QCOMPARE(pages.bench.profile().getProfileString("UI", "Last Backup", "none"), "none");

        // Without a selected row Restore and Delete do not even ask.
        pages.bench.dialogs.clear();
        pages.list()->clearSelection();
        pages.click("restoreButton");
        pages.click("deleteButton");
        QVERIFY(pages.bench.dialogs.shown().empty());
    }

    void ofSeveralSelectedRowsTheLowestIsActedOn() {
        BackupPages pages([](UiBench& bench) {
            const auto root = bench.platform.workingDirectory() / "Backup";
            makeBackup(root / "01.01.2026 10_00_00_000", colourKey("green"));
            makeBackup(root / "02.01.2026 10_00_00_000", colourKey("yellow"));
            makeBackup(root / "03.01.2026 10_00_00_000", colourKey("purple"));
        });
        pages.select({0, 1});
        pages.act("restoreButton");
        QCOMPARE(pages.colour(), std::string("yellow"));
        pages.select({0, 1});
        pages.act("deleteButton");
        QCOMPARE(pages.rows(), QStringList({"03.01.2026 10:00:00:000", "01.01.2026 10:00:00:000"}));
    }

    void backupsAreListedNewestFirstWithWhatTheyHold() {
        BackupPages pages([](UiBench& bench) {
            const auto root = bench.platform.workingDirectory() / "Backup";
            makeBackup(root / "31.12.2025 08_15_00_250", colourKey("green"));
            writeFile(root / "01.01.2027 09_00_00_000" / "Startup.reg",
                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\n[HKEY_CURRENT_USER\\B]\n");
            // Neither a loose file nor a folder without a .reg file is a backup.
            writeFile(root / "notes_2026.txt", "kept by the user");
            std::filesystem::create_directories(root / "05.01.2026 08_15_00_250");
        });
        QCOMPARE(pages.rows(), QStringList({"01.01.2027 09:00:00:000", "31.12.2025 08:15:00:250"}));
        QCOMPARE(pages.rows(CBackupDlg::kindColumn), QStringList({"Fix", "Whole registry"}));
        QCOMPARE(pages.rows(CBackupDlg::keysColumn), QStringList({"2", "1"}));
        QCOMPARE(pages.rows(CBackupDlg::prefixColumn),
                 QStringList({"not recorded", "not recorded"}));
        // The list is read again each time the page is shown.
        std::filesystem::remove_all(pages.root() / "01.01.2027 09_00_00_000");
        pages.click("navOverview");
        pages.click("navBackup");
        QCOMPARE(pages.rows(), QStringList({"31.12.2025 08:15:00:250"}));
    }

    void aFailedActionIsReportedAsAnError_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("create: Backup is a file")
            << "create"
            << "The backup was not created: cannot create a backup folder in ";
        QTest::newRow("restore: the .reg file went after listing")
            << "restore"
            << "The registry was not restored: the backup 01.01.2026 10_00_00_000 "
               "holds no .reg file";
        QTest::newRow("restore: the registry cannot be stored")
            << "restore-unsaved"
            << "The registry was not restored: ";
    }

    void aFailedActionIsReportedAsAnError() {
        QFETCH(QString, action);
        QFETCH(QString, message);
        BackupPages pages([&action](UiBench& bench) {
            const auto root = bench.platform.workingDirectory() / "Backup";
            if (action == "create") {
                std::filesystem::remove_all(root);
                writeFile(root, "a file where the folder belongs");
            } else if (action == "restore") {
                makeBackup(root / "01.01.2026 10_00_00_000", colourKey("green"));
            } else {
                makeBackup(root / "01.01.2026 10_00_00_000", colourKey("green"));
                bench.platform.storage().failSaves = true;
            }
        });
        if (action == "restore") {
            std::filesystem::remove(pages.root() / "01.01.2026 10_00_00_000" / "main.reg");
        }
        if (action == "create") {
            pages.act("createButton");
        } else {
            pages.select({0});
            pages.act("restoreButton");
        }
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{2});
        QCOMPARE(shown[1].kind, ScriptedDialogs::Kind::error);
        QVERIFY2(shown[1].text.startsWith(message), qPrintable(shown[1].text));
        QCOMPARE(pages.bench.profile().getProfileString("UI", "Last Backup", "none"), "none");
        QCOMPARE(pages.bench.busy.load(), 0);
    }

    void aPrefixHeldByAWineserverIsExplainedBeforeTheRestoreQuestion() {
        BackupPages pages([](UiBench& bench) {
            makeBackup(bench.platform.workingDirectory() / "Backup" / "01.01.2026 10_00_00_000",
                       colourKey("green"));
            bench.platform.storage().refuseWrites = true;
        });
        pages.select({0});
        pages.click("restoreButton");
        const auto shown = pages.bench.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t{1});
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::error);
        QVERIFY(shown[0].text.contains(QStringLiteral("wineserver")));
        QCOMPARE(pages.colour(), std::string("blue"));
    }

    void whileAnOperationRunsTheButtonsAskNothing() {
        BackupPages pages([](UiBench& bench) {
            makeBackup(bench.platform.workingDirectory() / "Backup" / "01.01.2026 10_00_00_000",
                       colourKey("green"));
        });
        pages.select({0});
        pages.bench.busy = 1;
        pages.click("createButton");
        pages.click("restoreButton");
        pages.click("deleteButton");
        QCOMPARE(pages.window().statusText(),
                 QStringLiteral("Delete is not available while another operation runs."));
        pages.bench.busy = 0;
        QVERIFY(pages.bench.dialogs.shown().empty());
        QCOMPARE(pages.count(), 1);
    }

    void createBackupOnTheOverviewAsksTheSameQuestion() {
        BackupPages pages;
        pages.click("navOverview");
        pages.bench.dialogs.setNextAnswer(true);
        pages.click("createBackupButton");
        QCOMPARE(pages.tabs().current(), page::backup);
        QVERIFY(pages.settle());
        QCOMPARE(pages.bench.dialogs.texts(),
                 QStringList({createQuestion, QStringLiteral("Backup was succesfully created")}));
        QCOMPARE(pages.count(), 1);
        QVERIFY(pages.text("lastBackupValue") != QStringLiteral("none"));
    }
};

std::unique_ptr<QObject> makeBackupTest() {
    return std::make_unique<BackupTest>();
}

} // namespace tolvane::test

#include "BackupTest.moc"
