#include "engine/ProtectionList.h"

#include "tests/support/TestPlatform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

class ProtectionListTest : public ::testing::Test {
protected:
    bool keyProtected(HKey root, std::string path) {
        return list.covers(FixTarget{root, std::move(path), {}});
    }
    bool valueProtected(HKey root, std::string path, std::string name) {
        return list.covers(FixTarget{root, std::move(path), std::move(name)});
    }
    void setText(std::string_view path, std::string_view name, std::string_view text) {
        HKey key = HKey::null;
        ASSERT_EQ(test.registry().RegCreateKeyA(hkeyLocalMachine, path, key), winerr::success);
        ASSERT_EQ(test.registry().RegSetValueExA(key, name, regtype::sz, std::string(text) + '\0'),
                  winerr::success);
        test.registry().RegCloseKey(key);
    }

    test::TestPlatform test;
    ProtectionList list{test.registry()};
};

TEST_F(ProtectionListTest, ContainersAndEveryKeyAboveThemStayButWhatTheyHoldIsCleaned) {
    const std::string paths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    for (const auto& [root, path] : std::vector<std::pair<HKey, std::string>>{
             {hkeyClassesRoot, "CLSID"},
             {hkeyLocalMachine, "software\\CLASSES\\clsid\\"},
             {hkeyClassesRoot, "Interface"},
             {hkeyClassesRoot, "TypeLib"},
             {hkeyClassesRoot, "AppID"},
             {hkeyLocalMachine, paths},
             {hkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"},
             {hkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"},
             {hkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32"},
             {hkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"},
             {hkeyLocalMachine, "Software\\Microsoft\\Windows\\Help"},
             {hkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
             {hkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
             {hkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion"},
             {hkeyLocalMachine, "Software"},
             {hkeyCurrentUser, "Software"},
             {hkeyLocalMachine, ""},
             {hkeyClassesRoot, ""},
         }) {
        EXPECT_TRUE(keyProtected(root, path)) << path;
    }
    EXPECT_FALSE(keyProtected(hkeyClassesRoot, "CLSID\\{00000000-0000-0000-0000-000000000001}"));
    EXPECT_FALSE(keyProtected(hkeyLocalMachine, paths + "\\gone.exe"));
    EXPECT_FALSE(keyProtected(hkeyClassesRoot, ".gone"));
    EXPECT_FALSE(valueProtected(hkeyLocalMachine,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Updater"));
    EXPECT_FALSE(valueProtected(hkeyLocalMachine, "Software\\Vendor\\App", "InstallDir"));
}

TEST_F(ProtectionListTest, TheThirtyTwoBitViewsKeepTheirValuesAndDirectSubKeys) {
    EXPECT_TRUE(keyProtected(hkeyClassesRoot, "Wow6432Node"));
    EXPECT_TRUE(keyProtected(hkeyClassesRoot, "Wow6432Node\\CLSID"))
        << "the Empty CLSID a fresh prefix showed, whose fix took every 32-bit class";
    EXPECT_TRUE(keyProtected(hkeyLocalMachine, "Software\\Wow6432Node\\Vendor"));
    EXPECT_TRUE(valueProtected(hkeyClassesRoot, "Wow6432Node", ""));
    EXPECT_FALSE(keyProtected(hkeyClassesRoot, "Wow6432Node\\CLSID\\{00000000-0000-0000-0000-1}"));
    EXPECT_FALSE(keyProtected(hkeyLocalMachine, "Software\\Wow6432Node\\Vendor\\App"));
}

TEST_F(ProtectionListTest, WineKeysAndShellFoldersAreProtectedWholeAndFromAbove) {
    const std::string user = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    EXPECT_TRUE(valueProtected(hkeyCurrentUser, "Software\\Wine\\DllOverrides", "d3d9"));
    EXPECT_TRUE(keyProtected(hkeyLocalMachine, "Software\\Wine\\Drives"));
    EXPECT_TRUE(keyProtected(hkeyCurrentUser, "Software\\Wine"));
    EXPECT_TRUE(valueProtected(hkeyCurrentUser, user + "Shell Folders", "Personal"));
    EXPECT_TRUE(valueProtected(hkeyCurrentUser, user + "User Shell Folders\\", "My Music"));
    EXPECT_TRUE(valueProtected(hkeyLocalMachine, user + "Shell Folders", "Common Desktop"));
    EXPECT_TRUE(keyProtected(hkeyCurrentUser, user.substr(0, user.size() - 1)));
    EXPECT_FALSE(keyProtected(hkeyCurrentUser, "Software\\WineHQ"));
    EXPECT_FALSE(valueProtected(hkeyCurrentUser, user + "Shell Folders Old", "Personal"));
}

TEST_F(ProtectionListTest, WinesOwnRegistrationsAreProtectedByWhatTheyHold) {
    const std::string fonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    setText(fonts, "Courier", "coure.fon");
    setText(fonts, "MS Sans Serif", "SSERIFEE.FON");
    setText(fonts, "Small Fonts", "C:\\Fonts\\smalle.fon");
    setText(fonts, "Arial (TrueType)", "arial.ttf");

    EXPECT_TRUE(valueProtected(hkeyLocalMachine, fonts, "courier"));
    EXPECT_TRUE(valueProtected(hkeyLocalMachine, fonts, "MS Sans Serif"));
    EXPECT_FALSE(valueProtected(hkeyLocalMachine, fonts, "Small Fonts"))
        << "a font file given with a folder is the user's";
    EXPECT_FALSE(valueProtected(hkeyLocalMachine, fonts, "Arial (TrueType)"));
    EXPECT_FALSE(valueProtected(hkeyLocalMachine, fonts, "MS Serif")) << "not there";
    EXPECT_TRUE(valueProtected(hkeyLocalMachine, "Software\\Microsoft\\DirectMusic", "GMFilePath"));
    EXPECT_FALSE(valueProtected(hkeyLocalMachine, "Software\\Microsoft\\DirectMusic", "Other"));
}

TEST_F(ProtectionListTest, LinkKeysAndWhatIsReachedThroughThemAreProtected) {
    setText("Software\\Vendor\\App", "InstallDir", "C:\\Gone");
    test.addLink(hkeyLocalMachine, "Software\\Wow6432Node\\Vendor", "Software\\Vendor");
    test.addLink(hkeyLocalMachine, "Software\\Mirror", "Software\\Vendor");

    EXPECT_TRUE(keyProtected(hkeyLocalMachine, "Software\\Mirror"));
    EXPECT_TRUE(keyProtected(hkeyLocalMachine, "Software\\Mirror\\App"));
    EXPECT_TRUE(valueProtected(hkeyLocalMachine, "Software\\Mirror\\App", "InstallDir"));
    EXPECT_FALSE(valueProtected(hkeyLocalMachine, "Software\\Vendor\\App", "InstallDir"));
    EXPECT_FALSE(keyProtected(hkeyLocalMachine, "Software\\Vendor\\App"));
}

} // namespace
} // namespace tolvane
