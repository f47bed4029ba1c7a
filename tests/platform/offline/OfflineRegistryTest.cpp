// The registry of an offline Windows installation as the scan logic sees it through the
// gateway: the Win32 contract over hives held by hivex, and how the hives are mounted.
#include "platform/services/RegKey.h"
#include "tests/support/HiveImage.h"
#include "tests/support/ModuleTestHelpers.h"
#include "tests/support/TempDir.h"
#include "tests/support/ValueBytes.h"
#include "tests/support/WindowsTree.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using test::utf16;

class OfflineRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto opened = tree.open();
        ASSERT_TRUE(opened) << opened.message();
        platform = std::move(opened.value());
    }

    RegistryGateway& reg() { return platform->registry(); }

    std::vector<std::string> subKeyNames(HKey root, std::string_view path) {
        RegKey key;
        EXPECT_EQ(RegKey::open(reg(), root, path, key), winerr::success) << path;
        std::vector<std::string> names;
        std::string name;
        for (std::uint32_t index = 0;
             reg().RegEnumKeyA(key.get(), index, name, maxPath) == winerr::success; ++index) {
            names.push_back(name);
        }
        return names;
    }

    std::string text(HKey root, std::string_view path, std::string_view name) {
        RegKey key;
        if (RegKey::open(reg(), root, path, key) != winerr::success) {
            return "<no key>";
        }
        std::string data;
        std::uint32_t size = 4096;
        std::uint32_t type = 0;
        if (reg().RegQueryValueExA(key.get(), name, &type, &data, &size) != winerr::success) {
            return "<no value>";
        }
        return data.substr(0, data.find('\0'));
    }

    void setText(HKey root, std::string_view path, std::string_view name, std::string_view value) {
        RegKey key;
        ASSERT_EQ(RegKey::create(reg(), root, path, key), winerr::success) << path;
        ASSERT_EQ(reg().RegSetValueExA(key.get(), name, regtype::sz, value), winerr::success);
    }

    test::WindowsTree tree;
    std::unique_ptr<offline::OfflinePlatform> platform;
};

TEST_F(OfflineRegistryTest, HivesAreMountedWhereWindowsMountsThem) {
    EXPECT_EQ(subKeyNames(hkeyLocalMachine, ""), (std::vector<std::string>{"SOFTWARE", "SYSTEM"}));
    EXPECT_EQ(subKeyNames(hkeyUsers, ""),
              (std::vector<std::string>{".DEFAULT", "S-1-5-21-1111-2222-3333-1001",
                                        "S-1-5-21-1111-2222-3333-1001_Classes"}));
    EXPECT_EQ(text(hkeyLocalMachine,
                   "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                   "ComputerName"),
              "OFFLINE-PC");
    // The control set is seen once when walking: CurrentControlSet is a link, not listed.
    EXPECT_EQ(subKeyNames(hkeyLocalMachine, "SYSTEM"),
              (std::vector<std::string>{"ControlSet001", "Select"}));
    bool link = false;
    EXPECT_EQ(reg().RegIsLinkKeyA(hkeyLocalMachine, "SYSTEM\\CurrentControlSet", link),
              winerr::success);
    EXPECT_TRUE(link);
    EXPECT_EQ(reg().RegIsLinkKeyA(hkeyLocalMachine, "SYSTEM\\ControlSet001", link),
              winerr::success);
    EXPECT_FALSE(link);

    // HKCU is the user's NTUSER.DAT, and its Software\Classes is UsrClass.dat (a link).
    setText(hkeyCurrentUser, "Software\\Classes\\.mine", "", "mine.file");
    EXPECT_EQ(text(hkeyUsers, "S-1-5-21-1111-2222-3333-1001_Classes\\.mine", ""), "mine.file");
    EXPECT_EQ(subKeyNames(hkeyCurrentUser, "Software"),
              (std::vector<std::string>{"Classes", "Microsoft"}));
    EXPECT_EQ(reg().RegIsLinkKeyA(hkeyCurrentUser, "Software\\Classes", link), winerr::success);
    EXPECT_TRUE(link);
    // Nothing new at the roots: hives are mounted, not made.
    HKey key = HKey::null;
    EXPECT_EQ(reg().RegCreateKeyA(hkeyLocalMachine, "HARDWARE", key), winerr::accessDenied);
    EXPECT_EQ(reg().RegDeleteKeyA(hkeyLocalMachine, "SOFTWARE\\Classes"), winerr::success);
    EXPECT_EQ(reg().RegDeleteKeyA(hkeyLocalMachine, "SYSTEM"), winerr::accessDenied);
}

TEST_F(OfflineRegistryTest, ClassesRootMergesTheUsersClassesOverTheMachines) {
    setText(hkeyLocalMachine, "SOFTWARE\\Classes\\.txt", "", "txtfile");
    setText(hkeyLocalMachine, "SOFTWARE\\Classes\\.txt", "Content Type", "text/plain");
    setText(hkeyLocalMachine, "SOFTWARE\\Classes\\.both\\Machine", "", "m");
    setText(hkeyCurrentUser, "Software\\Classes\\.txt", "", "mytxt");
    setText(hkeyCurrentUser, "Software\\Classes\\.both\\User", "", "u");
    setText(hkeyCurrentUser, "Software\\Classes\\.user", "", "u");

    // The user's value wins; a value only the machine has falls through.
    EXPECT_EQ(text(hkeyClassesRoot, ".txt", ""), "mytxt");
    EXPECT_EQ(text(hkeyClassesRoot, ".TXT", "Content Type"), "text/plain");
    EXPECT_EQ(subKeyNames(hkeyClassesRoot, ""),
              (std::vector<std::string>{".both", ".txt", ".user"}));
    EXPECT_EQ(subKeyNames(hkeyClassesRoot, ".both"), (std::vector<std::string>{"Machine", "User"}));
    // The machine's own view is untouched by the user's classes.
    EXPECT_EQ(text(hkeyLocalMachine, "SOFTWARE\\Classes\\.txt", ""), "txtfile");

    // Deleting through the merged view removes the key from both sides.
    EXPECT_EQ(reg().RegDeleteKeyA(hkeyClassesRoot, ".both"), winerr::accessDenied);
    EXPECT_EQ(reg().RegDeleteKeyA(hkeyClassesRoot, ".both\\User"), winerr::success);
    EXPECT_EQ(reg().RegDeleteKeyA(hkeyClassesRoot, ".both\\Machine"), winerr::success);
    EXPECT_EQ(reg().RegDeleteKeyA(hkeyClassesRoot, ".both"), winerr::success);
    HKey key = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(hkeyLocalMachine, "SOFTWARE\\Classes\\.both", key),
              winerr::fileNotFound);
    EXPECT_EQ(reg().RegOpenKeyA(hkeyCurrentUser, "Software\\Classes\\.both", key),
              winerr::fileNotFound);
    EXPECT_EQ(reg().RegDeleteValueA(hkeyClassesRoot, "Content Type"), winerr::fileNotFound);
    RegKey txt;
    ASSERT_EQ(RegKey::open(reg(), hkeyClassesRoot, ".txt", txt), winerr::success);
    EXPECT_EQ(reg().RegDeleteValueA(txt.get(), ""), winerr::success);
    EXPECT_EQ(text(hkeyClassesRoot, ".txt", ""), "<no value>");
    EXPECT_EQ(text(hkeyClassesRoot, ".txt", "Content Type"), "text/plain");
}

TEST_F(OfflineRegistryTest, Win32SizeAndNameRules) {
    setText(hkeyLocalMachine, "SOFTWARE\\Vendor\\App", "Path", "C:\\Program Files\\Ünïcode");
    RegKey key;
    ASSERT_EQ(RegKey::open(reg(), hkeyLocalMachine, "software\\VENDOR\\app\\", key),
              winerr::success);
    HKey bad = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(hkeyLocalMachine, "\\SOFTWARE", bad), winerr::badPathname);
    EXPECT_EQ(reg().RegOpenKeyA(hkeyLocalMachine, "SOFTWARE\\\\Vendor", bad), winerr::success);
    EXPECT_EQ(reg().RegCloseKey(bad), winerr::success);

    // Text comes back as UTF-8 with its NUL; a buffer one byte short gives 234 and the size.
    const std::string expected = std::string("C:\\Program Files\\Ünïcode") + '\0';
    std::string data;
    std::uint32_t size = static_cast<std::uint32_t>(expected.size() - 1);
    std::uint32_t type = 0;
    EXPECT_EQ(reg().RegQueryValueExA(key.get(), "PATH", &type, &data, &size), winerr::moreData);
    EXPECT_EQ(size, expected.size());
    EXPECT_EQ(reg().RegQueryValueExA(key.get(), "PATH", &type, &data, &size), winerr::success);
    EXPECT_EQ(data, expected);
    EXPECT_EQ(type, regtype::sz);

    // The wide side sees the UTF-16 bytes as stored.
    std::u16string name;
    std::string bytes;
    ASSERT_EQ(reg().RegEnumValueW(key.get(), 0, name, type, bytes), winerr::success);
    EXPECT_EQ(name, u"Path");
    EXPECT_EQ(bytes, utf16(u"C:\\Program Files\\Ünïcode") + std::string(2, '\0'));

    std::string keyName;
    EXPECT_EQ(reg().RegEnumKeyA(hkeyLocalMachine, 0, keyName, 8), winerr::moreData);
    EXPECT_EQ(reg().RegEnumKeyA(hkeyLocalMachine, 0, keyName, 9), winerr::success);
    EXPECT_EQ(reg().RegEnumKeyA(hkeyLocalMachine, 2, keyName, 9), winerr::noMoreItems);

    // A key without a default value reads as empty text of size 1.
    std::int32_t defaultSize = 100;
    EXPECT_EQ(reg().RegQueryValueA(key.get(), "", &data, defaultSize), winerr::success);
    EXPECT_EQ(defaultSize, 1);

    RegKeyInfo info;
    ASSERT_EQ(reg().RegQueryInfoKeyA(key.get(), info, KeyInfoParts::everything), winerr::success);
    EXPECT_EQ(info.values, 1u);
    EXPECT_EQ(info.maxValueNameLen, 4u);
    EXPECT_EQ(info.maxValueLen,
              (expected.size() - 2) * 2); // "Ü" and "ï": two UTF-8 bytes, one unit
}

TEST_F(OfflineRegistryTest, ListsFollowEveryChange) {
    setText(hkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{B}", "", "b");
    EXPECT_EQ(subKeyNames(hkeyClassesRoot, "CLSID"), (std::vector<std::string>{"{B}"}));
    setText(hkeyCurrentUser, "Software\\Classes\\CLSID\\{A}", "", "a");
    setText(hkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\{C}", "", "c");
    EXPECT_EQ(subKeyNames(hkeyClassesRoot, "CLSID"),
              (std::vector<std::string>{"{A}", "{B}", "{C}"}));
    EXPECT_EQ(text(hkeyClassesRoot, "CLSID\\{A}", ""), "a");
    ASSERT_EQ(reg().RegDeleteKeyA(hkeyClassesRoot, "CLSID\\{B}"), winerr::success);
    EXPECT_EQ(subKeyNames(hkeyClassesRoot, "CLSID"), (std::vector<std::string>{"{A}", "{C}"}));
    EXPECT_EQ(subKeyNames(hkeyLocalMachine, "SOFTWARE\\Classes\\CLSID"),
              (std::vector<std::string>{"{C}"}));
    setText(hkeyClassesRoot, "CLSID\\{A}", "", "changed");
    EXPECT_EQ(text(hkeyCurrentUser, "Software\\Classes\\CLSID\\{A}", ""), "changed");
    EXPECT_EQ(text(hkeyClassesRoot, "CLSID\\{A}", ""), "changed");
}

TEST_F(OfflineRegistryTest, ADamagedSubKeyListIsAnErrorNotAnEmptyKey) {
    test::HiveImage::Key root("ROOT");
    root.child("Microsoft").child("Windows NT").child("CurrentVersion").child("ProfileList");
    root.child("Damaged").child("Inner").set("x", regtype::dword, std::string(4, '\1'));
    std::string bytes = test::HiveImage::build(root);
    // The first list written is the deepest one: Damaged's.
    const std::size_t list = bytes.find("lf");
    ASSERT_NE(list, std::string::npos);
    bytes.replace(list, 2, "xx");
    platform.reset();
    test::writeFile(tree.hive("SOFTWARE"), bytes);
    auto opened = tree.open();
    ASSERT_TRUE(opened) << opened.message();
    platform = std::move(opened.value());

    RegKey damaged;
    ASSERT_EQ(RegKey::open(reg(), hkeyLocalMachine, "SOFTWARE\\Damaged", damaged), winerr::success);
    std::string name;
    EXPECT_EQ(reg().RegEnumKeyA(damaged.get(), 0, name, maxPath), winerr::accessDenied);
    HKey key = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(damaged.get(), "Inner", key), winerr::accessDenied);
    EXPECT_EQ(reg().RegOpenKeyA(damaged.get(), "Other", key), winerr::accessDenied);
    RegKeyInfo info;
    EXPECT_EQ(reg().RegQueryInfoKeyA(damaged.get(), info, KeyInfoParts::counts),
              winerr::accessDenied);
}

TEST_F(OfflineRegistryTest, DeletedKeysAndClosedHandles) {
    setText(hkeyLocalMachine, "SOFTWARE\\Vendor\\App\\Sub", "x", "1");
    HKey app = HKey::null;
    HKey sub = HKey::null;
    ASSERT_EQ(reg().RegOpenKeyA(hkeyLocalMachine, "SOFTWARE\\Vendor\\App", app), winerr::success);
    ASSERT_EQ(reg().RegOpenKeyA(app, "Sub", sub), winerr::success);
    EXPECT_EQ(reg().openHandleCount(), 2u);
    EXPECT_EQ(reg().RegDeleteKeyA(app, ""), winerr::accessDenied);
    EXPECT_EQ(reg().RegDeleteKeyA(app, "Sub"), winerr::success);
    std::string data;
    std::uint32_t size = 10;
    EXPECT_EQ(reg().RegQueryValueExA(sub, "x", nullptr, &data, &size), winerr::keyDeleted);
    // A new key may take the deleted key's place in the hive; the old handle never sees it.
    setText(hkeyLocalMachine, "SOFTWARE\\Vendor\\App\\Other", "y", "2");
    EXPECT_EQ(reg().RegQueryValueExA(sub, "y", nullptr, &data, &size), winerr::keyDeleted);
    EXPECT_EQ(reg().RegCloseKey(sub), winerr::success);
    EXPECT_EQ(reg().RegCloseKey(sub), winerr::invalidHandle);
    EXPECT_EQ(reg().RegCloseKey(app), winerr::success);
    EXPECT_EQ(reg().openHandleCount(), 0u);
    EXPECT_EQ(reg().RegDeleteValueA(hkeyLocalMachine, "nothing"), winerr::fileNotFound);
}

TEST_F(OfflineRegistryTest, ChangesReachTheHiveFilesOnlyThroughACommit) {
    setText(hkeyLocalMachine, "SOFTWARE\\Vendor\\App", "Path", "C:\\x");
    EXPECT_TRUE(platform->registry().hasUnsavedChanges());
    auto reopened = tree.open();
    ASSERT_TRUE(reopened) << reopened.message();
    EXPECT_FALSE(
        test::keyExists(reopened.value()->registry(), hkeyLocalMachine, "SOFTWARE\\Vendor"));

    ASSERT_TRUE(platform->registry().commit());
    EXPECT_FALSE(platform->registry().hasUnsavedChanges());
    auto after = tree.open();
    ASSERT_TRUE(after) << after.message();
    EXPECT_TRUE(
        test::keyExists(after.value()->registry(), hkeyLocalMachine, "SOFTWARE\\Vendor\\App"));
}

} // namespace
} // namespace tolvane
