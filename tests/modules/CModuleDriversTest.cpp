#include "modules/CModuleDrivers.h"

#include "tests/modules/ModuleFixture.h"

#include <algorithm>
#include <string>

namespace tolvane {
namespace {

const std::string start = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32\\";

class CModuleDriversTest : public test::ModuleFixture {
protected:
    void text(const std::string& keyPath, std::string_view name, std::string_view data,
              std::uint32_t type = regtype::sz) {
        setValue(keyPath, name, type, std::string(data) + std::string(1, '\0'));
    }

    CModuleDrivers module{&owner, test.platform()};
};

TEST_F(CModuleDriversTest, LooksForEachTextValueInTheWindowsFolders) {
    test.addFile("C:\\windows\\system32\\imaadp32.acm");
    test.addFile("C:\\windows\\system32\\Drivers\\deep.sys");
    test.addFile("C:\\windows\\system32\\x.drv");
    test.addFile("C:\\Drivers\\here.drv");
    text(start, "msacm.imaadpcm", "imaadp32.acm");
    text(start, "deep", "deep.sys");
    text(start, "full", "C:\\Drivers\\here.drv");
    text(start, "gone", "C:\\Drivers\\gone.drv");
    // No colon: the Windows folder goes in front of the unexpanded text.
    text(start, "expand", "%SystemRoot%\\System32\\x.drv", regtype::expandSz);
    text(start, "blank", "");
    setValue(start, "binary", regtype::binary, "nothing");
    setValue(start, "number", regtype::dword, std::string("\x05\0\0\0", 4));
    text(start, "huge", std::string(300, 'x')); // does not fit the buffer: passed over

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"expand", "gone"}));
    const ProblemRecord& gone = records.at(1);
    EXPECT_EQ(gone.moduleId, 4);
    EXPECT_EQ(gone.problemName, "Missing or Invalid Path");
    EXPECT_EQ(gone.description,
              "The key Drivers under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\"
              "CurrentVersion\\Drivers32\\ contains a bad path C:\\Drivers\\gone.drv");
    EXPECT_EQ(gone.secondaryName, start);
    EXPECT_EQ(std::count(progress.statuses.begin(), progress.statuses.end(), "number"), 0)
        << "REG_DWORD values are not examined";
}

TEST_F(CModuleDriversTest, WalksSubKeysDepthFirstBeforeTheirParentsValues) {
    text(start, "top", "top.drv");
    text(start + "A\\", "a", "a.drv");
    text(start + "A\\Deeper\\", "deeper", "deeper.drv");
    text(start + "B\\", "b", "b.drv");
    // A key whose path would not fit 260 bytes is not walked into; its siblings still are.
    text(start + "A\\" + std::string(220, 'L') + "\\", "long", "long.drv");

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"deeper", "a", "b", "top"}));
    EXPECT_EQ(records.at(0).secondaryName, start + "A\\Deeper\\");
    EXPECT_EQ(records.at(1).secondaryName, start + "A\\");
    EXPECT_EQ(records.at(3).secondaryName, start);
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

TEST_F(CModuleDriversTest, AStopLeavesNoKeyOpenAndTheNextScanWalksEverything) {
    text(start + "A\\", "a", "a.drv");
    text(start + "A\\Deeper\\", "deeper", "deeper.drv");
    text(start, "top", "top.drv");
    progress.stopAfter = 1;

    EXPECT_EQ(primaryNames(scanAndSelect(module)), (std::vector<std::string>{"deeper"}));
    EXPECT_EQ(test.registry().openHandleCount(), 0u);

    progress.stopper = std::stop_source();
    progress.stopAfter = -1;
    EXPECT_EQ(primaryNames(scanAndSelect(module)),
              (std::vector<std::string>{"deeper", "a", "top"}));
}

TEST_F(CModuleDriversTest, FixSavesTheHoldingKeyForEveryValueItDeletes) {
    text(start + "Sub\\", "one", "one.drv");
    text(start + "Sub\\", "two", "two.drv");
    text(start + "Sub\\", "kept", "kept.drv");
    text(start, "top", "top.drv");
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records), (std::vector<std::string>{"kept", "one", "two", "top"}));
    records[0].selected = 0;
    records[3].selected = 0;

    fix(module, records, true);

    const std::string saved = backupText("driver.reg");
    EXPECT_EQ(occurrences(saved, "\\Drivers32\\Sub]"), 2u);
    EXPECT_EQ(occurrences(saved, "REGEDIT4"), 1u);
    EXPECT_FALSE(valueExists(start + "Sub\\", "one"));
    EXPECT_FALSE(valueExists(start + "Sub\\", "two"));
    EXPECT_TRUE(valueExists(start + "Sub\\", "kept"));
    EXPECT_TRUE(valueExists(start, "top"));
}

TEST_F(CModuleDriversTest, FixKeepsValuesWhoseKeyCouldNotBeSaved) {
    text(start, "one", "one.drv");
    text(start, "two", "two.drv");
    auto records = scanAndSelect(module);
    blockBackupFile("driver.reg");

    fix(module, records, true);

    EXPECT_TRUE(valueExists(start, "one"));
    EXPECT_TRUE(valueExists(start, "two"));
    EXPECT_EQ(module.keptForBackup(), 2u);
    EXPECT_EQ(records[0].selected + records[1].selected, 0);
}

} // namespace
} // namespace tolvane
