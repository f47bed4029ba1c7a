#include "modules/CModuleUninstall.h"

#include "tests/modules/ModuleFixture.h"

#include <algorithm>
#include <string>

namespace tolvane {
namespace {

const std::string area = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class CModuleUninstallTest : public test::ModuleTest<CModuleUninstall> {
protected:
    void entry(const std::string& name, std::string_view uninstallString) {
        setText(area + name, "UninstallString", uninstallString);
    }
};

TEST_F(CModuleUninstallTest, ReportsEntriesWhoseUninstallerIsGoneFromItsDrivePath) {
    test.addFile("C:\\Program Files\\Here\\uninst.exe");
    entry("{11111111-2222-3333-4444-555555555555}", "C:\\gone.exe");
    entry("{Half", "C:\\gone.exe");
    entry("Quoted", "\"C:\\Program Files\\Gone\\uninst.exe\" /S");
    entry("Unquoted", "C:\\Gone\\Uninst.EXE /x");
    entry("Present", "\"C:\\Program Files\\Here\\uninst.exe\" /S");
    entry("PresentUnquoted", "C:\\Program Files\\Here\\uninst.exe /S");
    entry("Installer", "MsiExec.exe /X{1234}");
    entry("Bare", "uninst");
    setText(area + "NoString", "DisplayName", "x");
    entry("Huge", "C:\\" + std::string(300, 'u')); // does not fit: not read

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"Quoted", "Unquoted", "{Half"}));
    EXPECT_EQ(records.at(0),
              found(11, "Invalid Uninstall Path",
                    "The key Quoted under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion\\Uninstall contains a bad path for the UninstallString value",
                    "Quoted"));
    EXPECT_EQ(std::count(progress.statuses.begin(), progress.statuses.end(),
                         "{11111111-2222-3333-4444-555555555555}"),
              0);
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
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
        EXPECT_FALSE(keyExists(area + name)) << name;
    }
    EXPECT_TRUE(keyExists(area + "D"));
}

TEST_F(CModuleUninstallTest, FixKeepsEntriesThatCouldNotBeSavedOrDeleted) {
    entry("Saved", "C:\\gone.exe");
    entry("Nested", "C:\\gone.exe");
    setText(area + "Nested\\Child", "x", "x");
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records), (std::vector<std::string>{"Nested", "Saved"}));

    fixWithBlockedBackup(module, records, "uninstall.reg");

    std::filesystem::remove(backupFolder / "uninstall.reg");
    records = scanAndSelect(module);
    fix(module, records, true);

    EXPECT_TRUE(keyExists(area + "Nested")) << "a key with sub-keys is not deleted";
    EXPECT_EQ(records[0].selected, 0);
    EXPECT_FALSE(keyExists(area + "Saved"));
}

} // namespace
} // namespace tolvane
