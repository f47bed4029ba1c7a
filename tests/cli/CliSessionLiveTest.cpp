// tolvane-cli on Windows: the commands work on the live registry.
#include "cli/CliApp.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestRegistry.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace tolvane {
namespace {

TEST(CliSessionLiveTest, CommandsWorkOnTheLiveRegistryAndRefuseAPrefix) {
    test::TestRegistry registry;
    test::TempDir dir;
    const std::string file = (dir / "restore.reg").string();
    const std::string keyText = "HKEY_CURRENT_USER\\" + registry.scratchPath();
    test::writeFile(dir / "restore.reg",
                    "REGEDIT4\r\n\r\n[" + keyText + "\\Imported]\r\n\"v\"=\"1\"\r\n");
    struct Case {
        std::vector<std::string> words;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"import", file}, exitcode::ok, ""},
        {{"export", (dir / "out.reg").string(), keyText}, exitcode::ok, ""},
        {{"--prefix", dir.path().string(), "import", file},
         exitcode::failure,
         "tolvane-cli: --prefix names a Wine prefix; on Windows the live registry is used\n"},
        {{"stat"}, exitcode::usage, "tolvane-cli: unknown command stat\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runCli(c.words, out, err), c.exitCode) << c.words.front();
        EXPECT_EQ(err.str().substr(0, c.err.size()), c.err) << err.str();
    }
    EXPECT_NE(dir.read("out.reg").find("[" + keyText + "\\Imported]\r\n\"v\"=\"1\""),
              std::string::npos);
}

// Runs the test from inside a folder and goes back to the one it came from.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
    ~WorkingDirectory() {
        std::error_code error;
        std::filesystem::current_path(previous_, error);
    }

private:
    std::filesystem::path previous_;
};

TEST(CliSessionLiveTest, FixWithBackupWorksInAFolderWithoutBackupFolder) {
    test::TestRegistry registry;
    test::TempDir dir;
    HKey planted = HKey::null;
    ASSERT_EQ(registry.gateway().RegCreateKeyA(registry.scratch(), "Fix", planted),
              winerr::success);
    const std::string data = "C:\\Tolvane Gone Folder\\report.txt";
    EXPECT_EQ(registry.gateway().RegSetValueExA(planted, "LastFile", regtype::sz,
                                                std::string_view(data.c_str(), data.size() + 1)),
              winerr::success);
    registry.gateway().RegCloseKey(planted);
    ASSERT_FALSE(std::filesystem::exists(dir / "Backup"));

    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> words{"fix", "--modules", "1", "--backup"};
    int code = -1;
    {
        const WorkingDirectory inside(dir.path());
        code = runCli(words, out, err);
    }

    ASSERT_EQ(code, exitcode::ok) << err.str();
    std::filesystem::path userBackup;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "Backup")) {
        userBackup = entry.path() / "user.reg";
    }
    EXPECT_TRUE(std::filesystem::exists(userBackup)) << out.str();
    EXPECT_NE(test::readFile(userBackup).find("\"LastFile\""), std::string::npos);
}

} // namespace
} // namespace tolvane
