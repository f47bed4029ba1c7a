// Files and environment of an offline installation: Windows paths on the mounted volume, and
// the environment its hives give the user's processes.
#include "tests/support/WindowsTree.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane {
namespace {

class OfflineFileSystemTest : public ::testing::Test {
protected:
    FileSystem& files() { return platform->platform().files; }

    std::unique_ptr<offline::OfflinePlatform> open() {
        auto opened = tree.open();
        EXPECT_TRUE(opened) << opened.message();
        return opened ? std::move(opened.value()) : nullptr;
    }

    std::string variable(std::string_view name) {
        std::string value;
        return files().GetEnvironmentVariableA(name, value, 1024) != 0 ? value : "<unset>";
    }

    test::WindowsTree tree;
    std::unique_ptr<offline::OfflinePlatform> platform;
};

TEST_F(OfflineFileSystemTest, WindowsPathsResolveCaseInsensitivelyOnTheMount) {
    tree.addFile("C:\\Program Files\\Vendor\\App.exe");
    platform = open();
    ASSERT_TRUE(platform);
    struct Case {
        std::string_view path;
        bool exists;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Vendor\\App.exe", true},
        {"c:\\PROGRAM FILES\\vendor\\app.EXE", true},
        {"C:/Program Files/Vendor/App.exe", true},
        {"C:\\Program Files\\Vendor\\App.exe. ", true},
        {"C:\\Windows\\..\\Program Files\\.\\Vendor\\App.exe", true},
        {"\\\\?\\C:\\Program Files\\Vendor\\App.exe", true},
        {"\\Program Files\\Vendor\\App.exe", true},
        {"C:\\Program Files\\Vendor\\Gone.exe", false},
        {"C:\\Program Files\\Vendor\\App.exe\\sub", false},
        {"C:\\Program Files\\Vendor\\App*.exe", false},
        {"", false},
        {"   ", false},
        // What the mount cannot tell counts as present and is never reported.
        {"D:\\Games\\game.exe", true},
        {"\\\\server\\share\\tool.exe", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(files().PathFileExistsA(c.path), c.exists) << c.path;
    }
    EXPECT_TRUE(files().PathIsDirectoryA("C:\\program files\\VENDOR"));
    EXPECT_FALSE(files().PathIsDirectoryA("C:\\Program Files\\Vendor\\App.exe"));
    // A listing kept during a scan is dropped when it ends.
    {
        FileSystem::ScanScope scan(files());
        EXPECT_FALSE(files().PathFileExistsA("C:\\Program Files\\Vendor\\Late.exe"));
        tree.addFile("C:\\Program Files\\Vendor\\LATE.exe");
    }
    EXPECT_TRUE(files().PathFileExistsA("C:\\Program Files\\Vendor\\late.exe"));
}

TEST_F(OfflineFileSystemTest, TheEnvironmentComesFromTheHives) {
    tree.importReg("REGEDIT4\n\n"
                   "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\Session Manager\\"
                   "Environment]\n"
                   "\"Path\"=\"C:\\\\Windows\\\\system32;C:\\\\Windows\"\n"
                   "\"ToolDir\"=\"C:\\\\Tools\"\n\n"
                   "[HKEY_CURRENT_USER\\Environment]\n"
                   "\"Path\"=\"C:\\\\Users\\\\Bob\\\\bin\"\n"
                   "\"ToolDir\"=\"C:\\\\Users\\\\Bob\\\\Tools\"\n\n");
    platform = open();
    ASSERT_TRUE(platform);
    EXPECT_EQ(variable("SystemRoot"), "C:\\Windows");
    EXPECT_EQ(variable("WINDIR"), "C:\\Windows");
    EXPECT_EQ(variable("ProgramFiles"), "C:\\Program Files");
    EXPECT_EQ(variable("CommonProgramFiles"), "C:\\Program Files\\Common Files");
    EXPECT_EQ(variable("ProgramData"), "C:\\ProgramData");
    EXPECT_EQ(variable("COMPUTERNAME"), "OFFLINE-PC");
    EXPECT_EQ(variable("TEMP"), "C:\\Windows\\TEMP"); // REG_EXPAND_SZ, expanded
    EXPECT_EQ(variable("USERPROFILE"), "C:\\Users\\Bob");
    EXPECT_EQ(variable("USERNAME"), "Bob");
    EXPECT_EQ(variable("APPDATA"), "C:\\Users\\Bob\\AppData\\Roaming");
    EXPECT_EQ(variable("Path"), "C:\\Windows\\system32;C:\\Windows;C:\\Users\\Bob\\bin");
    EXPECT_EQ(variable("ToolDir"), "C:\\Users\\Bob\\Tools");
    std::string expanded;
    EXPECT_EQ(files().ExpandEnvironmentStringsA("%ProgramFiles%\\x %Nope% 100%", expanded, 260),
              std::string("C:\\Program Files\\x %Nope% 100%").size() + 1);
    EXPECT_EQ(expanded, "C:\\Program Files\\x %Nope% 100%");
    std::string folder;
    EXPECT_EQ(files().GetSystemDirectoryA(folder, 260),
              std::string("C:\\Windows\\system32").size());
    EXPECT_EQ(folder, "C:\\Windows\\system32");
}

} // namespace
} // namespace tolvane
