#include "modules/CModuleShared.h"

#include "tests/modules/ModuleFixture.h"

#include <string>

namespace tolvane {
namespace {

const std::string shared = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls\\";

class CModuleSharedTest : public test::ModuleTest<CModuleShared> {
protected:
    void count(std::string_view path) {
        setValue(shared, path, regtype::dword, std::string("\x01\0\0\0", 4));
    }
};

TEST_F(CModuleSharedTest, TestsEachValueNameAsWritten) {
    test.addFile("C:\\Program Files\\Common Files\\Vendor\\here.dll");
    test.addFolder("C:\\Program Files\\Common Files\\Vendor\\Folder");
    count("C:\\Program Files\\Common Files\\Vendor\\here.dll");
    count("C:\\Program Files\\Common Files\\Vendor\\gone.dll");
    count("C:\\Program Files\\Common Files\\Vendor\\Folder"); // folders count as existing
    count("here.dll");                                        // no folder is put in front
    count("");
    count("x");

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records),
              (std::vector<std::string>{"C:\\Program Files\\Common Files\\Vendor\\gone.dll",
                                        "here.dll"}));
    EXPECT_EQ(records.at(0),
              found(3, "Missing or Invalid Path",
                    "The key SharedDlls under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion contains a bad path C:\\Program Files\\Common Files\\"
                    "Vendor\\gone.dll",
                    "C:\\Program Files\\Common Files\\Vendor\\gone.dll"));
}

TEST_F(CModuleSharedTest, FixSavesTheKeyOnceThenDeletesEachValue) {
    count("C:\\a.dll");
    count("C:\\b.dll");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 2u);

    fix(module, records, true);

    const std::string saved = backupText("shared.reg");
    EXPECT_EQ(test::occurrences(saved, "\\SharedDlls]"), 1u);
    EXPECT_NE(saved.find("\"C:\\\\b.dll\"=dword:00000001"), std::string::npos);
    EXPECT_FALSE(valueExists(shared, "C:\\a.dll"));
    EXPECT_FALSE(valueExists(shared, "C:\\b.dll"));
}

TEST_F(CModuleSharedTest, FixWithAFailedSaveKeepsEveryValue) {
    count("C:\\a.dll");
    count("C:\\b.dll");
    auto records = scanAndSelect(module);

    fixWithBlockedBackup(module, records, "shared.reg");
}

} // namespace
} // namespace tolvane
