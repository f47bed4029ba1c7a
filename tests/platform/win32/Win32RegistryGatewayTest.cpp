// What the Win32 gateway adds on top of the registry API: the mapping of the predefined roots,
// names that Win32 would cut at a NUL, wide data kept byte for byte. The shared gateway tests
// check the API's own rules through the same gateway.
#include "platform/services/RegKey.h"
#include "platform/services/RegistryProfileStore.h"
#include "tests/support/TestRegistry.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

class Win32RegistryGatewayTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(reg.openHandleCount(), 1u) << "only the scratch key"; }

    HKey scratch() const { return registry.scratch(); }

    bool hasSubKey(HKey key, std::string_view wanted) {
        std::string name;
        for (std::uint32_t index = 0; reg.RegEnumKeyA(key, index, name, maxPath) == 0; ++index) {
            if (std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
                return true;
            }
        }
        return false;
    }

    test::TestRegistry registry;
    RegistryGateway& reg = registry.gateway();
};

TEST_F(Win32RegistryGatewayTest, PredefinedRootsReachTheRealRoots) {
    struct Case {
        HKey root;
        const char* child;
    };
    const Case cases[] = {
        {hkeyLocalMachine, "Software"},
        {hkeyCurrentUser, "Software"},
        {hkeyUsers, ".Default"},
        {hkeyClassesRoot, "CLSID"},
    };
    for (const Case& c : cases) {
        HKey same = HKey::null;
        EXPECT_EQ(reg.RegOpenKeyA(c.root, "", same), winerr::success) << c.child;
        EXPECT_EQ(same, c.root) << "the root hands back itself";
        EXPECT_TRUE(hasSubKey(c.root, c.child)) << c.child;

        HKey child = HKey::null;
        ASSERT_EQ(reg.RegOpenKeyA(c.root, c.child, child), winerr::success) << c.child;
        EXPECT_FALSE(isPredefinedKey(child));
        EXPECT_EQ(reg.openHandleCount(), 2u) << "the scratch key and this child";
        EXPECT_EQ(reg.RegCloseKey(child), winerr::success);
        EXPECT_EQ(reg.RegCloseKey(c.root), winerr::success) << "closing a root does nothing";
    }
    EXPECT_EQ(reg.RegCloseKey(HKey::null), winerr::invalidHandle);
    EXPECT_TRUE(hasSubKey(hkeyCurrentUser, "Software")) << "the roots still work";
}

TEST_F(Win32RegistryGatewayTest, NamesWithANulInsideAreRefusedNotCutShort) {
    ASSERT_EQ(reg.RegSetValueA(scratch(), "Keep", regtype::sz, "kept"), winerr::success);
    ASSERT_EQ(reg.RegSetValueExA(scratch(), "Keep", regtype::sz, "kept"), winerr::success);
    const std::string_view keepAndMore("Keep\0Other", 10);
    const std::u16string_view wideKeepAndMore(u"Keep\0Other", 10);

    HKey opened{0x1234};
    EXPECT_EQ(reg.RegOpenKeyA(scratch(), keepAndMore, opened), winerr::invalidParameter);
    EXPECT_EQ(opened, HKey::null);
    EXPECT_EQ(reg.RegCreateKeyA(scratch(), keepAndMore, opened), winerr::invalidParameter);
    EXPECT_EQ(reg.RegOpenKeyExW(scratch(), wideKeepAndMore, opened), winerr::invalidParameter);
    EXPECT_EQ(reg.RegCreateKeyExW(scratch(), wideKeepAndMore, opened), winerr::invalidParameter);
    EXPECT_EQ(reg.RegDeleteKeyA(scratch(), keepAndMore), winerr::invalidParameter);
    EXPECT_EQ(reg.RegDeleteKeyW(scratch(), wideKeepAndMore), winerr::invalidParameter);
    EXPECT_EQ(reg.RegDeleteValueA(scratch(), keepAndMore), winerr::invalidParameter);
    EXPECT_EQ(reg.RegDeleteValueW(scratch(), wideKeepAndMore), winerr::invalidParameter);
    EXPECT_EQ(reg.RegSetValueExA(scratch(), keepAndMore, regtype::sz, "lost"),
              winerr::invalidParameter);
    EXPECT_EQ(reg.RegSetValueA(scratch(), keepAndMore, regtype::sz, "lost"),
              winerr::invalidParameter);
    std::int32_t size = maxPath;
    EXPECT_EQ(reg.RegQueryValueA(scratch(), keepAndMore, nullptr, size), winerr::invalidParameter);

    std::string data;
    std::uint32_t dataSize = maxPath;
    EXPECT_EQ(reg.RegQueryValueExA(scratch(), "Keep", nullptr, &data, &dataSize), 0);
    EXPECT_EQ(data, std::string("kept\0", 5));
    size = maxPath;
    EXPECT_EQ(reg.RegQueryValueA(scratch(), "Keep", &data, size), 0);
    EXPECT_EQ(data, "kept");
}

TEST_F(Win32RegistryGatewayTest, WideValuesKeepEveryByteAndLongNames) {
    struct Case {
        std::u16string name;
        std::uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        // Win32 would count a NUL after these if the next unit in memory were one.
        {u"unterminated", regtype::sz, std::string("a\0b\0", 4)},
        {u"one byte", regtype::sz, std::string("\0", 1)},
        {u"odd", regtype::expandSz, std::string("x\0\0", 3)},
        {u"empty", regtype::multiSz, ""},
        {u"large", regtype::binary, std::string(70000, '\x5A')},
        {std::u16string(600, u'n'), 0x12345, "raw"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(reg.RegSetValueExW(scratch(), c.name, c.type, c.data), 0) << c.data.size();
    }
    std::size_t seen = 0;
    std::u16string name;
    std::uint32_t type = 0;
    std::string data;
    for (std::uint32_t index = 0; reg.RegEnumValueW(scratch(), index, name, type, data) == 0;
         ++index) {
        const auto found = std::find_if(std::begin(cases), std::end(cases),
                                        [&](const Case& c) { return c.name == name; });
        ASSERT_NE(found, std::end(cases)) << "name of " << name.size() << " units";
        EXPECT_EQ(type, found->type) << found->data.size();
        EXPECT_EQ(data, found->data) << "stored exactly, " << found->data.size() << " bytes";
        ++seen;
    }
    EXPECT_EQ(seen, std::size(cases));
}

TEST_F(Win32RegistryGatewayTest, FailedInfoQueryReadsAsAnEmptyKey) {
    HKey doomed = HKey::null;
    ASSERT_EQ(reg.RegCreateKeyA(scratch(), "Doomed", doomed), 0);
    ASSERT_EQ(reg.RegSetValueExA(doomed, "v", regtype::sz, "x"), 0);
    ASSERT_EQ(reg.RegDeleteKeyA(scratch(), "Doomed"), 0);
    RegKeyInfo info{7, 7, 7, 7, 7, 7};
    EXPECT_EQ(reg.RegQueryInfoKeyA(doomed, info, KeyInfoParts::counts), winerr::keyDeleted);
    EXPECT_EQ(info.subKeys, 0u);
    EXPECT_EQ(info.values, 0u);
    EXPECT_EQ(reg.RegCloseKey(doomed), 0);
}

TEST_F(Win32RegistryGatewayTest, ProfileStoreKeepsItsTypesInTheLiveRegistry) {
    RegistryProfileStore store(reg, hkeyCurrentUser, registry.scratchPath() + "\\tolvane");
    EXPECT_TRUE(store.writeProfileInt("Settings", "StartMinimized", 1));
    EXPECT_TRUE(store.writeProfileString("UI", "Last Scan", "Monday, June 01, 2026 10:00"));
    EXPECT_TRUE(store.writeProfileBinary("UI", "Selected Modules", {1, 0, 1}));

    EXPECT_EQ(store.getProfileInt("Settings", "StartMinimized", 0), 1u);
    EXPECT_EQ(store.getProfileString("UI", "Last Scan", "none"), "Monday, June 01, 2026 10:00");
    EXPECT_EQ(store.getProfileBinary("UI", "Selected Modules"),
              (std::vector<std::uint8_t>{1, 0, 1}));
    EXPECT_EQ(store.getProfileString("UI", "Last Backup", "none"), "none");

    struct Stored {
        const char* section;
        const char* entry;
        std::uint32_t type;
    };
    const Stored stored[] = {{"Settings", "StartMinimized", regtype::dword},
                             {"UI", "Last Scan", regtype::sz},
                             {"UI", "Selected Modules", regtype::binary}};
    for (const Stored& s : stored) {
        RegKey section;
        ASSERT_EQ(RegKey::open(reg, scratch(), std::string("tolvane\\") + s.section, section), 0);
        std::uint32_t type = 0;
        EXPECT_EQ(reg.RegQueryValueExA(section.get(), s.entry, &type, nullptr, nullptr), 0);
        EXPECT_EQ(type, s.type) << s.entry;
    }
}

} // namespace
} // namespace tolvane
