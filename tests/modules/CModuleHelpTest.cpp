#include "modules/CModuleHelp.h"

#include "tests/modules/ModuleFixture.h"

#include <string>

namespace tolvane {
namespace {

const std::string help = "Software\\Microsoft\\Windows\\Help\\";
const std::string htmlHelp = "Software\\Microsoft\\Windows\\HTML Help\\";

class CModuleHelpTest : public test::ModuleFixture {
protected:
    void file(const std::string& list, std::string_view name, std::string_view folder) {
        setValue(list, name, regtype::sz, std::string(folder) + std::string(1, '\0'));
    }

    CModuleHelp module{&owner, test.platform()};
};

TEST_F(CModuleHelpTest, LooksForEachFileInTheFolderItsValueNames) {
    test.addFile("C:\\WINDOWS\\Help\\windows.hlp");
    test.addFile("C:\\WINDOWS\\Help\\trail.hlp");
    test.addFile("C:\\WINDOWS\\Help\\page.chm");
    file(help, "windows.hlp", "C:\\WINDOWS\\Help");
    file(help, "trail.hlp", "C:\\WINDOWS\\Help\\");
    file(help, "lost.hlp", "C:\\WINDOWS\\Help");
    file(help, "", "C:\\Nowhere");                          // the default value is never examined
    file(help, "x", "C:\\Nowhere");                         // nor a one-letter name
    file(help, "blank.hlp", "");                            // no folder at all
    file(help, "long.hlp", "C:\\" + std::string(250, 'd')); // joined beyond 260 bytes
    file(htmlHelp, "page.chm", "C:\\WINDOWS\\Help");
    file(htmlHelp, "gone.chm", "C:\\WINDOWS\\Help");

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records),
              (std::vector<std::string>{"blank.hlp", "long.hlp", "lost.hlp", "gone.chm"}));
    const ProblemRecord& lost = records.at(2);
    EXPECT_EQ(lost.moduleId, 12);
    EXPECT_EQ(lost.problemName, "Missing or Invalid Path");
    EXPECT_EQ(lost.description, "The key Help under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\"
                                "Windows\\Help contains a bad path for the value lost.hlp");
    EXPECT_EQ(lost.secondaryName, help);
    const ProblemRecord& gone = records.at(3);
    EXPECT_EQ(gone.description,
              "The key HTML Help under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\HTML "
              "Help contains a bad path for the value gone.chm");
    EXPECT_EQ(gone.secondaryName, htmlHelp);
    EXPECT_EQ(progress.statuses.at(0), "C:\\Nowhere") << "the folder is shown";
}

TEST_F(CModuleHelpTest, FixSavesBothListsOnceAndDeletesFromTheRecordsList) {
    file(help, "kept.hlp", "C:\\Nowhere");
    file(htmlHelp, "gone.chm", "C:\\Nowhere");
    file(htmlHelp, "lost.chm", "C:\\Nowhere");
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records),
              (std::vector<std::string>{"kept.hlp", "gone.chm", "lost.chm"}));
    records[0].selected = 0;

    fix(module, records, true);

    const std::string saved = backupText("help.reg");
    EXPECT_EQ(occurrences(saved, "\\Windows\\Help]"), 1u);
    EXPECT_EQ(occurrences(saved, "\\Windows\\HTML Help]"), 1u);
    EXPECT_LT(saved.find("\\Windows\\Help]"), saved.find("\\Windows\\HTML Help]"));
    EXPECT_TRUE(valueExists(help, "kept.hlp"));
    EXPECT_FALSE(valueExists(htmlHelp, "gone.chm"));
    EXPECT_FALSE(valueExists(htmlHelp, "lost.chm"));
}

TEST_F(CModuleHelpTest, FixWithAFailedSaveKeepsEveryRecord) {
    file(help, "one.hlp", "C:\\Nowhere");
    file(htmlHelp, "two.chm", "C:\\Nowhere");
    auto records = scanAndSelect(module);
    blockBackupFile("help.reg");

    fix(module, records, true);

    EXPECT_TRUE(valueExists(help, "one.hlp"));
    EXPECT_TRUE(valueExists(htmlHelp, "two.chm"));
    EXPECT_EQ(module.keptForBackup(), 2u);
}

} // namespace
} // namespace tolvane
