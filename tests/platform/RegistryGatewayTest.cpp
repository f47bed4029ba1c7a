// Win32 registry semantics as the scan logic relies on them. Written only against
// RegistryGateway, so the same checks run against the prefix engine and, in the Windows build,
// against the real API under Wine. Where Windows itself behaves otherwise the test says so and
// checks TestRegistry::behavesLikeWine().
#include "platform/services/RegKey.h"
#include "tests/support/TestRegistry.h"
#include "tests/support/ValueBytes.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

using test::dword;
using test::utf16;

using test::TestRegistry;

class RegistryGatewayTest : public ::testing::Test {
protected:
    RegistryGateway& reg() { return registry.gateway(); }
    HKey scratch() const { return registry.scratch(); }

    HKey create(std::string_view path) {
        HKey key = HKey::null;
        EXPECT_EQ(reg().RegCreateKeyA(scratch(), path, key), winerr::success) << path;
        return key;
    }
    void makeKey(std::string_view path) { reg().RegCloseKey(create(path)); }

    std::vector<std::string> subKeyNames(HKey key) {
        std::vector<std::string> names;
        std::string name;
        for (std::uint32_t index = 0;
             reg().RegEnumKeyA(key, index, name, maxPath) == winerr::success; ++index) {
            names.push_back(name);
        }
        return names;
    }

    std::vector<std::string> valueNames(HKey key) {
        std::vector<std::string> names;
        for (std::uint32_t index = 0;; ++index) {
            std::string name;
            std::uint32_t nameSize = maxPath;
            if (reg().RegEnumValueA(key, index, name, nameSize, nullptr, nullptr, nullptr) !=
                winerr::success) {
                return names;
            }
            names.push_back(name);
        }
    }

    TestRegistry registry;
};

TEST_F(RegistryGatewayTest, OpeningAcceptsTheWin32PathForms) {
    makeKey("Sub\\Child");
    struct Case {
        std::string_view path;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"Sub", winerr::success},
        {"SUB\\child", winerr::success},
        {"Sub\\", winerr::success},
        {"Sub\\\\", winerr::success},
        {"Sub\\\\Child", winerr::success},
        {"Missing", winerr::fileNotFound},
        {"Sub\\Missing", winerr::fileNotFound},
        {"\\Sub", winerr::badPathname},
    };
    for (const Case& c : cases) {
        HKey key{0x1234};
        EXPECT_EQ(reg().RegOpenKeyA(scratch(), c.path, key), c.expected) << c.path;
        if (c.expected == winerr::success) {
            EXPECT_NE(key, HKey::null) << c.path;
            EXPECT_EQ(reg().RegCloseKey(key), winerr::success);
        } else {
            EXPECT_EQ(key, HKey::null) << c.path;
        }
    }
    HKey missing = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(scratch(), "Missing\\Deeper", missing), winerr::fileNotFound);
    EXPECT_EQ(subKeyNames(scratch()), std::vector<std::string>{"Sub"}) << "opening created keys";
}

TEST_F(RegistryGatewayTest, HandlesAreCountedAndClosed) {
    const std::size_t before = reg().openHandleCount();
    HKey created = create("A\\B\\C");
    EXPECT_EQ(reg().openHandleCount(), before + 1);

    HKey same = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(created, "", same), winerr::success);
    EXPECT_EQ(same, created) << "an empty path hands back the key itself";
    HKey root = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(hkeyCurrentUser, "", root), winerr::success);
    EXPECT_EQ(root, hkeyCurrentUser);
    EXPECT_EQ(reg().openHandleCount(), before + 1);

    HKey second = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(scratch(), "a\\b", second), winerr::success);
    EXPECT_NE(second, created);
    EXPECT_EQ(reg().openHandleCount(), before + 2);

    EXPECT_EQ(reg().RegCloseKey(second), winerr::success);
    EXPECT_EQ(reg().RegCloseKey(created), winerr::success);
    EXPECT_EQ(reg().openHandleCount(), before);
    EXPECT_EQ(reg().RegCloseKey(hkeyLocalMachine), winerr::success);
    EXPECT_EQ(reg().RegCloseKey(HKey::null), winerr::invalidHandle);

    {
        RegKey owned;
        EXPECT_EQ(RegKey::open(reg(), scratch(), "A\\B", owned), winerr::success);
        EXPECT_EQ(reg().openHandleCount(), before + 1);
    }
    EXPECT_EQ(reg().openHandleCount(), before);
}

TEST_F(RegistryGatewayTest, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
    makeKey("MixedKey");
    HKey reopened = create("mIXEDkEY");
    EXPECT_EQ(subKeyNames(scratch()), std::vector<std::string>{"MixedKey"});

    EXPECT_EQ(reg().RegSetValueExA(reopened, "MixedCase", regtype::dword, dword(1)), 0);
    EXPECT_EQ(reg().RegSetValueExA(reopened, "MIXEDCASE", regtype::dword, dword(2)), 0);
    EXPECT_EQ(valueNames(reopened), std::vector<std::string>{"MixedCase"});
    std::string data;
    std::uint32_t size = 4;
    EXPECT_EQ(reg().RegQueryValueExA(reopened, "mixedcase", nullptr, &data, &size), 0);
    EXPECT_EQ(data, dword(2));
    reg().RegCloseKey(reopened);
}

TEST_F(RegistryGatewayTest, SubKeysEnumerateInWineOrder) {
    // Windows sorts keys by upper case ("A" before "_x"); Wine folds to lower case.
    if (!TestRegistry::behavesLikeWine()) {
        GTEST_SKIP() << "Wine's sort order";
    }
    for (const char* name : {"Zed", "b1", "~z", "ab", "A", "_x", "1", "B", "[k", "a2"}) {
        makeKey(name);
    }
    EXPECT_EQ(subKeyNames(scratch()),
              (std::vector<std::string>{"1", "[k", "_x", "A", "a2", "ab", "B", "b1", "Zed", "~z"}));
}

TEST_F(RegistryGatewayTest, ValuesEnumerateInWineOrder) {
    // Windows returns values in creation order; Wine keeps them sorted like keys.
    if (!TestRegistry::behavesLikeWine()) {
        GTEST_SKIP() << "Wine's sort order";
    }
    for (const char* name : {"Zed", "b1", "~z", "ab", "A", "_x", "1", "B", "[k", "a2"}) {
        EXPECT_EQ(reg().RegSetValueExA(scratch(), name, regtype::sz, "x"), 0);
    }
    EXPECT_EQ(valueNames(scratch()),
              (std::vector<std::string>{"1", "[k", "_x", "A", "a2", "ab", "B", "b1", "Zed", "~z"}));
}

TEST_F(RegistryGatewayTest, EnumKeyNeedsRoomForTheNul) {
    makeKey("Fives");
    struct Case {
        std::uint32_t index;
        std::uint32_t size;
        std::int32_t expected;
    };
    const Case cases[] = {{0, 5, winerr::moreData},
                          {0, 6, winerr::success},
                          {0, 0, winerr::moreData},
                          {1, 260, winerr::noMoreItems}};
    for (const Case& c : cases) {
        std::string name = "untouched";
        EXPECT_EQ(reg().RegEnumKeyA(scratch(), c.index, name, c.size), c.expected) << c.size;
        EXPECT_EQ(name, c.expected == winerr::success ? "Fives" : "untouched");
    }
}

TEST_F(RegistryGatewayTest, EnumValueSizeRules) {
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "vname", regtype::sz, "data"), 0);

    struct Case {
        const char* what;
        std::uint32_t nameSize;
        bool withData;
        std::uint32_t dataSize;
        std::int32_t expected;
        std::uint32_t nameSizeAfter;
        std::uint32_t dataSizeAfter;
    };
    const Case cases[] = {
        {"both fit", 6, true, 5, winerr::success, 5, 5},
        {"name one short", 5, true, 5, winerr::moreData, 5, 5},
        {"data one short", 6, true, 4, winerr::moreData, 6, 5},
        {"size only", 6, false, 0, winerr::success, 5, 5},
    };
    for (const Case& c : cases) {
        std::string name = "old";
        std::string data = "old";
        std::uint32_t nameSize = c.nameSize;
        std::uint32_t dataSize = c.dataSize;
        std::uint32_t type = 99;
        EXPECT_EQ(reg().RegEnumValueA(scratch(), 0, name, nameSize, &type,
                                      c.withData ? &data : nullptr, &dataSize),
                  c.expected)
            << c.what;
        EXPECT_EQ(nameSize, c.nameSizeAfter) << c.what;
        EXPECT_EQ(dataSize, c.dataSizeAfter) << c.what;
        if (c.expected == winerr::success) {
            EXPECT_EQ(name, "vname") << c.what;
            EXPECT_EQ(type, regtype::sz) << c.what;
            if (c.withData) {
                EXPECT_EQ(data, std::string("data\0", 5)) << c.what;
            }
        } else {
            EXPECT_EQ(data, "old") << c.what;
        }
    }
    std::string name;
    std::uint32_t nameSize = maxPath;
    std::string data;
    EXPECT_EQ(reg().RegEnumValueA(scratch(), 0, name, nameSize, nullptr, &data, nullptr),
              winerr::invalidParameter);
    EXPECT_EQ(reg().RegEnumValueA(scratch(), 1, name, nameSize, nullptr, nullptr, nullptr),
              winerr::noMoreItems);

    ASSERT_EQ(reg().RegSetValueExA(scratch(), "", regtype::dword, dword(7)), 0);
    nameSize = maxPath;
    EXPECT_EQ(reg().RegEnumValueA(scratch(), 0, name, nameSize, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(name, "") << "the default value enumerates with an empty name";
    EXPECT_EQ(nameSize, 0u);
}

TEST_F(RegistryGatewayTest, QueryValueExSizesCountTheConvertedText) {
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "ascii", regtype::sz, "hello"), 0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "expand", regtype::expandSz, "%TEMP%"), 0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "multi", regtype::multiSz,
                                   std::string_view("a\0bc\0\0", 6)),
              0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "number", regtype::dword, dword(0xdeadbeef)), 0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "blob", regtype::binary, std::string("\0\1\2", 3)),
              0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "empty", regtype::sz, ""), 0);

    struct Case {
        const char* name;
        std::uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        {"ascii", regtype::sz, std::string("hello\0", 6)},
        {"expand", regtype::expandSz, std::string("%TEMP%\0", 7)},
        {"multi", regtype::multiSz, std::string("a\0bc\0\0", 6)},
        {"number", regtype::dword, dword(0xdeadbeef)},
        {"blob", regtype::binary, std::string("\0\1\2", 3)},
        {"empty", regtype::sz, ""},
    };
    for (const Case& c : cases) {
        const auto size = static_cast<std::uint32_t>(c.data.size());
        std::uint32_t type = 99;
        std::uint32_t reported = 1000;
        EXPECT_EQ(reg().RegQueryValueExA(scratch(), c.name, &type, nullptr, &reported), 0);
        EXPECT_EQ(reported, size) << c.name;
        EXPECT_EQ(type, c.type) << c.name;

        std::string data;
        std::uint32_t offered = size;
        EXPECT_EQ(reg().RegQueryValueExA(scratch(), c.name, nullptr, &data, &offered), 0);
        EXPECT_EQ(data, c.data) << c.name;
        if (size > 0) {
            std::string small = "untouched";
            offered = size - 1;
            EXPECT_EQ(reg().RegQueryValueExA(scratch(), c.name, nullptr, &small, &offered),
                      winerr::moreData)
                << c.name;
            EXPECT_EQ(offered, size) << c.name;
            EXPECT_EQ(small, "untouched") << c.name;
        }
    }
    EXPECT_EQ(reg().RegQueryValueExA(scratch(), "ascii", nullptr, nullptr, nullptr), 0)
        << "a plain existence test";
    std::string data;
    EXPECT_EQ(reg().RegQueryValueExA(scratch(), "ascii", nullptr, &data, nullptr),
              winerr::invalidParameter);
}

TEST_F(RegistryGatewayTest, QueryValueExOfAMissingValue) {
    std::uint32_t size = 77;
    EXPECT_EQ(reg().RegQueryValueExA(scratch(), "absent", nullptr, nullptr, &size),
              winerr::fileNotFound);
    EXPECT_EQ(size, 0u) << "size cleared when no buffer is given";
    std::string data = "untouched";
    size = 77;
    EXPECT_EQ(reg().RegQueryValueExA(scratch(), "absent", nullptr, &data, &size),
              winerr::fileNotFound);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(data, "untouched");
    EXPECT_EQ(reg().RegQueryValueExA(scratch(), "", nullptr, nullptr, nullptr),
              winerr::fileNotFound)
        << "no default value yet";
}

TEST_F(RegistryGatewayTest, QueryValueReadsTheDefaultValueOfASubKey) {
    HKey withText = create("WithText");
    ASSERT_EQ(reg().RegSetValueExA(withText, "", regtype::sz, "data"), 0);
    HKey withNumber = create("WithNumber");
    ASSERT_EQ(reg().RegSetValueExA(withNumber, "", regtype::dword, dword(0x00414243)), 0);
    makeKey("NoDefault");
    reg().RegCloseKey(withText);
    reg().RegCloseKey(withNumber);

    struct Case {
        const char* subKey;
        bool withData;
        std::int32_t offered;
        std::int32_t expected;
        std::int32_t size;
        std::string data;
    };
    const Case cases[] = {
        {"WithText", true, 260, winerr::success, 5, "data"},
        {"WithText", true, 5, winerr::success, 5, "data"},
        {"WithText", true, 4, winerr::moreData, 5, "untouched"},
        {"WithText", false, 0, winerr::success, 5, "untouched"},
        // Wine answers a key without a default value with an empty text of size 1.
        {"NoDefault", true, 260, winerr::success, 1, ""},
        {"NoDefault", false, 0, winerr::success, 1, "untouched"},
        {"WithNumber", true, 260, winerr::success, 4, "CBA"},
        {"Missing", true, 260, winerr::fileNotFound, 260, "untouched"},
    };
    for (const Case& c : cases) {
        std::string data = "untouched";
        std::int32_t size = c.offered;
        EXPECT_EQ(reg().RegQueryValueA(scratch(), c.subKey, c.withData ? &data : nullptr, size),
                  c.expected)
            << c.subKey << " " << c.offered;
        EXPECT_EQ(size, c.size) << c.subKey << " " << c.offered;
        EXPECT_EQ(data, c.data) << c.subKey << " " << c.offered;
    }
}

TEST_F(RegistryGatewayTest, SetValueWritesTheDefaultTextOfASubKey) {
    EXPECT_EQ(reg().RegSetValueA(scratch(), "New\\Deeper", regtype::dword, "x"),
              winerr::invalidParameter);
    HKey probe = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(scratch(), "New", probe), winerr::fileNotFound);

    EXPECT_EQ(reg().RegSetValueA(scratch(), "New\\Deeper", regtype::sz, "text"), 0);
    std::string data;
    std::int32_t size = maxPath;
    EXPECT_EQ(reg().RegQueryValueA(scratch(), "new\\deeper", &data, size), 0);
    EXPECT_EQ(data, "text");
    EXPECT_EQ(size, 5);

    EXPECT_EQ(reg().RegSetValueA(scratch(), "", regtype::sz, "own"), 0);
    size = maxPath;
    EXPECT_EQ(reg().RegQueryValueA(scratch(), "", &data, size), 0);
    EXPECT_EQ(data, "own");
}

TEST_F(RegistryGatewayTest, StringsAreStoredAsNulTerminatedUtf16) {
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string given;
        std::string stored;
    };
    const Case cases[] = {
        {"plain", regtype::sz, "abc", utf16(std::u16string(u"abc\0", 4))},
        {"with nul", regtype::sz, std::string("abc\0", 4), utf16(std::u16string(u"abc\0", 4))},
        {"empty", regtype::sz, "", ""},
        {"multi", regtype::multiSz, std::string("x\0y\0\0", 5),
         utf16(std::u16string(u"x\0y\0\0", 5))},
        {"binary", regtype::binary, "abc", "abc"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(reg().RegSetValueExA(scratch(), c.name, c.type, c.given), 0) << c.name;
    }
    for (std::uint32_t index = 0;; ++index) {
        std::u16string name;
        std::uint32_t type = 0;
        std::string data;
        if (reg().RegEnumValueW(scratch(), index, name, type, data) != winerr::success) {
            break;
        }
        for (const Case& c : cases) {
            if (name == std::u16string(c.name, c.name + std::char_traits<char>::length(c.name))) {
                EXPECT_EQ(data, c.stored) << c.name;
                EXPECT_EQ(type, c.type) << c.name;
            }
        }
    }
}

TEST_F(RegistryGatewayTest, WideFunctionsKeepNamesAndDataExactly) {
    const std::u16string name = u"\u65e5\u672c-\u00e9";
    const std::string oddString("a\0b", 3);
    HKey key = HKey::null;
    ASSERT_EQ(reg().RegCreateKeyExW(scratch(), name, key), 0);
    ASSERT_EQ(reg().RegSetValueExW(key, name, regtype::sz, oddString), 0);
    ASSERT_EQ(reg().RegSetValueExW(key, u"custom", 0x12345, "raw"), 0);

    std::u16string keyName;
    EXPECT_EQ(reg().RegEnumKeyExW(scratch(), 0, keyName), 0);
    EXPECT_EQ(keyName, name);
    EXPECT_EQ(reg().RegEnumKeyExW(scratch(), 1, keyName), winerr::noMoreItems);

    std::u16string valueName;
    std::uint32_t type = 0;
    std::string data;
    ASSERT_EQ(reg().RegEnumValueW(key, 1, valueName, type, data), 0);
    EXPECT_EQ(valueName, name);
    EXPECT_EQ(type, regtype::sz);
    EXPECT_EQ(data, oddString) << "data stays exactly as stored";
    ASSERT_EQ(reg().RegEnumValueW(key, 0, valueName, type, data), 0);
    EXPECT_EQ(type, 0x12345u);
    EXPECT_EQ(data, "raw");

    EXPECT_EQ(reg().RegDeleteValueW(key, u"CUSTOM"), 0);
    EXPECT_EQ(reg().RegCloseKey(key), 0);
    EXPECT_EQ(reg().RegDeleteKeyW(scratch(), name), 0);
    EXPECT_EQ(reg().RegEnumKeyExW(scratch(), 0, keyName), winerr::noMoreItems);
}

TEST_F(RegistryGatewayTest, DeleteKeyRules) {
    makeKey("Parent\\Child");
    makeKey("Leaf");
    struct Case {
        const char* path;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"Parent", winerr::accessDenied},   {"Missing", winerr::fileNotFound},
        {"PARENT\\child", winerr::success}, {"Parent", winerr::success},
        {"Leaf\\", winerr::success},        {"Leaf", winerr::fileNotFound},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reg().RegDeleteKeyA(scratch(), c.path), c.expected) << c.path;
    }
    HKey self = create("Self");
    EXPECT_EQ(reg().RegDeleteKeyA(self, ""), 0) << "an empty path deletes the key itself";
    EXPECT_EQ(reg().RegCloseKey(self), 0);
    EXPECT_TRUE(subKeyNames(scratch()).empty());
}

TEST_F(RegistryGatewayTest, HandlesToDeletedKeysReportKeyDeleted) {
    HKey doomed = create("Doomed");
    ASSERT_EQ(reg().RegSetValueExA(doomed, "v", regtype::sz, "x"), 0);
    ASSERT_EQ(reg().RegDeleteKeyA(scratch(), "Doomed"), 0);

    std::string text;
    std::uint32_t size = maxPath;
    std::uint32_t nameSize = maxPath;
    std::int32_t querySize = maxPath;
    RegKeyInfo info;
    HKey child = HKey::null;
    const std::int32_t results[] = {
        reg().RegQueryValueExA(doomed, "v", nullptr, &text, &size),
        reg().RegEnumValueA(doomed, 0, text, nameSize, nullptr, nullptr, nullptr),
        reg().RegEnumKeyA(doomed, 0, text, maxPath),
        reg().RegQueryInfoKeyA(doomed, info, KeyInfoParts::counts),
        reg().RegQueryValueA(doomed, "", &text, querySize),
        reg().RegSetValueExA(doomed, "v", regtype::sz, "y"),
        reg().RegDeleteValueA(doomed, "v"),
        reg().RegCreateKeyA(doomed, "Child", child),
        reg().RegOpenKeyA(doomed, "Child", child),
    };
    for (const std::int32_t rc : results) {
        EXPECT_EQ(rc, winerr::keyDeleted);
    }
    EXPECT_EQ(reg().RegCloseKey(doomed), 0);
    HKey again = HKey::null;
    EXPECT_EQ(reg().RegOpenKeyA(scratch(), "Doomed", again), winerr::fileNotFound);
}

TEST_F(RegistryGatewayTest, DeleteValueRules) {
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "Named", regtype::sz, "x"), 0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "", regtype::sz, "default"), 0);
    EXPECT_EQ(reg().RegDeleteValueA(scratch(), "Missing"), winerr::fileNotFound);
    EXPECT_EQ(reg().RegDeleteValueA(scratch(), "NAMED"), 0);
    EXPECT_EQ(reg().RegDeleteValueA(scratch(), ""), 0);
    EXPECT_EQ(reg().RegDeleteValueA(scratch(), ""), winerr::fileNotFound);
    EXPECT_TRUE(valueNames(scratch()).empty());
}

TEST_F(RegistryGatewayTest, QueryInfoKeyReportsCountsAndLongestItems) {
    makeKey("Short");
    makeKey("MuchLonger!");
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "a", regtype::sz, "hello"), 0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "longest name", regtype::dword, dword(1)), 0);
    RegKeyInfo info;
    ASSERT_EQ(reg().RegQueryInfoKeyA(scratch(), info, KeyInfoParts::everything), 0);
    EXPECT_EQ(info.subKeys, 2u);
    EXPECT_EQ(info.values, 2u);
    EXPECT_EQ(info.maxSubKeyLen, 11u);
    EXPECT_EQ(info.maxValueNameLen, 12u);
    EXPECT_EQ(info.maxValueLen, 12u) << "\"hello\" takes 12 bytes as stored";

    RegKeyInfo counts;
    ASSERT_EQ(reg().RegQueryInfoKeyA(scratch(), counts, KeyInfoParts::counts), 0);
    EXPECT_EQ(counts.subKeys, 2u);
    EXPECT_EQ(counts.values, 2u);
    EXPECT_EQ(counts.maxSubKeyLen + counts.maxValueNameLen + counts.maxValueLen, 0u);
}

TEST_F(RegistryGatewayTest, SettingIdenticalDataKeepsEverything) {
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "same", regtype::sz, "v"), 0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "same", regtype::sz, "v"), 0);
    ASSERT_EQ(reg().RegSetValueExA(scratch(), "same", regtype::expandSz, "v"), 0);
    std::uint32_t type = 0;
    EXPECT_EQ(reg().RegQueryValueExA(scratch(), "same", &type, nullptr, nullptr), 0);
    EXPECT_EQ(type, regtype::expandSz) << "a new type replaces the value";
}

TEST_F(RegistryGatewayTest, AWorkerMayWriteWhileAnotherThreadReads) {
    std::atomic<bool> done{false};
    std::thread writer([&] {
        HKey key = HKey::null;
        for (int k = 0; k < 300; ++k) {
            const std::string name = "Key" + std::to_string(k);
            if (reg().RegCreateKeyA(scratch(), name, key) == 0) {
                reg().RegSetValueExA(key, "v", regtype::sz, name);
                reg().RegCloseKey(key);
            }
            if (k % 3 == 0) {
                reg().RegDeleteKeyA(scratch(), name);
            }
        }
        done = true;
    });
    std::size_t reads = 0;
    while (!done) {
        std::string name;
        for (std::uint32_t index = 0;
             reg().RegEnumKeyA(scratch(), index, name, maxPath) == winerr::success; ++index) {
            std::int32_t size = maxPath;
            std::string data;
            reg().RegQueryValueA(scratch(), name, &data, size);
            ++reads;
        }
    }
    writer.join();
    EXPECT_EQ(subKeyNames(scratch()).size(), 200u);
}

} // namespace
} // namespace tolvane
