#include "cli/CliApp.h"
#include "tests/cli/DemoPrefixCliTest.h"
#include "tests/support/TempDir.h"
#ifndef _WIN32
#include "platform/prefix/PrefixLock.h"
#endif

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace tolvane {
namespace {

using test::CliRun;
using test::registryFile;

class RegFileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The command's session opens the user's settings: keep them in the scratch folder.
        if (const char* config = std::getenv("XDG_CONFIG_HOME")) {
            savedConfigHome = config;
        }
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        dir.write("prefix/system.reg",
                  registryFile("REGISTRY\\\\Machine",
                               "\n[Software\\\\Vendor] 1700000000\n\"Path\"=\"C:\\\\x\"\n"));
        dir.write("prefix/user.reg",
                  registryFile("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000",
                               "\n[Environment] 1700000000\n\"TEMP\"=\"C:\\\\t\"\n"));
        dir.write("prefix/userdef.reg", registryFile("REGISTRY\\\\User\\\\.Default", ""));
    }

    void TearDown() override {
        if (savedConfigHome) {
            ::setenv("XDG_CONFIG_HOME", savedConfigHome->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }

    CliRun run(std::vector<std::string> arguments) {
        std::vector<std::string> words{"--prefix", (dir / "prefix").string()};
        words.insert(words.end(), arguments.begin(), arguments.end());
        return test::runCliWords(words);
    }

    std::string prefixFiles() const {
        return dir.read("prefix/system.reg") + dir.read("prefix/user.reg") +
               dir.read("prefix/userdef.reg");
    }

    test::TempDir dir;
    std::optional<std::string> savedConfigHome;
};

TEST_F(RegFileCommandsTest, ExportWritesOneKeyAndExportAllTheWholeRegistry) {
    const auto key = run({"export", (dir / "key.reg").string(), "HKEY_LOCAL_MACHINE\\Software"});
    EXPECT_EQ(key.code, exitcode::ok) << key.err;
    EXPECT_EQ(dir.read("key.reg"), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\r\n"
                                   "\"Path\"=\"C:\\\\x\"\r\n\r\n");

    const auto all = run({"export-all", (dir / "all.reg").string()});
    EXPECT_EQ(all.code, exitcode::ok) << all.err;
    const auto text = dir.read("all.reg");
    EXPECT_EQ(text.substr(0, 4), "\xFF\xFEW\0"s);
    EXPECT_NE(text.find("E\0n\0v\0i\0r\0o\0n\0m\0e\0n\0t\0]\0"s), std::string::npos);

    const auto missing = run({"export", (dir / "none.reg").string(), "HKEY_USERS\\Nowhere"});
    EXPECT_EQ(missing.code, exitcode::failure);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.reg"));
}

TEST_F(RegFileCommandsTest, ImportChangesThePrefixFiles) {
    dir.write("in.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\Environment]\r\n\"TEMP\"=\"D:\\\\t\"\r\n"
                        "[-HKEY_LOCAL_MACHINE\\Software\\Vendor]\r\n");
    const auto imported = run({"import", (dir / "in.reg").string()});
    EXPECT_EQ(imported.code, exitcode::ok) << imported.err;
    EXPECT_NE(dir.read("prefix/user.reg").find("\"TEMP\"=\"D:\\\\t\""), std::string::npos);
    EXPECT_EQ(dir.read("prefix/system.reg").find("Vendor"), std::string::npos);
}

TEST_F(RegFileCommandsTest, AFailedImportLeavesThePrefixAlone) {
    const auto before = prefixFiles();
    dir.write("bad.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\Environment]\r\n\"TEMP\"=\"D:\r\n");
    const auto malformed = run({"import", (dir / "bad.reg").string()});
    EXPECT_EQ(malformed.code, exitcode::failure);
    EXPECT_NE(malformed.err.find("line 3: "), std::string::npos) << malformed.err;
    // The first change goes in, the second cannot: nothing is saved.
    dir.write("part.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\Environment]\r\n\"TEMP\"=\"D:\"\r\n[" +
                              std::string("HKEY_CURRENT_USER\\") + std::string(300, 'k') + "]\r\n");
    const auto partly = run({"import", (dir / "part.reg").string()});
    EXPECT_EQ(partly.code, exitcode::failure);
    EXPECT_NE(partly.err.find("nothing was changed"), std::string::npos) << partly.err;
    EXPECT_EQ(run({"import", (dir / "absent.reg").string()}).code, exitcode::failure);
    EXPECT_EQ(prefixFiles(), before);
}

TEST_F(RegFileCommandsTest, ImportIsRefusedWhileAWineserverRunsForThePrefix) {
    // Debian's Wine names its server folder in the prefix's file "wineserver" and keeps it
    // below the temporary folder; the server holds a write lock on byte 0 of its "lock".
    struct stat info {};
    ASSERT_EQ(::stat((dir / "prefix").c_str(), &info), 0);
    std::ostringstream serverFolder;
    serverFolder << "server-" << std::hex << info.st_dev << "-" << info.st_ino;
    const auto folderName = dir.path().filename().string();
    dir.write("prefix/wineserver", folderName);
    const auto lockFile =
        std::filesystem::temp_directory_path() / folderName / serverFolder.str() / "lock";
    std::filesystem::create_directories(lockFile.parent_path());
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_len = 1;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);

    const auto before = prefixFiles();
    dir.write("in.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\Environment]\r\n\"TEMP\"=\"D:\"\r\n");
    const auto refused = run({"import", (dir / "in.reg").string()});
    ::close(fd);
    EXPECT_EQ(refused.code, exitcode::failure);
    EXPECT_NE(refused.err.find("wineserver"), std::string::npos) << refused.err;
    EXPECT_EQ(prefixFiles(), before);
}

TEST_F(RegFileCommandsTest, WrongArgumentsAreUsageErrors) {
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"export", "file.reg"}, {"export-all"}, {"import"}, {"import", "a", "b"}}) {
        EXPECT_EQ(run(words).code, exitcode::usage) << words.front();
    }
}

} // namespace
} // namespace tolvane

#ifndef _WIN32
namespace tolvane {
namespace {

// Changing commands hold the prefix lock from reading the files to storing them.
TEST_F(RegFileCommandsTest, ChangingCommandsRefuseALockedPrefixWithNoWait) {
    dir.write("add.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Added]\r\n");
    const std::string before = prefixFiles();
    auto held = prefix::PrefixLock::acquire(dir / "prefix", prefix::PrefixLock::Wait::no);
    ASSERT_TRUE(held.ok()) << held.message();
    for (const auto& command :
         {std::vector<std::string>{"--no-wait", "import", (dir / "add.reg").string()},
          std::vector<std::string>{"import", (dir / "add.reg").string(), "--no-wait"},
          std::vector<std::string>{"fix", "--no-wait"},
          std::vector<std::string>{"defrag", "--no-wait"}}) {
        const auto refused = run(command);
        EXPECT_EQ(refused.code, exitcode::failure) << command.front();
        EXPECT_NE(refused.err.find("another Tolvane process is working on the Wine prefix"),
                  std::string::npos)
            << refused.err;
    }
    // Reading needs no lock.
    EXPECT_EQ(run({"export", (dir / "key.reg").string(), "HKEY_CURRENT_USER\\Environment"}).code,
              exitcode::ok);
    EXPECT_EQ(prefixFiles(), before);
    held = makeError("released");
    EXPECT_EQ(run({"--no-wait", "import", (dir / "add.reg").string()}).code, exitcode::ok);
    EXPECT_NE(prefixFiles(), before);
}

} // namespace
} // namespace tolvane
#endif
