// The Settings page: what the boxes show, what Apply and Default store, the autostart entry,
// and the choice of the Wine prefix.
#include "tests/support/TempDir.h"
#include "tests/ui/UiBench.h"
#include "tests/ui/UiSuites.h"
#include "ui/CHollinDlg.h"
#include "ui/CSettingsDlg.h"
#include "ui/CTabPanel.h"
#include "ui/SkinButton.h"
#include "ui/SkinCheckBox.h"

#include <QLabel>
#include <QTest>
#include <filesystem>

namespace tolvane::test {

namespace {

struct SettingsPage {
    explicit SettingsPage(UiBench& bench) : window(bench.makeWindow()) {
        UiBench::showAndSettle(*window);
        QTest::mouseClick(window->findChild<SkinButton*>("navSettings"), Qt::LeftButton);
        page = window->findChild<CSettingsDlg*>("settingsPage");
    }

    SkinCheckBox* box(const char* name) const { return page->findChild<SkinCheckBox*>(name); }
    void press(const char* name) const {
        QTest::mouseClick(page->findChild<SkinButton*>(name), Qt::LeftButton);
    }

    std::unique_ptr<CHollinDlg> window;
    CSettingsDlg* page = nullptr;
};

std::uint32_t stored(UiBench& bench, const char* entry) {
    return bench.profile().getProfileInt("Settings", entry, 77);
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aFreshProfileShowsEveryOptionOff() {
        UiBench bench;
        SettingsPage settings(bench);
        QVERIFY(settings.page->isVisible());
        for (const char* name : {"autostartCheck", "runScanCheck", "startMinimizedCheck"}) {
            QVERIFY2(!settings.box(name)->isChecked(), name);
        }
        QCOMPARE(settings.box("autostartCheck")->geometry().topLeft(), QPoint(20, 110));
        QCOMPARE(settings.box("runScanCheck")->geometry().topLeft(), QPoint(20, 160));
        QCOMPARE(settings.box("startMinimizedCheck")->geometry().topLeft(), QPoint(20, 210));
        // A Linux desktop starts programs at login.
        QCOMPARE(settings.box("autostartCheck")->text(), QStringLiteral("Start at login"));
        QCOMPARE(settings.box("runScanCheck")->text(), QStringLiteral("Run Scan at Startup"));
        QCOMPARE(settings.box("startMinimizedCheck")->text(),
                 QStringLiteral("Start Minimized in Tray"));
    }

    void theBoxesShowTheStoredEntries() {
        UiBench bench;
        bench.profile().writeProfileInt("Settings", "RunScanAtStartup", 1);
        bench.profile().writeProfileInt("Settings", "Autostart", 1);
        SettingsPage settings(bench);
        QVERIFY(settings.box("autostartCheck")->isChecked());
        QVERIFY(settings.box("runScanCheck")->isChecked());
        QVERIFY(!settings.box("startMinimizedCheck")->isChecked());
    }

    void defaultWritesTheEmptyProfileDefaultsAndRemovesTheAutostartEntry() {
        UiBench bench;
        bench.autostart().SetAutostart(true);
        bench.profile().writeProfileInt("Settings", "Autostart", 1);
        SettingsPage settings(bench);
        settings.box("startMinimizedCheck")->setChecked(true);
        settings.box("runScanCheck")->setChecked(true);
        settings.press("defaultButton");
        for (const char* entry : {"StartMinimized", "RunScanAtStartup", "Autostart"}) {
            QVERIFY2(stored(bench, entry) == 0u, entry);
        }
        for (const char* name : {"autostartCheck", "runScanCheck", "startMinimizedCheck"}) {
            QVERIFY2(!settings.box(name)->isChecked(), name);
        }
        QVERIFY(!std::filesystem::exists(bench.autostart().entryFile()));
    }

    void applyLeavesAnExistingAutostartEntryUnchanged() {
        UiBench bench;
        const auto entry = bench.autostart().entryFile();
        std::filesystem::create_directories(entry.parent_path());
        const std::string theirs = "[Desktop Entry]\nType=Application\nExec=/elsewhere/tolvane\n";
        writeFile(entry, theirs);
        bench.profile().writeProfileInt("Settings", "Autostart", 1);
        SettingsPage settings(bench);
        settings.press("applyButton");
        QCOMPARE(readFile(entry), theirs);
        QCOMPARE(stored(bench, "Autostart"), 1u);
        QCOMPARE(stored(bench, "RunScanAtStartup"), 0u);
        QCOMPARE(stored(bench, "StartMinimized"), 0u);
    }

    void applyWithStartWithWindowsOffRemovesTheEntry() {
        UiBench bench;
        bench.autostart().SetAutostart(true);
        SettingsPage settings(bench);
        settings.box("startMinimizedCheck")->setChecked(true);
        QCOMPARE(settings.window->statusText(), QString());
        settings.press("applyButton");
        QVERIFY(!std::filesystem::exists(bench.autostart().entryFile()));
        QCOMPARE(stored(bench, "StartMinimized"), 1u);
        QCOMPARE(stored(bench, "Autostart"), 0u);
        QCOMPARE(settings.window->statusText(), QStringLiteral("Settings applied."));
    }

    void changedBoxesAreKeptButNotStoredWithoutApply() {
        UiBench bench;
        SettingsPage settings(bench);
        QTest::mouseClick(settings.box("runScanCheck"), Qt::LeftButton);
        QVERIFY(settings.box("runScanCheck")->isChecked());
        QTest::mouseClick(settings.window->findChild<SkinButton*>("navOverview"), Qt::LeftButton);
        QTest::mouseClick(settings.window->findChild<SkinButton*>("navSettings"), Qt::LeftButton);
        QVERIFY(settings.box("runScanCheck")->isChecked());
        QCOMPARE(stored(bench, "RunScanAtStartup"), 77u);
        QVERIFY(!std::filesystem::exists(bench.autostart().entryFile()));
    }

    void thePrefixCanBeChangedButNotWhileBusy() {
        UiBench bench;
        SettingsPage settings(bench);
        auto* label = settings.page->findChild<QLabel*>("prefixLabel");
        QVERIFY(label->text().contains("/test/prefix"));
        bench.busy = 1;
        settings.press("choosePrefixButton");
        QCOMPARE(bench.session.chooseCalls, 0);
        bench.busy = 0;
        bench.dialogs.setNextFolder(QStringLiteral("/other/prefix"));
        settings.press("choosePrefixButton");
        QCOMPARE(bench.session.chooseCalls, 1);
        QVERIFY(label->text().contains("/other/prefix"));
    }
};

std::unique_ptr<QObject> makeSettingsTest() {
    return std::make_unique<SettingsTest>();
}

} // namespace tolvane::test

#include "SettingsTest.moc"
