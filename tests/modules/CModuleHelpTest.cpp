#include "modules/CModuleHelp.h"

#include "tests/modules/ModuleFixture.h"

#include <string>

namespace tolvane {
namespace {

const std::string help = "Software\\Microsoft\\Windows\\Help\\";
const std::string htmlHelp = "Software\\Microsoft\\Windows\\HTML Help\\";

using CModuleHelpTest = test::ModuleTest<CModuleHelp>;

TEST_F(CModuleHelpTest, LooksForEachFileInTheFolderItsValueNames) {
    test.addFile("C:\\WINDOWS\\Help\\windows.hlp");
    test.addFile("C:\\WINDOWS\\Help\\trail.hlp");
    test.addFile("C:\\WINDOWS\\Help\\page.chm");
    setText(help, "windows.hlp", "C:\\WINDOWS\\Help");
    setText(help, "trail.hlp", "C:\\WINDOWS\\Help\\");
    setText(help, "lost.hlp", "C:\\WINDOWS\\Help");
    setText(help, "", "C:\\Nowhere");  // the default value is never examined
    setText(help, "x", "C:\\Nowhere"); // nor a one-letter name
    setText(help, "blank.hlp", "");    // no folder at all
    setText(help, "long.hlp", "C:\\" + std::string(250, 'd')); // joined beyond 260 bytes
    setText(htmlHelp, "page.chm", "C:\\WINDOWS\\Help");
    setText(htmlHelp, "gone.chm", "C:\\WINDOWS\\Help");

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records),
              (std::vector<std::string>{"blank.hlp", "long.hlp", "lost.hlp", "gone.chm"}));
    EXPECT_EQ(records.at(2),
              found(12, "Missing or Invalid Path",
                    "The key Help under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help "
                    "contains a bad path for the value lost.hlp",
                    "lost.hlp", help));
    EXPECT_EQ(records.at(3),
              found(12, "Missing or Invalid Path",
                    "The key HTML Help under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                    "HTML Help contains a bad path for the value gone.chm",
                    "gone.chm", htmlHelp));
    EXPECT_EQ(progress.statusHistory().at(0), "C:\\Nowhere") << "the folder is shown";
}

TEST_F(CModuleHelpTest, FixSavesBothListsOnceAndDeletesFromTheRecordsList) {
    setText(help, "kept.hlp", "C:\\Nowhere");
    setText(htmlHelp, "gone.chm", "C:\\Nowhere");
    setText(htmlHelp, "lost.chm", "C:\\Nowhere");
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records),
              (std::vector<std::string>{"kept.hlp", "gone.chm", "lost.chm"}));
    records[0].selected = 0;

    fix(module, records, true);

    const std::string saved = backupText("help.reg");
    EXPECT_EQ(test::occurrences(saved, "\\Windows\\Help]"), 1u);
    EXPECT_EQ(test::occurrences(saved, "\\Windows\\HTML Help]"), 1u);
    EXPECT_LT(saved.find("\\Windows\\Help]"), saved.find("\\Windows\\HTML Help]"));
    EXPECT_TRUE(valueExists(help, "kept.hlp"));
    EXPECT_FALSE(valueExists(htmlHelp, "gone.chm"));
    EXPECT_FALSE(valueExists(htmlHelp, "lost.chm"));
}

TEST_F(CModuleHelpTest, FixWithAFailedSaveKeepsEveryRecord) {
    setText(help, "one.hlp", "C:\\Nowhere");
    setText(htmlHelp, "two.chm", "C:\\Nowhere");
    auto records = scanAndSelect(module);

    fixWithBlockedBackup(module, records, "help.reg");
}

} // namespace
} // namespace tolvane
