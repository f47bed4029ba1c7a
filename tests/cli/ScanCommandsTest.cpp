#include "cli/ScanCommands.h"

#include "cli/CliApp.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>

namespace tolvane {
namespace {

using test::CliRun;

// Runs tolvane-cli commands on the demo prefix from inside a scratch folder, with scratch
// settings and data folders (backups go to the latter).
class ScanCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::makeDemoPrefix(prefix.path()));
        previous = std::filesystem::current_path();
        std::filesystem::current_path(work.path());
        setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        unsetenv("TMPDIR");
    }

    CliRun run(std::vector<std::string> words) {
        return test::runCliOnPrefix(prefix.path(), std::move(words));
    }

    static std::set<int> modulesIn(const std::string& json) {
        std::set<int> ids;
        for (std::size_t at = json.find("\"moduleId\": "); at != std::string::npos;
             at = json.find("\"moduleId\": ", at + 1)) {
            ids.insert(std::atoi(json.c_str() + at + 12));
        }
        return ids;
    }

    test::TempDir prefix;
    test::TempDir work;
    std::filesystem::path previous;
};

TEST_F(ScanCommandsTest, ScanFindsTheDemoProblemsOfEveryModule) {
    const auto scan = run({"scan", "--json"});

    ASSERT_EQ(scan.code, exitcode::ok) << scan.err;
    EXPECT_EQ(scan.out.rfind("{\"count\": 29, \"ignored\": 0, \"problems\": [\n", 0), 0u)
        << scan.out;
    EXPECT_EQ(modulesIn(scan.out).size(), 13u);
    EXPECT_NE(scan.out.find("\"primaryName\": \"Gone Editor\""), std::string::npos);

    const auto startup = run({"scan", "--modules", "9", "--json"});
    EXPECT_EQ(modulesIn(startup.out), std::set<int>{9});
    const auto table = run({"scan", "--modules", "11"});
    EXPECT_EQ(table.out, "[Uninstall Secion] Invalid Uninstall Path\n    The key Gone Editor under "
                         "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                         "Uninstall contains a bad path for the UninstallString value\n"
                         "1 problem found.\n");
}

TEST_F(ScanCommandsTest, BadModuleListsAreUsageErrors) {
    for (const char* list : {"13", "a", "1,,2", "-1", ""}) {
        EXPECT_EQ(run({"scan", "--modules", list}).code, exitcode::usage) << list;
    }
    EXPECT_EQ(run({"fix", "--backup", "--no-backup"}).code, exitcode::usage);
}

TEST_F(ScanCommandsTest, FixBacksUpRemovesAndStoresThePrefix) {
    const auto fix = run({"fix", "--modules", "6,11", "--backup"});

    ASSERT_EQ(fix.code, exitcode::ok) << fix.err;
    EXPECT_NE(fix.out.find("2 of 2 problems fixed."), std::string::npos) << fix.out;
    const auto backupLine = fix.out.find("Backup: ");
    ASSERT_NE(backupLine, std::string::npos);
    const std::string folder =
        fix.out.substr(backupLine + 8, fix.out.find('\n', backupLine) - backupLine - 8);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "apppath.reg"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "uninstall.reg"));
    // The prefix's own folder below the data home, named after the prefix folder.
    const auto root = std::filesystem::path(folder).parent_path().parent_path();
    EXPECT_EQ(root.parent_path(), work / "data" / "tolvane");
    EXPECT_EQ(root.filename().string().rfind(prefix.path().filename().string() + "-", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(work / "Backup"));
    // The prefix's files were written: a new process sees nothing left to fix.
    EXPECT_EQ(run({"scan", "--modules", "6,11", "--json"}).out,
              "{\"count\": 0, \"ignored\": 0, \"problems\": []}\n");
}

TEST_F(ScanCommandsTest, AFixWhoseBackupFolderCannotBeMadeNeedsNoBackupAndLeavesNothingBehind) {
    // The data home is a file: no backup folder can be made below it.
    test::writeFile(work / "data", "not a folder");
    const auto refused = run({"fix", "--modules", "6"});
    EXPECT_EQ(refused.code, exitcode::failure) << refused.out;
    EXPECT_NE(refused.err.find("fix --no-backup"), std::string::npos) << refused.err;
    EXPECT_NE(run({"scan", "--modules", "6"}).out.find("1 problem found."), std::string::npos);

    const auto fixed = run({"fix", "--modules", "6", "--no-backup"});
    EXPECT_EQ(fixed.code, exitcode::ok) << fixed.err;
    EXPECT_NE(fixed.out.find("No backup was made."), std::string::npos) << fixed.out;

    // A fix that saved nothing keeps no (empty) backup folder.
    std::filesystem::remove(work / "data");
    EXPECT_EQ(run({"fix", "--modules", "11", "--no-backup"}).code, exitcode::ok);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work / "data")) {
        EXPECT_TRUE(entry.is_directory()) << entry.path();
        EXPECT_NE(entry.path().parent_path().parent_path(), work / "data" / "tolvane")
            << entry.path() << " was left behind";
    }
}

TEST_F(ScanCommandsTest, AFixThatCannotStoreThePrefixKeepsNoBackupFolder) {
    // A read-only prefix: the fix saves its backups, then cannot store the files.
    std::filesystem::permissions(prefix.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const auto fix = run({"fix", "--modules", "6,11"});
    std::filesystem::permissions(prefix.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    if (fix.code == exitcode::ok) {
        GTEST_SKIP() << "the prefix folder stays writable (running as root)";
    }
    EXPECT_EQ(fix.code, exitcode::failure) << fix.out;
    std::size_t folders = 0;
    if (std::filesystem::exists(work / "data" / "tolvane")) {
        for (const auto& root : std::filesystem::directory_iterator(work / "data" / "tolvane")) {
            folders += static_cast<std::size_t>(
                std::distance(std::filesystem::directory_iterator(root.path()), {}));
        }
    }
    EXPECT_EQ(folders, 0u);
}

TEST_F(ScanCommandsTest, ARestoreGivesBackExactlyTheBackedUpRegistryOfItsOwnPrefix) {
    const auto created = run({"backup", "create"});
    ASSERT_EQ(created.code, exitcode::ok) << created.err;
    const auto listed = run({"backup", "list"});
    ASSERT_EQ(listed.code, exitcode::ok);
    const std::string name = listed.out.substr(0, listed.out.find('\n'));
    ASSERT_EQ(created.out.rfind("Backup " + name + " created in ", 0), 0u) << created.out;
    const std::string before = test::readFile(prefix / "user.reg");

    const auto added = work.write("added.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\"
                                               "Added Later]\r\n\"v\"=\"1\"\r\n");
    ASSERT_EQ(run({"import", added.string()}).code, exitcode::ok);
    ASSERT_EQ(
        run({"export", (work / "x.reg").string(), "HKEY_CURRENT_USER\\Software\\Added Later"}).code,
        exitcode::ok);

    const auto restored = run({"backup", "restore", name});
    ASSERT_EQ(restored.code, exitcode::ok) << restored.err;
    EXPECT_NE(
        run({"export", (work / "y.reg").string(), "HKEY_CURRENT_USER\\Software\\Added Later"}).code,
        exitcode::ok);
    EXPECT_EQ(test::readFile(prefix / "user.reg"), before);

    // Another prefix does not list it, and takes it only when told to.
    test::TempDir other;
    ASSERT_TRUE(test::makeDemoPrefix(other.path()));
    const auto otherRun = [&](std::vector<std::string> words) {
        return test::runCliOnPrefix(other.path(), std::move(words));
    };
    ASSERT_EQ(otherRun({"backup", "create"}).code, exitcode::ok);
    std::filesystem::path ownRoot;
    std::filesystem::path otherRoot;
    for (const auto& root : std::filesystem::directory_iterator(work / "data" / "tolvane")) {
        (std::filesystem::exists(root.path() / name) ? ownRoot : otherRoot) = root.path();
    }
    ASSERT_FALSE(otherRoot.empty());
    std::filesystem::copy(ownRoot / name, otherRoot / "moved here",
                          std::filesystem::copy_options::recursive);
    EXPECT_EQ(otherRun({"backup", "list"}).out.find("moved here"), std::string::npos);
    const auto refused = otherRun({"backup", "restore", "moved here"});
    EXPECT_EQ(refused.code, exitcode::failure);
    EXPECT_NE(refused.err.find("--force-other-prefix"), std::string::npos) << refused.err;
    EXPECT_EQ(otherRun({"backup", "restore", "moved here", "--force-other-prefix"}).code,
              exitcode::ok);
    EXPECT_EQ(test::readFile(other / "user.reg"), before);
}

TEST_F(ScanCommandsTest, AnInterruptedBackupIsNeverListedAndGoesAtTheNextStart) {
    ASSERT_EQ(run({"backup", "create"}).code, exitcode::ok);
    const auto root = std::filesystem::directory_iterator(work / "data" / "tolvane")->path();
    const auto partial = root / ".partial-0123456789ab";
    test::writeFile(partial / "main.reg", "half");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(partial / "main.reg", old);
    std::filesystem::last_write_time(partial, old);
    // An older version's leftover: a folder holding only the editor's temporary file.
    test::writeFile(root / "01.01.2026 10_00_00_000" / "main.reg.tmp1a2b3c4d", "half");

    const auto listed = run({"backup", "list"});
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1) << listed.out;
    EXPECT_FALSE(std::filesystem::exists(partial));
}

TEST_F(ScanCommandsTest, OldBackupFoldersAreImportedOnRequest) {
    test::writeFile(work / "Backup" / "01.01.2026 10_00_00_000" / "main.reg", "REGEDIT4\r\n");
    test::writeFile(work / "Backup" / "not a backup.txt", "x");
    const auto imported = run({"backup", "import-legacy", (work / "Backup").string()});
    ASSERT_EQ(imported.code, exitcode::ok) << imported.err;
    EXPECT_EQ(imported.out.rfind("1 backups of ", 0), 0u) << imported.out;
    EXPECT_EQ(run({"backup", "list"}).out, "01.01.2026 10_00_00_000\n");
    EXPECT_TRUE(std::filesystem::exists(work / "Backup" / "01.01.2026 10_00_00_000" / "main.reg"));
    EXPECT_EQ(run({"backup", "import-legacy", (work / "missing").string()}).code,
              exitcode::failure);
}

} // namespace
} // namespace tolvane
