#include "modules/CModuleUninstall.h"

#include "tests/modules/ModuleFixture.h"

#include <algorithm>
#include <string>

namespace tolvane {
namespace {

const std::string uninstallArea = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class CModuleUninstallTest : public test::ModuleTest<CModuleUninstall> {
protected:
    void entry(const std::string& name, std::string_view uninstallString) {
        setText(uninstallArea + name, "UninstallString", uninstallString);
    }
};

TEST_F(CModuleUninstallTest, ReportsEntriesWhoseUninstallerIsGoneFromItsDrivePath) {
    test.addFile("C:\\Program Files\\Here\\uninst.exe");
    test.addFile("C:\\windows\\system32\\msiexec.exe");
    entry("{11111111-2222-3333-4444-555555555555}", "C:\\gone.exe");
    entry("{Half", "C:\\gone.exe");
    entry("Quoted", "\"C:\\Program Files\\Gone\\uninst.exe\" /S");
    entry("Unquoted", "C:\\Gone\\Uninst.EXE /x");
    entry("Present", "\"C:\\Program Files\\Here\\uninst.exe\" /S");
    entry("PresentUnquoted", "C:\\Program Files\\Here\\uninst.exe /S");
    entry("Installer", "MsiExec.exe /X{1234}");
    entry("Bare", "uninst");
    setText(uninstallArea + "NoString", "DisplayName", "x");
    entry("Huge", "C:\\" + std::string(300, 'u')); // does not fit: not read

    const auto records = scanAndSelect(module);

    // A bare name is searched where Windows searches, and is not there.
    EXPECT_EQ(primaryNames(records),
              (std::vector<std::string>{"Bare", "Quoted", "Unquoted", "{Half"}));
    EXPECT_EQ(records.at(1),
              found(11, "Invalid Uninstall Path",
                    "The key Quoted under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion\\Uninstall contains a bad path for the UninstallString value",
                    "Quoted"));
    const auto statuses = progress.statusHistory();
    EXPECT_EQ(
        std::count(statuses.begin(), statuses.end(), "{11111111-2222-3333-4444-555555555555}"), 0);
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

TEST_F(CModuleUninstallTest, InstallersCommandLinesAreReadAsWindowsReadsThem) {
    test.addFile("C:\\Program Files\\Flexera Software\\uninst.exe");
    test.addFile("C:\\windows\\system32\\msiexec.exe");
    const std::string product = "{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
    entry("Flexera", "C:\\Program Files\\Flexera Software\\uninst.exe");
    entry("Expanded", "%ProgramFiles%\\Flexera Software\\uninst.exe /x");
    entry("Unknown", "%TolvaneNoSuchVariable%\\uninst.exe");
    entry("ProductHere", "MsiExec.exe /X" + product);
    entry("ProductGone", "MsiExec.exe /X{99999999-9ABC-DEF0-1234-56789ABCDEF0}");
    setText(uninstallArea + product, "DisplayName", "installed by the Installer");

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"ProductGone"}));
}

TEST_F(CModuleUninstallTest, AMissingIconOrQuietUninstallerCostsOnlyItsValue) {
    test.addFile("C:\\Program Files\\Here\\uninst.exe");
    test.addFile("C:\\Program Files\\Here\\app.ico");
    const std::string here = "\"C:\\Program Files\\Here\\uninst.exe\"";
    entry("Icons", here);
    setText(uninstallArea + "Icons", "DisplayIcon", "C:\\Program Files\\Here\\gone.exe,0");
    setText(uninstallArea + "Icons", "QuietUninstallString", here + " /S");
    entry("Quiet", here);
    setText(uninstallArea + "Quiet", "QuietUninstallString",
            "\"C:\\Program Files\\Gone\\u.exe\" /S");
    setText(uninstallArea + "Quiet", "DisplayIcon", "\"C:\\Program Files\\Here\\app.ico\"");
    entry("Dead", "C:\\Program Files\\Gone\\u.exe");
    setText(uninstallArea + "Dead", "DisplayIcon", "C:\\Program Files\\Gone\\u.exe,0");
    entry("Unknown", here);
    setText(uninstallArea + "Unknown", "DisplayIcon", "%TolvaneNoSuchVariable%\\a.ico");

    auto records = scanAndSelect(module);

    ASSERT_EQ(primaryNames(records), (std::vector<std::string>{"Dead", "Icons", "Quiet"}));
    EXPECT_EQ(records.at(1),
              found(11, "Invalid Uninstall Path",
                    "The key Icons under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion\\Uninstall contains a bad path for the DisplayIcon value",
                    "Icons", "DisplayIcon"));
    EXPECT_EQ(records.at(2).secondaryName, "QuietUninstallString");
    // What the protection list is asked about is what the fix removes: the whole dead entry,
    // one value of a working one.
    EXPECT_EQ(module.fixTargets(records.at(0)),
              (std::vector<FixTarget>{{hkeyLocalMachine, uninstallArea + "Dead", std::nullopt}}));
    EXPECT_EQ(module.fixTargets(records.at(1)),
              (std::vector<FixTarget>{{hkeyLocalMachine, uninstallArea + "Icons", "DisplayIcon"}}));

    fix(module, records, true);

    EXPECT_FALSE(keyExists(uninstallArea + "Dead"));
    EXPECT_TRUE(valueExists(uninstallArea + "Icons", "UninstallString"));
    EXPECT_TRUE(valueExists(uninstallArea + "Icons", "QuietUninstallString"));
    EXPECT_FALSE(valueExists(uninstallArea + "Icons", "DisplayIcon"));
    EXPECT_TRUE(valueExists(uninstallArea + "Quiet", "DisplayIcon"));
    EXPECT_FALSE(valueExists(uninstallArea + "Quiet", "QuietUninstallString"));
    EXPECT_NE(backupText("uninstall.reg").find("\\Uninstall\\Icons]"), std::string::npos);
}

TEST_F(CModuleUninstallTest, FixSavesEachEntryJustBeforeItsDeletion) {
    for (const char* name : {"A", "B", "C", "D"}) {
        entry(name, "C:\\gone.exe");
    }
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 4u);
    records[3].selected = 0;

    fix(module, records, true);

    const std::string saved = backupText("uninstall.reg");
    EXPECT_EQ(test::occurrences(saved, "REGEDIT4"), 1u);
    EXPECT_LT(saved.find("\\Uninstall\\A]"), saved.find("\\Uninstall\\B]"));
    EXPECT_LT(saved.find("\\Uninstall\\B]"), saved.find("\\Uninstall\\C]"));
    EXPECT_EQ(saved.find("\\Uninstall\\D]"), std::string::npos);
    for (const char* name : {"A", "B", "C"}) {
        EXPECT_FALSE(keyExists(uninstallArea + name)) << name;
    }
    EXPECT_TRUE(keyExists(uninstallArea + "D"));
}

TEST_F(CModuleUninstallTest, FixKeepsEntriesThatCouldNotBeSavedOrDeleted) {
    entry("Saved", "C:\\gone.exe");
    entry("Nested", "C:\\gone.exe");
    setText(uninstallArea + "Nested\\Child", "x", "x");
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records), (std::vector<std::string>{"Nested", "Saved"}));

    fixWithBlockedBackup(module, records, "uninstall.reg");

    std::filesystem::remove(backupFolder / "uninstall.reg");
    records = scanAndSelect(module);
    fix(module, records, true);

    EXPECT_TRUE(keyExists(uninstallArea + "Nested")) << "a key with sub-keys is not deleted";
    EXPECT_EQ(records[0].selected, 0);
    EXPECT_FALSE(keyExists(uninstallArea + "Saved"));
}

} // namespace
} // namespace tolvane
