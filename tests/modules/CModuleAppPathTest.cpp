#include "modules/CModuleAppPath.h"

#include "tests/modules/ModuleFixture.h"

#include <string>

namespace tolvane {
namespace {

constexpr std::string_view appPathsArea =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

class CModuleAppPathTest : public test::ModuleTest<CModuleAppPath> {
protected:
    // An App Paths entry with the default value `value`.
    void entry(const std::string& name, const std::string& value) {
        setText(std::string(appPathsArea) + name, "", value);
    }
};

TEST_F(CModuleAppPathTest, JudgesTheDefaultValueByItsSizeFormAndProgram) {
    test.addFile("C:\\ab.e");
    test.addFile("C:\\Program Files\\q.exe");
    struct Case {
        const char* name;
        std::string value;
        bool reported;
    };
    const std::vector<Case> cases{
        {"SETUP.EXE", "bad", false}, // skipped in any case
        {"Install.exe", "", false},  // skipped
        {"gone.exe", "C:\\Tools\\gone.exe", true},
        {"rel.exe", "tool.exe", true},
        {"six.exe", "C:\\a.e", true}, // 7 bytes with the NUL: too short
        {"seven.exe", "C:\\ab.e", false},
        {"empty.exe", "", true},
        {"quoted.exe", "\"C:\\Program Files\\q.exe\" -x", false},
        {"open.exe", "\"C:\\Program Files\\q.exe -x", true},
        {"env.exe", "%ProgramFiles%\\x\\x.exe", true},
        {"long.exe", "C:\\" + std::string(300, 'x'), false}, // does not fit: not judged
    };
    for (const auto& c : cases) {
        entry(c.name, c.value);
    }
    reg("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
        "NoDefault.exe]\n\"Path\"=\"C:\\\\x\"\n");

    const auto records = scanAndSelect(module);

    // Sub-keys enumerate sorted, case-insensitively.
    EXPECT_EQ(primaryNames(records),
              (std::vector<std::string>{"empty.exe", "env.exe", "gone.exe", "NoDefault.exe",
                                        "open.exe", "rel.exe", "six.exe"}));
    EXPECT_EQ(records.at(0),
              found(6, "Missing or Invalid Path",
                    "The key empty.exe under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion\\App Paths contains a bad path for the default value",
                    "empty.exe"));
    EXPECT_EQ(progress.statusHistory().size(), cases.size() + 1) << "every sub-key name is shown";
    EXPECT_EQ(progress.counterHistory(module.moduleId()).back(), "7");
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

// Installers write the program's path in every form Windows accepts.
TEST_F(CModuleAppPathTest, FindsTheProgramInEveryFormInstallersWrite) {
    test.addFile("C:\\Program Files\\Other\\other.exe");
    test.addFile("C:\\Program Files\\Good\\good.exe");
    entry("a.exe", "%ProgramFiles%\\Other\\other.exe");
    setText(std::string(appPathsArea) + "b.exe", "", "%ProgramFiles%\\Other\\other.exe",
            regtype::expandSz);
    entry("c.exe", "C:\\Program Files\\Other\\other.exe -tool");
    entry("d.exe", "\"C:\\Program Files\\Good\\good.exe\"");
    entry("e.exe", "  \"C:\\Program Files\\Good\\good.exe\" /x ");
    entry("f.exe", "C:\\Program Files\\Good\\good");     // ".exe" added as Windows does
    entry("g.exe", "%TolvaneNoSuchVariable%\\gone.exe"); // cannot be told: kept
    entry("h.exe", "C:\\PROGRAM FILES\\GOOD\\GOOD.EXE"); // case does not matter
    entry("x1.exe", "%ProgramFiles%\\Gone\\other.exe");
    entry("x2.exe", "\"C:\\Program Files\\Gone\\good.exe\" -x");
    entry("x3.exe", "C:\\Program Files\\Other\\other.exe\\tool.exe -tool");
    entry("x4.exe", "C:\\Program Files\\Other"); // a folder is no program
    entry("x5.exe", "\"good.exe\"");             // no full path

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records),
              (std::vector<std::string>{"x1.exe", "x2.exe", "x3.exe", "x4.exe", "x5.exe"}));
}

TEST_F(CModuleAppPathTest, FixSavesEachSelectedEntryBeforeDeletingIt) {
    entry("one.exe", "one.exe");
    entry("two.exe", "two.exe");
    entry("three.exe", "three.exe");
    auto records = scanAndSelect(module);
    ASSERT_EQ(primaryNames(records), (std::vector<std::string>{"one.exe", "three.exe", "two.exe"}));
    records[1].selected = 0;
    records.push_back({9, entrykind::ordinary, "x", "x", "one.exe", "", 1});
    records.push_back({6, entrykind::fixed, "x", "x", "three.exe", "", 1});

    fix(module, records, true);

    const std::string saved = backupText("apppath.reg");
    EXPECT_EQ(saved.rfind("REGEDIT4", 0), 0u);
    EXPECT_EQ(test::occurrences(saved, "REGEDIT4"), 1u);
    EXPECT_LT(saved.find("App Paths\\one.exe]"), saved.find("App Paths\\two.exe]"));
    EXPECT_EQ(saved.find("three.exe"), std::string::npos);
    EXPECT_FALSE(keyExists(std::string(appPathsArea) + "one.exe"));
    EXPECT_FALSE(keyExists(std::string(appPathsArea) + "two.exe"));
    EXPECT_TRUE(keyExists(std::string(appPathsArea) + "three.exe"));
}

TEST_F(CModuleAppPathTest, FixWithoutBackupWritesNoFile) {
    entry("one.exe", "one.exe");
    auto records = scanAndSelect(module);

    fix(module, records, false);

    EXPECT_FALSE(keyExists(std::string(appPathsArea) + "one.exe"));
    EXPECT_FALSE(backupExists("apppath.reg"));
}

TEST_F(CModuleAppPathTest, KeepsEntriesThatCouldNotBeSavedOrDeleted) {
    entry("kept.exe", "kept.exe");
    entry("nested.exe", "nested.exe");
    entry("nested.exe\\Inner", "x");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 2u);

    fixWithBlockedBackup(module, records, "apppath.reg");

    records = scanAndSelect(module);
    fix(module, records, false);

    // The registry refuses to delete a key with sub-keys: the entry stays listed, unfixed.
    EXPECT_TRUE(keyExists(std::string(appPathsArea) + "nested.exe"));
    EXPECT_EQ(records[1].selected, 0);
    EXPECT_FALSE(keyExists(std::string(appPathsArea) + "kept.exe"));
    EXPECT_EQ(records[0].selected, 1);
}

TEST_F(CModuleAppPathTest, AStopEndsTheWalkBetweenEntries) {
    for (const char* name : {"a.exe", "b.exe", "c.exe", "d.exe"}) {
        entry(name, "bad");
    }
    progress.stopAfterStatusTexts(2);

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"a.exe", "b.exe"}));
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

} // namespace
} // namespace tolvane
