#include "modules/CModuleDrivers.h"

#include "tests/modules/ModuleFixture.h"

#include <algorithm>
#include <string>

namespace tolvane {
namespace {

const std::string start = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32\\";

using CModuleDriversTest = test::ModuleTest<CModuleDrivers>;

TEST_F(CModuleDriversTest, LooksForEachTextValueInTheWindowsFolders) {
    test.addFile("C:\\windows\\system32\\imaadp32.acm");
    test.addFile("C:\\windows\\system32\\Drivers\\deep.sys");
    test.addFile("C:\\windows\\system32\\x.drv");
    test.addFile("C:\\Drivers\\here.drv");
    setText(start, "msacm.imaadpcm", "imaadp32.acm");
    setText(start, "deep", "deep.sys");
    setText(start, "full", "C:\\Drivers\\here.drv");
    setText(start, "gone", "C:\\Drivers\\gone.drv");
    // References are expanded with the system's environment, in any text.
    setText(start, "expand", "%SystemRoot%\\System32\\x.drv", regtype::expandSz);
    setText(start, "expandGone", "%SystemRoot%\\System32\\gone.drv");
    setText(start, "quoted", "\"C:\\Drivers\\here.drv\"");
    setText(start, "unknown", "%TolvaneNoSuchVariable%\\x.drv");
    setText(start, "blank", "");
    setValue(start, "binary", regtype::binary, "nothing");
    setValue(start, "number", regtype::dword, std::string("\x05\0\0\0", 4));
    setText(start, "huge", std::string(300, 'x')); // does not fit the buffer: passed over

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"expandGone", "gone"}));
    EXPECT_EQ(records.at(1),
              found(4, "Missing or Invalid Path",
                    "The key Drivers under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\"
                    "CurrentVersion\\Drivers32\\ contains a bad path C:\\Drivers\\gone.drv",
                    "gone", start));
    const auto statuses = progress.statusHistory();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "number"), 0)
        << "REG_DWORD values are not examined";
}

TEST_F(CModuleDriversTest, WalksSubKeysDepthFirstBeforeTheirParentsValues) {
    setText(start, "top", "top.drv");
    setText(start + "A\\", "a", "a.drv");
    setText(start + "A\\Deeper\\", "deeper", "deeper.drv");
    setText(start + "B\\", "b", "b.drv");
    // A key whose path would not fit 260 bytes is not walked into; its siblings still are.
    setText(start + "A\\" + std::string(220, 'L') + "\\", "long", "long.drv");

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"deeper", "a", "b", "top"}));
    EXPECT_EQ(records.at(0).secondaryName, start + "A\\Deeper\\");
    EXPECT_EQ(records.at(1).secondaryName, start + "A\\");
    EXPECT_EQ(records.at(3).secondaryName, start);
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

TEST_F(CModuleDriversTest, AStopLeavesNoKeyOpenAndTheNextScanWalksEverything) {
    setText(start + "A\\", "a", "a.drv");
    setText(start + "A\\Deeper\\", "deeper", "deeper.drv");
    setText(start, "top", "top.drv");
    progress.stopAfterStatusTexts(1);

    EXPECT_EQ(primaryNames(scanAndSelect(module)), (std::vector<std::string>{"deeper"}));
    EXPECT_EQ(test.registry().openHandleCount(), 0u);

    progress.stopAfterStatusTexts(-1);
    EXPECT_EQ(primaryNames(scanAndSelect(module)),
              (std::vector<std::string>{"deeper", "a", "top"}));
}

TEST_F(CModuleDriversTest, FixSavesTheHoldingKeyForEveryValueItDeletes) {
    setText(start + "Sub\\", "one", "one.drv");
    setText(start + "Sub\\", "two", "two.drv");
    setText(start + "Sub\\", "kept", "kept.drv");
    setText(start, "top", "top.drv");
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records), (std::vector<std::string>{"kept", "one", "two", "top"}));
    records[0].selected = 0;
    records[3].selected = 0;

    fix(module, records, true);

    const std::string saved = backupText("driver.reg");
    EXPECT_EQ(test::occurrences(saved, "\\Drivers32\\Sub]"), 2u);
    EXPECT_EQ(test::occurrences(saved, "REGEDIT4"), 1u);
    EXPECT_FALSE(valueExists(start + "Sub\\", "one"));
    EXPECT_FALSE(valueExists(start + "Sub\\", "two"));
    EXPECT_TRUE(valueExists(start + "Sub\\", "kept"));
    EXPECT_TRUE(valueExists(start, "top"));
}

TEST_F(CModuleDriversTest, FixKeepsValuesWhoseKeyCouldNotBeSaved) {
    setText(start, "one", "one.drv");
    setText(start + "Sub\\", "two", "two.drv");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 2u);

    fixWithBlockedBackup(module, records, "driver.reg");
}

} // namespace
} // namespace tolvane
