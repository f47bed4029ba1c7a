// The prefix engine's own gateway behaviour: Wine's root keys, UTF-8 conversion of the A
// functions, link keys and limits.
#include "platform/prefix/WineRegistry.h"

#include "platform/prefix/UnitText.h"
#include "tests/support/ValueBytes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane::prefix {
namespace {

using test::utf16;

class WineRegistryTest : public ::testing::Test {
protected:
    HKey create(HKey root, std::string_view path) {
        HKey key = HKey::null;
        EXPECT_EQ(registry.RegCreateKeyA(root, path, key), winerr::success) << path;
        return key;
    }
    bool exists(HKey root, std::string_view path) {
        HKey key = HKey::null;
        if (registry.RegOpenKeyA(root, path, key) != winerr::success) {
            return false;
        }
        registry.RegCloseKey(key);
        return true;
    }
    std::vector<std::string> subKeyNames(HKey key) {
        std::vector<std::string> names;
        std::string name;
        for (std::uint32_t index = 0;
             registry.RegEnumKeyA(key, index, name, maxPath) == winerr::success; ++index) {
            names.push_back(name);
        }
        return names;
    }
    // Makes `path` below HKLM a link to `target` (a \REGISTRY path), as a file's #link does.
    void makeLink(std::string_view path, std::u16string_view target) {
        HKey key = create(hkeyLocalMachine, path);
        ASSERT_EQ(registry.RegSetValueExW(key, u"SymbolicLinkValue", 6, utf16(target)), 0);
        registry.RegCloseKey(key);
        registry.withTree([&](RegistryTree& tree) {
            RegNode* node = tree.branchRoot(RegistryTree::machineBranch);
            std::size_t pos = 0;
            while (pos < path.size()) {
                std::size_t end = path.find('\\', pos);
                end = end == std::string_view::npos ? path.size() : end;
                node = tree.findChild(node, path.substr(pos, end - pos));
                pos = end + 1;
            }
            node->isLink = true;
        });
    }

    // The default value of `path` below `root`, or "(missing)" when the key is not found.
    std::string defaultValue(HKey root, std::string_view path) {
        std::string data;
        std::int32_t size = maxPath;
        if (registry.RegQueryValueA(root, path, &data, size) != winerr::success) {
            return "(missing)";
        }
        return data;
    }
    void setDefault(HKey root, std::string_view path, std::string_view text) {
        ASSERT_EQ(registry.RegSetValueA(root, path, regtype::sz, text), winerr::success) << path;
    }

    WineRegistry registry;
};

TEST_F(WineRegistryTest, RootsMapAsInWine) {
    registry.RegCloseKey(create(hkeyClassesRoot, "\\.viaclasses"));
    EXPECT_TRUE(exists(hkeyLocalMachine, "Software\\Classes\\.viaclasses"));

    registry.RegCloseKey(create(hkeyCurrentUser, "Software\\Classes\\.useronly"));
    EXPECT_FALSE(exists(hkeyClassesRoot, ".useronly")) << "Wine 8 does not merge user classes";

    registry.RegCloseKey(create(hkeyCurrentUser, "Software\\Mine"));
    EXPECT_TRUE(exists(hkeyUsers, "S-1-5-21-0-0-0-1000\\Software\\Mine"));
    EXPECT_EQ(subKeyNames(hkeyUsers),
              (std::vector<std::string>{".Default", "S-1-5-21-0-0-0-1000"}));

    EXPECT_FALSE(exists(hkeyCurrentConfig, "Setting"));
    registry.RegCloseKey(create(hkeyCurrentConfig, "Setting"));
    EXPECT_TRUE(
        exists(hkeyLocalMachine, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Setting"));
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(WineRegistryTest, AnsiFunctionsSpeakUtf8) {
    HKey key = create(hkeyCurrentUser, "caf\xC3\xA9");
    ASSERT_EQ(registry.RegSetValueExA(key, "n\xC3\xA4me", regtype::sz, "\xE2\x82\xAC"), 0);

    std::u16string wideName;
    EXPECT_EQ(registry.RegEnumKeyExW(hkeyCurrentUser, 0, wideName), 0);
    EXPECT_EQ(wideName, u"caf\u00e9");
    std::string name;
    EXPECT_EQ(registry.RegEnumKeyA(hkeyCurrentUser, 0, name, 5), winerr::moreData)
        << "5 bytes of UTF-8 need a size of 6";
    EXPECT_EQ(registry.RegEnumKeyA(hkeyCurrentUser, 0, name, 6), 0);
    EXPECT_EQ(name, "caf\xC3\xA9");

    std::uint32_t type = 0;
    std::string data;
    std::string valueName;
    std::uint32_t nameSize = maxPath;
    std::uint32_t dataSize = maxPath;
    EXPECT_EQ(registry.RegEnumValueA(key, 0, valueName, nameSize, &type, &data, &dataSize), 0);
    EXPECT_EQ(valueName, "n\xC3\xA4me");
    EXPECT_EQ(nameSize, 5u);
    EXPECT_EQ(data, std::string("\xE2\x82\xAC\0", 4));
    EXPECT_EQ(dataSize, 4u) << "UTF-8 bytes and the NUL";

    std::uint32_t wideType = 0;
    std::string stored;
    EXPECT_EQ(registry.RegEnumValueW(key, 0, wideName, wideType, stored), 0);
    EXPECT_EQ(stored, utf16(std::u16string(u"\u20ac\0", 2)));

    // A lone surrogate cannot be UTF-8; the A functions show U+FFFD.
    ASSERT_EQ(
        registry.RegSetValueExW(key, u"x", regtype::sz, utf16(std::u16string(u"\xd800\0", 2))), 0);
    dataSize = maxPath;
    EXPECT_EQ(registry.RegQueryValueExA(key, "x", nullptr, &data, &dataSize), 0);
    EXPECT_EQ(data, std::string("\xEF\xBF\xBD\0", 4));
    registry.RegCloseKey(key);
}

TEST_F(WineRegistryTest, NameLimits) {
    HKey key = HKey::null;
    EXPECT_EQ(registry.RegCreateKeyA(hkeyCurrentUser, std::string(257, 'k'), key),
              winerr::invalidParameter);
    EXPECT_EQ(registry.RegCreateKeyA(hkeyCurrentUser, std::string(256, 'k'), key), 0);
    EXPECT_EQ(registry.RegSetValueExA(key, std::string(16384, 'v'), regtype::sz, "x"),
              winerr::invalidParameter);
    EXPECT_EQ(registry.RegSetValueExA(key, std::string(16383, 'v'), regtype::sz, "x"), 0);
    registry.RegCloseKey(key);
}

TEST_F(WineRegistryTest, DeepTreesNeedNoRecursion) {
    std::string path = "Deep";
    for (int level = 0; level < 5000; ++level) {
        path += "\\L";
    }
    HKey key = create(hkeyCurrentUser, path);
    EXPECT_EQ(registry.RegSetValueExA(key, "v", regtype::dword, std::string(4, '\1')), 0);
    registry.RegCloseKey(key);
    EXPECT_TRUE(exists(hkeyCurrentUser, path));
}

TEST_F(WineRegistryTest, LinksAreFollowedAndEnumeratedByTheirOwnName) {
    HKey target = create(hkeyLocalMachine, "Software\\Classes\\AppId\\{X}");
    registry.RegSetValueExA(target, "", regtype::sz, "target");
    registry.RegCloseKey(target);
    makeLink("Software\\Classes\\Wow6432Node\\AppId",
             u"\\Registry\\Machine\\Software\\Classes\\AppId");

    EXPECT_EQ(subKeyNames(hkeyClassesRoot), (std::vector<std::string>{"AppId", "Wow6432Node"}));
    std::string data;
    std::int32_t size = maxPath;
    EXPECT_EQ(registry.RegQueryValueA(hkeyClassesRoot, "Wow6432Node\\AppId\\{X}", &data, size), 0);
    EXPECT_EQ(data, "target");

    HKey viaLink = create(hkeyClassesRoot, "Wow6432Node\\AppID\\{Y}");
    registry.RegCloseKey(viaLink);
    EXPECT_TRUE(exists(hkeyClassesRoot, "AppId\\{Y}"))
        << "keys made through a link land in its target";

    HKey link = HKey::null;
    ASSERT_EQ(registry.RegOpenKeyA(hkeyClassesRoot, "Wow6432Node\\AppId", link), 0);
    EXPECT_EQ(subKeyNames(link), (std::vector<std::string>{"{X}", "{Y}"}));
    registry.RegCloseKey(link);
}

TEST_F(WineRegistryTest, OnlyTheLastElementIsAskedWhetherItIsALink) {
    registry.RegCloseKey(create(hkeyLocalMachine, "Software\\Classes\\AppId\\{X}"));
    makeLink("Software\\Classes\\Wow6432Node\\AppId",
             u"\\Registry\\Machine\\Software\\Classes\\AppId");
    const auto isLink = [&](HKey root, std::string_view path) {
        bool link = true;
        const std::int32_t rc = registry.RegIsLinkKeyA(root, path, link);
        return rc == winerr::success ? (link ? "link" : "key") : "rc " + std::to_string(rc);
    };

    EXPECT_EQ(isLink(hkeyClassesRoot, "Wow6432Node\\AppId"), "link");
    EXPECT_EQ(isLink(hkeyLocalMachine, "software\\classes\\WOW6432NODE\\appid"), "link");
    EXPECT_EQ(isLink(hkeyClassesRoot, "Wow6432Node\\AppId\\{X}"), "key")
        << "a key reached through a link is no link itself";
    EXPECT_EQ(isLink(hkeyClassesRoot, "Wow6432Node"), "key");
    EXPECT_EQ(isLink(hkeyClassesRoot, "AppId"), "key");
    EXPECT_EQ(isLink(hkeyClassesRoot, "Wow6432Node\\Missing"), "rc 2");
    EXPECT_EQ(isLink(hkeyClassesRoot, "Missing\\AppId"), "rc 2");

    HKey parent = HKey::null;
    ASSERT_EQ(registry.RegOpenKeyA(hkeyClassesRoot, "Wow6432Node", parent), 0);
    EXPECT_EQ(isLink(parent, "AppId"), "link");
    registry.RegCloseKey(parent);
}

TEST_F(WineRegistryTest, BrokenAndCyclicLinksAreNotFound) {
    makeLink("Software\\Broken", u"\\Registry\\Machine\\Software\\Nowhere");
    makeLink("Software\\Loop", u"\\Registry\\Machine\\Software\\Loop");
    makeLink("Software\\Outside", u"\\Elsewhere\\Machine");
    for (const char* path :
         {"Software\\Broken", "Software\\Loop", "Software\\Loop\\Deeper", "Software\\Outside"}) {
        HKey key = HKey::null;
        EXPECT_EQ(registry.RegOpenKeyA(hkeyLocalMachine, path, key), winerr::fileNotFound) << path;
    }
    HKey software = HKey::null;
    ASSERT_EQ(registry.RegOpenKeyA(hkeyLocalMachine, "Software", software), 0);
    EXPECT_EQ(subKeyNames(software), (std::vector<std::string>{"Broken", "Loop", "Outside"}));
    registry.RegCloseKey(software);
}

// The gateway remembers the keys of the last path it walked; every change to the tree must
// make it look again, or a reopened path would reach a deleted or replaced key.
TEST_F(WineRegistryTest, ReopenedPathsSeeDeletedAndRecreatedKeys) {
    setDefault(hkeyLocalMachine, "Software\\Vendor\\App\\Sub", "old");
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Vendor\\App\\Sub"), "old");
    HKey oldSub = HKey::null;
    ASSERT_EQ(registry.RegOpenKeyA(hkeyLocalMachine, "Software\\Vendor\\App\\Sub", oldSub), 0);

    ASSERT_EQ(registry.RegDeleteKeyA(hkeyLocalMachine, "Software\\Vendor\\App\\Sub"), 0);
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Vendor\\App\\Sub"), "(missing)");
    ASSERT_EQ(registry.RegDeleteKeyA(hkeyLocalMachine, "Software\\Vendor\\App"), 0);
    EXPECT_FALSE(exists(hkeyLocalMachine, "Software\\Vendor\\App"));
    EXPECT_FALSE(exists(hkeyLocalMachine, "Software\\Vendor\\App\\Sub"));

    setDefault(hkeyLocalMachine, "Software\\Vendor\\App\\Sub", "new");
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Vendor\\App\\Sub"), "new");
    HKey app = HKey::null;
    ASSERT_EQ(registry.RegOpenKeyA(hkeyLocalMachine, "Software\\Vendor\\App", app), 0);
    EXPECT_EQ(defaultValue(app, "Sub"), "new");
    EXPECT_EQ(subKeyNames(app), (std::vector<std::string>{"Sub"}));
    registry.RegCloseKey(app);

    std::string data;
    std::int32_t size = maxPath;
    EXPECT_EQ(registry.RegQueryValueA(oldSub, "", &data, size), winerr::keyDeleted);
    registry.RegCloseKey(oldSub);

    // Another spelling of the same path reaches the same key.
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "SOFTWARE\\vendor\\APP\\sub"), "new");
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Vendor\\App\\Sub"), "new");
}

// Reopening a key the last walk passed through takes a shortcut; it must land on exactly the
// key the path names, never on a neighbour whose name begins the same way.
TEST_F(WineRegistryTest, PrefixesOfTheLastPathOpenTheKeysTheyName) {
    setDefault(hkeyLocalMachine, "Software\\Vendor", "vendor");
    setDefault(hkeyLocalMachine, "Software\\Vendor\\App", "app");
    setDefault(hkeyLocalMachine, "Software\\Vendor\\App\\Sub", "sub");
    setDefault(hkeyLocalMachine, "Software\\Ven", "ven");
    setDefault(hkeyLocalMachine, "Software\\Vendor\\Ap", "ap");
    setDefault(hkeyLocalMachine, "Software\\Vendex", "vendex");
    // Walks to the deepest key, then opens `path`.
    const auto reopen = [&](HKey base, std::string_view path) -> std::string {
        HKey deepest = HKey::null;
        EXPECT_EQ(registry.RegOpenKeyA(hkeyLocalMachine, "Software\\Vendor\\App\\Sub", deepest), 0);
        registry.RegCloseKey(deepest);
        HKey key = HKey::null;
        if (registry.RegOpenKeyA(base, path, key) != winerr::success) {
            return "(missing)";
        }
        std::string text = defaultValue(key, "");
        registry.RegCloseKey(key);
        return text;
    };
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor\\App\\"), "app");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor\\App"), "app");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor"), "vendor");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Ven"), "ven");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor\\Ap"), "ap");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendex"), "vendex");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor\\Abc"), "(missing)");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor\\\\App"), "app");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor\\App\\\\"), "app");
    EXPECT_EQ(reopen(hkeyLocalMachine, "software\\VENDOR"), "vendor");
    EXPECT_EQ(reopen(hkeyLocalMachine, "Software\\Vendor\\App\\Sub\\Deeper"), "(missing)");
    EXPECT_EQ(reopen(hkeyCurrentUser, "Software\\Vendor"), "(missing)") << "another root";
}

TEST_F(WineRegistryTest, ReopenedPathsThroughLinksFollowTheirTargetsChanges) {
    makeLink("Software\\Link", u"\\Registry\\Machine\\Software\\Target");
    EXPECT_FALSE(exists(hkeyLocalMachine, "Software\\Link\\Sub")) << "target still missing";

    setDefault(hkeyLocalMachine, "Software\\Target\\Sub", "first");
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Link\\Sub"), "first");

    // The target goes and comes back as new keys.
    ASSERT_EQ(registry.RegDeleteKeyA(hkeyLocalMachine, "Software\\Target\\Sub"), 0);
    ASSERT_EQ(registry.RegDeleteKeyA(hkeyLocalMachine, "Software\\Target"), 0);
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Link\\Sub"), "(missing)");
    EXPECT_FALSE(exists(hkeyLocalMachine, "Software\\Link"));
    setDefault(hkeyLocalMachine, "Software\\Target\\Sub", "second");
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Link\\Sub"), "second");

    // The link is pointed elsewhere.
    setDefault(hkeyLocalMachine, "Software\\Other\\Sub", "third");
    registry.withTree([](RegistryTree& tree) {
        RegNode* link = tree.findChild(
            tree.findChild(tree.branchRoot(RegistryTree::machineBranch), "Software"), "Link");
        ASSERT_NE(link, nullptr);
        tree.setValue(link, "SymbolicLinkValue", 6, utf16(u"\\Registry\\Machine\\Software\\Other"));
    });
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Link\\Sub"), "third");
}

TEST_F(WineRegistryTest, ClassesRootFollowsItsKeyBeingRemovedAndMadeAgain) {
    EXPECT_FALSE(exists(hkeyClassesRoot, ".txt"));
    setDefault(hkeyLocalMachine, "Software\\Classes\\.txt", "one");
    EXPECT_EQ(defaultValue(hkeyClassesRoot, ".txt"), "one");
    EXPECT_EQ(defaultValue(hkeyCurrentConfig, "Settings"), "(missing)");

    ASSERT_EQ(registry.RegDeleteKeyA(hkeyLocalMachine, "Software\\Classes\\.txt"), 0);
    ASSERT_EQ(registry.RegDeleteKeyA(hkeyLocalMachine, "Software\\Classes"), 0);
    EXPECT_FALSE(exists(hkeyClassesRoot, ".txt"));
    HKey classes = HKey::null;
    EXPECT_EQ(registry.RegOpenKeyA(hkeyClassesRoot, ".txt", classes), winerr::fileNotFound);

    setDefault(hkeyLocalMachine, "Software\\Classes\\.txt", "two");
    EXPECT_EQ(defaultValue(hkeyClassesRoot, ".txt"), "two");
    setDefault(hkeyClassesRoot, ".doc", "three");
    EXPECT_EQ(defaultValue(hkeyLocalMachine, "Software\\Classes\\.doc"), "three");
    setDefault(hkeyLocalMachine, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Settings",
               "config");
    EXPECT_EQ(defaultValue(hkeyCurrentConfig, "Settings"), "config");
}

TEST_F(WineRegistryTest, StructuralKeysCannotBeDeleted) {
    EXPECT_EQ(registry.RegDeleteKeyA(hkeyCurrentUser, ""), winerr::accessDenied);
    EXPECT_EQ(registry.RegDeleteKeyA(hkeyUsers, ".Default"), winerr::accessDenied);
    EXPECT_EQ(registry.RegDeleteKeyA(hkeyLocalMachine, ""), winerr::accessDenied);
}

} // namespace
} // namespace tolvane::prefix
