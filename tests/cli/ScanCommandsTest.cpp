#include "cli/ScanCommands.h"

#include "cli/CliApp.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace tolvane {
namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

// Runs tolvane-cli commands on the demo prefix from inside a scratch folder (./Backup goes
// there) with a scratch settings folder.
class ScanCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string command = std::string("python3 '") + TOLVANE_SOURCE_DIR +
                                    "/scripts/make-demo-prefix' '" + prefix.path().string() +
                                    "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(work.path());
        setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("TMPDIR");
    }

    CliRun run(std::vector<std::string> words) {
        words.insert(words.begin(), {"--prefix", prefix.path().string()});
        std::ostringstream out;
        std::ostringstream err;
        const int code = runCli(words, out, err);
        return {code, out.str(), err.str()};
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
    EXPECT_EQ(std::filesystem::path(folder).parent_path().parent_path(), work / "Backup");
    // The prefix's files were written: a new process sees nothing left to fix.
    EXPECT_EQ(run({"scan", "--modules", "6,11", "--json"}).out,
              "{\"count\": 0, \"ignored\": 0, \"problems\": []}\n");
}

TEST_F(ScanCommandsTest, EntriesWhoseBackupFailedAreKeptAndTheExitCodeSaysSo) {
    // The second key of a file association goes through a temporary file, which cannot be
    // made in a folder that does not exist.
    setenv("TMPDIR", (work / "no such folder").c_str(), 1);
    const auto fix = run({"fix", "--modules", "8"});

    EXPECT_EQ(fix.code, ScanCommands::keptForBackupExit) << fix.out << fix.err;
    EXPECT_NE(fix.err.find("kept because their backup could not be written"), std::string::npos);
    EXPECT_NE(fix.out.find("Not fixed, because their backup could not be written:"),
              std::string::npos);
    unsetenv("TMPDIR");
    EXPECT_NE(run({"scan", "--modules", "8"}).out.find("The Filetype .gone"), std::string::npos);
}

} // namespace
} // namespace tolvane
