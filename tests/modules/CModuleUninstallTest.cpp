#include "modules/CModuleUninstall.h"

#include "tests/modules/ModuleFixture.h"

#include <algorithm>
#include <string>

namespace tolvane {
namespace {

const std::string area = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class CModuleUninstallTest : public test::ModuleFixture {
protected:
    void entry(const std::string& name, std::string_view uninstallString) {
        setValue(area + name, "UninstallString", regtype::sz,
                 std::string(uninstallString) + std::string(1, '\0'));
    }

    CModuleUninstall module{&owner, test.platform()};
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
    setValue(area + "NoString", "DisplayName", regtype::sz, std::string("x\0", 2));
    entry("Huge", "C:\\" + std::string(300, 'u')); // does not fit: not read

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"Quoted", "Unquoted", "{Half"}));
    const ProblemRecord& quoted = records.at(0);
    EXPECT_EQ(quoted.moduleId, 11);
    EXPECT_EQ(quoted.problemName, "Invalid Uninstall Path");
    EXPECT_EQ(quoted.description,
              "The key Quoted under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
              "CurrentVersion\\Uninstall contains a bad path for the UninstallString value");
    EXPECT_EQ(quoted.secondaryName, "");
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
    EXPECT_EQ(occurrences(saved, "REGEDIT4"), 1u);
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
    setValue(area + "Nested\\Child", "x", regtype::sz, std::string("x\0", 2));
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records), (std::vector<std::string>{"Nested", "Saved"}));

    fix(module, records, true);

    EXPECT_TRUE(keyExists(area + "Nested")) << "a key with sub-keys is not deleted";
    EXPECT_EQ(records[0].selected, 0);
    EXPECT_FALSE(keyExists(area + "Saved"));

    entry("Blocked", "C:\\gone.exe");
    records = scanAndSelect(module);
    std::filesystem::remove(backupFolder / "uninstall.reg");
    blockBackupFile("uninstall.reg");
    fix(module, records, true);

    EXPECT_TRUE(keyExists(area + "Blocked"));
    EXPECT_EQ(module.keptForBackup(), 2u);
}

} // namespace
} // namespace tolvane
