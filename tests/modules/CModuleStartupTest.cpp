#include "modules/CModuleStartup.h"

#include "platform/services/RegKey.h"
#include "tests/modules/ModuleFixture.h"

#include <string>

namespace tolvane {
namespace {

const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class CModuleStartupTest : public test::ModuleTest<CModuleStartup> {
protected:
    void command(std::string_view name, std::string_view text) { setText(run, name, text); }
};

TEST(CModuleStartupCut, KeepsTheTextBeforeTheFirstSlashWithoutQuotes) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"\"C:\\Program Files\\Tool\\tool.exe\" /silent", "C:\\Program Files\\Tool\\tool.exe"},
        {"C:\\Tools\\tool.exe -min", "C:\\Tools\\tool.exe -min"},
        {"C:/Apps/x.exe", "C:"},
        {"a\"b\"c /x/y", "abc"},
        {"", ""},
    };
    for (const auto& [text, path] : cases) {
        EXPECT_EQ(CModuleStartup::CutToPath(text), path) << text;
    }
}

TEST_F(CModuleStartupTest, LooksForTheProgramAsWrittenAndInTheSystemFolders) {
    test.addFile("C:\\Program Files\\Tool\\tool.exe");
    test.addFile("C:\\windows\\system32\\ctfmon.exe");
    test.addFile("C:\\windows\\explorer.exe");
    command("Tool", "\"C:\\Program Files\\Tool\\tool.exe\" /silent");
    command("Ctf", "ctfmon.exe");
    command("Explorer", "explorer.exe");
    command("Min", "C:\\Tools\\tool.exe -min");
    command("Slash", "C:/Apps/x.exe"); // tested as "C:", the root of drive C
    command("Empty", "");
    command("One", "x");
    command("Env", "%SystemRoot%\\explorer.exe");

    const auto records = scanAndSelect(module);

    // "C:/Apps/x.exe" names a program, not the root of drive C; the description keeps the cut
    // text.
    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"Min", "Slash"}));
    EXPECT_EQ(records.at(0),
              found(9, "Missing or Invalid Path",
                    "The key Run under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion contains a bad path C:\\Tools\\tool.exe -min",
                    "Min"));
    EXPECT_EQ(progress.statusHistory().front(), "ctfmon.exe") << "the cut path is shown";
}

TEST_F(CModuleStartupTest, CommandsAreStartedAsWindowsStartsThem) {
    test.addFile("C:\\Program Files\\App\\app.exe");
    test.addFile("C:\\windows\\notepad.exe");
    command("Expanded", "%ProgramFiles%\\App\\app.exe /sync");
    setText(run, "ExpandSz", "%ProgramFiles%\\App\\app.exe /sync", regtype::expandSz);
    command("QuotedWithArguments", "\"C:\\windows\\notepad.exe\" -min");
    command("Blanks", "C:\\Program Files\\App\\app.exe -min");
    command("Unknown", "%TolvaneNoSuchVariable%\\app.exe");
    command("Network", "\\\\server\\share\\app.exe");
    command("Gone", "\"%ProgramFiles%\\Gone\\app.exe\" /sync");

    const auto records = scanAndSelect(module);

    EXPECT_EQ(primaryNames(records), (std::vector<std::string>{"Gone"}));
}

TEST_F(CModuleStartupTest, TheUsersRunKeyIsScannedAndFixedInItsOwnKey) {
    command("Machine", "C:\\gone\\machine.exe");
    test.addFile("C:\\windows\\notepad.exe");
    {
        RegKey key;
        ASSERT_EQ(RegKey::create(test.registry(), hkeyCurrentUser, run, key), winerr::success);
        for (const auto& [name, text] :
             {std::pair{"User", "C:\\gone\\user.exe"}, std::pair{"Machine", "notepad.exe"}}) {
            const std::string data = std::string(text) + '\0';
            ASSERT_EQ(test.registry().RegSetValueExA(key.get(), name, regtype::sz, data),
                      winerr::success);
        }
    }
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records.at(1),
              found(9, "Missing or Invalid Path",
                    "The key Run under HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                    "CurrentVersion contains a bad path C:\\gone\\user.exe",
                    "User", "HKEY_CURRENT_USER"));

    fix(module, records, true);

    // Each value went from its own key; the user's value of the machine's name stays.
    EXPECT_FALSE(valueExists(run, "Machine"));
    EXPECT_FALSE(test::keyExists(test.registry(), hkeyCurrentUser, run + "\\User"));
    RegKey user;
    ASSERT_EQ(RegKey::open(test.registry(), hkeyCurrentUser, run, user), winerr::success);
    std::uint32_t size = maxPath;
    std::string data;
    EXPECT_EQ(test.registry().RegQueryValueExA(user.get(), "Machine", nullptr, &data, &size),
              winerr::success);
    EXPECT_NE(test.registry().RegQueryValueExA(user.get(), "User", nullptr, &data, &size),
              winerr::success);
    const std::string saved = backupText("startup.reg");
    EXPECT_NE(saved.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]"),
              std::string::npos);
}

TEST_F(CModuleStartupTest, AMissingRunKeyGivesNoProblems) {
    EXPECT_TRUE(scanAndSelect(module).empty());
    EXPECT_TRUE(progress.counterHistory(module.moduleId()).empty());
}

TEST_F(CModuleStartupTest, FixSavesTheRunKeyOnceAndOnlyWhenAsked) {
    command("A", "a.exe");
    command("B", "b.exe");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 2u);

    fix(module, records, true);

    const std::string saved = backupText("startup.reg");
    EXPECT_EQ(test::occurrences(saved, "\\CurrentVersion\\Run]"), 1u);
    EXPECT_NE(saved.find("\"B\"=\"b.exe\""), std::string::npos);
    EXPECT_FALSE(valueExists(run, "A"));
    EXPECT_FALSE(valueExists(run, "B"));

    command("C", "c.exe");
    records = scanAndSelect(module);
    std::filesystem::remove(backupFolder / "startup.reg");
    fix(module, records, false);

    EXPECT_FALSE(valueExists(run, "C"));
    EXPECT_FALSE(backupExists("startup.reg"));
}

TEST_F(CModuleStartupTest, FixWithAFailedSaveKeepsEveryValue) {
    command("A", "a.exe");
    command("B", "b.exe");
    auto records = scanAndSelect(module);

    fixWithBlockedBackup(module, records, "startup.reg");
}

} // namespace
} // namespace tolvane
