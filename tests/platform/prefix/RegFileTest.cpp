// Wine's registry file format: byte-exact round trips, every value form and escape, and the
// refusal of malformed files.
#include "platform/prefix/UnitText.h"
#include "platform/prefix/WineRegFileWriter.h"
#include "platform/prefix/WineRegistry.h"
#include "tests/support/TempDir.h"
#include "tests/support/ValueBytes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane::prefix {
namespace {

using test::TempDir;

constexpr std::string_view userHeader =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n#arch=win64\n";

using test::utf16;

class RegFileTest : public ::testing::Test {
protected:
    // Loads `content` as a user file; fails the test when it is refused.
    std::unique_ptr<WineRegistry> load(std::string_view content) {
        auto registry = WineRegistry::openUserFile(dir.write("user.reg", content));
        EXPECT_TRUE(registry.ok()) << (registry.ok() ? "" : registry.message());
        return registry.ok() ? std::move(registry.value()) : nullptr;
    }
    // Saves the registry as if it had changed and returns the file's new text.
    std::string resave(WineRegistry& registry, bool reencode) {
        registry.withTree(
            [](RegistryTree& tree) { tree.setDirty(RegistryTree::currentUserBranch, true); });
        const auto saved = registry.save(reencode);
        EXPECT_TRUE(saved.ok()) << (saved.ok() ? "" : saved.message());
        return dir.read("user.reg");
    }
    std::string valueData(WineRegistry& registry, std::string_view keyPath,
                          std::u16string_view name, std::uint32_t* type = nullptr) {
        HKey key = HKey::null;
        EXPECT_EQ(registry.RegOpenKeyA(hkeyCurrentUser, keyPath, key), 0) << keyPath;
        std::string data;
        for (std::uint32_t index = 0;; ++index) {
            std::u16string valueName;
            std::uint32_t valueType = 0;
            if (registry.RegEnumValueW(key, index, valueName, valueType, data) != 0) {
                ADD_FAILURE() << "no value in " << keyPath;
                data.clear();
                break;
            }
            if (valueName == name) {
                if (type != nullptr) {
                    *type = valueType;
                }
                break;
            }
        }
        registry.RegCloseKey(key);
        return data;
    }

    TempDir dir;
};

TEST_F(RegFileTest, HandWrittenFileWithEveryFormRoundTripsByteForByte) {
    const std::string original = test::readFile(TOLVANE_TEST_DATA_DIR "/registry/handwritten.reg");
    ASSERT_FALSE(original.empty());
    auto registry = load(original);
    ASSERT_TRUE(registry);
    EXPECT_EQ(resave(*registry, false), original) << "unchanged values are copied";
    EXPECT_EQ(resave(*registry, true), original) << "every value written from its bytes";
}

TEST_F(RegFileTest, ValuesDecodeToTheStoredBytes) {
    auto registry = load(test::readFile(TOLVANE_TEST_DATA_DIR "/registry/handwritten.reg"));
    ASSERT_TRUE(registry);
    struct Case {
        const char* key;
        std::u16string name;
        std::uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        {"Escapes", u"ctl", regtype::sz,
         utf16(std::u16string(u"\a\b\t\n\v\f\r\x1b\x01"
                              u"1\0x\x1f"
                              u"7\0",
                              15))},
        {"Escapes", u"nonascii", regtype::sz,
         utf16(std::u16string(u"caf\u00e9a caf\u00e9! \U0001F600 \u65e5\u672c \u00e9F \u00e9g") +
               std::u16string(1, u'\0'))},
        {"Escapes", u"raw", regtype::sz, utf16(std::u16string(u"/;=[]~\x7f @\0", 10))},
        {"Br[ack]et\\Quo\"te", u"na\"me\\", regtype::sz,
         utf16(std::u16string(u"back\\slash\0", 11))},
        {"caf\xC3\xA9", u"n\u00e4me", regtype::sz, utf16(std::u16string(u"\u00e9t\u00e9\0", 4))},
        {"Types", u"", regtype::dword, std::string("\1\0\0\0", 4)},
        {"Types", u"dword", regtype::dword, "\xef\xbe\xad\xde"},
        {"Types", u"multi", regtype::multiSz, utf16(std::u16string(u"one\0two\0\0", 9))},
        {"Types", u"expand", regtype::expandSz,
         utf16(std::u16string(u"%SystemRoot%\\system32\0", 22))},
        {"Types", u"oddsz", regtype::sz, std::string("a\0b", 3)},
        {"Types", u"emptysz", regtype::sz, ""},
        {"Types", u"custom", 0x12345, "\xff"},
        {"Types", u"qword", regtype::qword, std::string("\1\0\0\0\0\0\0\0", 8)},
        {"Types", u"shortdword", regtype::dword, "\1\2\3"},
    };
    for (const Case& c : cases) {
        std::uint32_t type = 0;
        EXPECT_EQ(valueData(*registry, c.key, c.name, &type), c.data) << c.key;
        EXPECT_EQ(type, c.type) << c.key;
    }
    std::string longBinary;
    for (int k = 0; k < 100; ++k) {
        longBinary.push_back(static_cast<char>(k));
    }
    EXPECT_EQ(valueData(*registry, "Types", u"longbinary"), longBinary);

    std::string className;
    registry->withTree([&](RegistryTree& tree) {
        const RegNode* key = tree.findChild(
            tree.findChild(tree.branchRoot(RegistryTree::currentUserBranch), "Br[ack]et"),
            "Quo\"te");
        className = std::string(tree.className(key));
    });
    EXPECT_EQ(className, "My \"Class\"");
}

// The A functions read string values straight from their file text; every key and value of
// the hand-written file must come out as the UTF-8 of the bytes the W functions return.
TEST_F(RegFileTest, AnsiReadsOfFileValuesMatchTheirDecodedBytes) {
    auto registry = load(test::readFile(TOLVANE_TEST_DATA_DIR "/registry/handwritten.reg"));
    ASSERT_TRUE(registry);
    std::size_t checked = 0;
    std::vector<std::u16string> pending{u""};
    while (!pending.empty()) {
        const std::u16string path = pending.back();
        pending.pop_back();
        HKey key = HKey::null;
        ASSERT_EQ(registry->RegOpenKeyExW(hkeyCurrentUser, path, key), 0);
        std::u16string child;
        for (std::uint32_t index = 0; registry->RegEnumKeyExW(key, index, child) == 0; ++index) {
            pending.push_back(path.empty() ? child : path + u"\\" + child);
        }
        std::uint32_t largest = 0;
        std::u16string name;
        std::uint32_t type = 0;
        std::string bytes;
        for (std::uint32_t index = 0; registry->RegEnumValueW(key, index, name, type, bytes) == 0;
             ++index) {
            const std::string expected =
                regtype::isString(type) ? unittext::utf16BytesToUtf8(bytes) : bytes;
            const std::string where = unittext::toUtf8(unittext::fromUtf16(path + u"|" + name));
            largest = std::max(largest, static_cast<std::uint32_t>(bytes.size()));

            std::string ansiName;
            std::uint32_t nameSize = maxPath;
            std::uint32_t ansiType = 0;
            std::string enumerated;
            std::uint32_t enumeratedSize = 1 << 16;
            ASSERT_EQ(registry->RegEnumValueA(key, index, ansiName, nameSize, &ansiType,
                                              &enumerated, &enumeratedSize),
                      0)
                << where;
            EXPECT_EQ(enumerated, expected) << where;
            EXPECT_EQ(enumeratedSize, expected.size()) << where;
            EXPECT_EQ(ansiType, type) << where;

            std::string queried;
            std::uint32_t queriedSize = 1 << 16;
            ASSERT_EQ(registry->RegQueryValueExA(key, ansiName, &ansiType, &queried, &queriedSize),
                      0)
                << where;
            EXPECT_EQ(queried, expected) << where;
            std::uint32_t sizeOnly = 0;
            EXPECT_EQ(registry->RegQueryValueExA(key, ansiName, nullptr, nullptr, &sizeOnly), 0);
            EXPECT_EQ(sizeOnly, expected.size()) << where;
            ++checked;
        }
        RegKeyInfo info;
        ASSERT_EQ(registry->RegQueryInfoKeyA(key, info, KeyInfoParts::everything), 0);
        EXPECT_EQ(info.maxValueLen, largest) << "stored bytes counted from the file text";
        registry->RegCloseKey(key);
    }
    EXPECT_GT(checked, 20U);
}

TEST_F(RegFileTest, OtherSpellingsAreReadAndKeptUntilChanged) {
    const std::string body = "\n[Forms] 1796672712\n#time=1dd8683793eb752\n"
                             "\"a\"=str:\"text\"\n"
                             "\"b\"=dword:1\n"
                             "\"c\"=hex:1,02,\\\n   3\n"
                             "\"d\"=\"caf\xC3\xA9 \\q \\x00e9\"\n"
                             "\"e\"=\"\\1234\"\n";
    auto registry = load(std::string(userHeader) + body);
    ASSERT_TRUE(registry);
    EXPECT_EQ(valueData(*registry, "Forms", u"a"), utf16(std::u16string(u"text\0", 5)));
    EXPECT_EQ(valueData(*registry, "Forms", u"b"), std::string("\1\0\0\0", 4));
    EXPECT_EQ(valueData(*registry, "Forms", u"c"), "\1\2\3");
    EXPECT_EQ(valueData(*registry, "Forms", u"d"),
              utf16(std::u16string(u"caf\u00e9 q \u00e9\0", 9)));
    EXPECT_EQ(valueData(*registry, "Forms", u"e"), utf16(std::u16string(u"\x53"
                                                                        u"4\0",
                                                                        3)))
        << "at most three octal digits";

    EXPECT_EQ(resave(*registry, false), std::string(userHeader) + body);
    EXPECT_EQ(resave(*registry, true), std::string(userHeader) +
                                           "\n[Forms] 1796672712\n#time=1dd8683793eb752\n"
                                           "\"a\"=\"text\"\n"
                                           "\"b\"=dword:00000001\n"
                                           "\"c\"=hex:01,02,03\n"
                                           "\"d\"=\"caf\\xe9 q \\xe9\"\n"
                                           "\"e\"=\"S4\"\n");
}

TEST_F(RegFileTest, ChangedValuesAreWrittenAsWineWritesThem) {
    auto registry = WineRegistry::openUserFile(dir / "new.reg");
    ASSERT_TRUE(registry.ok());
    WineRegistry& reg = **registry;
    HKey key = HKey::null;
    ASSERT_EQ(reg.RegCreateKeyExW(hkeyCurrentUser, u"K[1]\"\u00e9", key), 0);
    struct Case {
        std::u16string name;
        std::uint32_t type;
        std::string data;
        std::string line;
    };
    const Case cases[] = {
        {u"", regtype::sz, utf16(std::u16string(u"d\0", 2)), "@=\"d\""},
        {u"hexdigit", regtype::sz, utf16(std::u16string(u"\u00e9a\u00e9z\u00e9\0", 6)),
         "\"hexdigit\"=\"\\x00e9a\\xe9z\\xe9\""},
        {u"octal", regtype::sz,
         utf16(std::u16string(u"\x01"
                              u"7\x01"
                              u"8\x01\0",
                              6)),
         "\"octal\"=\"\\0017\\18\\1\""},
        {u"pair", regtype::expandSz, utf16(std::u16string(u"\U0001F600\0", 3)),
         "\"pair\"=str(2):\"\\xd83d\\xde00\""},
        {u"q\"\\", regtype::multiSz, utf16(std::u16string(u"a\0\0", 3)),
         "\"q\\\"\\\\\"=str(7):\"a\\0\""},
        {u"z-dword", regtype::dword, std::string("\x78\x56\x34\x12", 4),
         "\"z-dword\"=dword:12345678"},
        {u"z-wrap", regtype::binary, std::string(26, '\x11'),
         // 13 characters before the data: the 22nd byte's comma passes column 76.
         "\"z-wrap\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\n"
         "  11,11,11,11"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(reg.RegSetValueExW(key, c.name, c.type, c.data), 0);
    }
    reg.RegCloseKey(key);
    ASSERT_TRUE(reg.save().ok());
    const std::string text = dir.read("new.reg");
    EXPECT_TRUE(text.starts_with(std::string(userHeader) + "\n[K\\[1\\]\"\\xe9] ")) << text;
    std::string expectedValues;
    for (const Case& c : cases) {
        expectedValues += c.line + "\n";
    }
    EXPECT_TRUE(text.ends_with(expectedValues)) << text;

    auto reread = WineRegistry::openUserFile(dir / "new.reg");
    ASSERT_TRUE(reread.ok()) << reread.message();
    for (const Case& c : cases) {
        EXPECT_EQ(valueData(**reread, "K[1]\"\xC3\xA9", c.name), c.data);
    }
}

TEST_F(RegFileTest, EveryCodeUnitSurvivesEscaping) {
    std::u16string all;
    for (char32_t unit = 1; unit <= 0xFFFF; ++unit) {
        all.push_back(static_cast<char16_t>(unit));
        // Followed by hex and octal digits, the cases with a special rule.
        if (unit % 7 == 0) {
            all += u"7a";
        }
    }
    const std::string stored = utf16(all + std::u16string(1, u'\0'));
    {
        auto registry = WineRegistry::openUserFile(dir / "units.reg");
        ASSERT_TRUE(registry.ok());
        HKey key = HKey::null;
        ASSERT_EQ((*registry)->RegCreateKeyExW(hkeyCurrentUser, u"K", key), 0);
        ASSERT_EQ((*registry)->RegSetValueExW(key, all.substr(0, 16000), regtype::sz, stored), 0);
        (*registry)->RegCloseKey(key);
        ASSERT_TRUE((*registry)->save().ok());
    }
    const std::string text = dir.read("units.reg");
    for (const char c : text) {
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "the files are pure ASCII";
    }
    auto reread = WineRegistry::openUserFile(dir / "units.reg");
    ASSERT_TRUE(reread.ok()) << reread.message();
    EXPECT_TRUE(valueData(**reread, "K", all.substr(0, 16000)) == stored);
}

TEST_F(RegFileTest, MalformedFilesAreRefusedWithFileLineAndReason) {
    const std::string key = "\n[Key] 1796672712\n";
    struct Case {
        const char* what;
        std::string content;
        int line;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", 1, "empty file"},
        {"binary",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         1, "not a Wine registry file"},
        {"other text", "REGEDIT4\n[HKEY_CURRENT_USER\\x]\n", 1, "not a Wine registry file"},
        {"truncated", std::string(userHeader) + key + "\"a\"=\"abc", 7, "truncated"},
        {"unterminated", std::string(userHeader) + key + "\"a\"=\"abc\n", 7,
         "missing closing quote"},
        {"bad escape", std::string(userHeader) + key + "\"a\"=\"\\xg\"\n", 7, "\\x escape"},
        {"bad hex", std::string(userHeader) + key + "\"a\"=hex:0g,01\n", 7, "bad hex"},
        {"bad hex type", std::string(userHeader) + key + "\"a\"=hex(z):00\n", 7, "bad value type"},
        {"unknown type", std::string(userHeader) + key + "\"a\"=qword:1\n", 7,
         "unknown value type"},
        {"bad dword", std::string(userHeader) + key + "\"a\"=dword:123456789\n", 7, "dword"},
        {"no =", std::string(userHeader) + key + "\"a\" \"b\"\n", 7, "without '='"},
        {"open key line", std::string(userHeader) + "\n[Key 1796672712\n", 6, "without closing ]"},
        {"continuation at the end", std::string(userHeader) + key + "\"a\"=hex:01,\\\n", 7,
         "continuation"},
        {"bad time", std::string(userHeader) + key + "#time=xyz\n", 7, "#time"},
        {"unknown arch", "WINE REGISTRY Version 2\n#arch=arm\n", 2, "unknown architecture"},
        {"invalid UTF-8", std::string(userHeader) + key + "\"a\"=\"caf\xE9!\"\n", 7, "UTF-8"},
    };
    for (const Case& c : cases) {
        const auto file = dir.write("bad.reg", c.content);
        auto registry = WineRegistry::openUserFile(file);
        ASSERT_FALSE(registry.ok()) << c.what;
        const std::string expectedStart = file.string() + ":" + std::to_string(c.line) + ": ";
        EXPECT_TRUE(registry.message().starts_with(expectedStart))
            << c.what << ": " << registry.message();
        EXPECT_NE(registry.message().find(c.reason), std::string::npos)
            << c.what << ": " << registry.message();
        EXPECT_EQ(registry.message().find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(dir.read("bad.reg"), c.content) << "nothing is changed";
    }
}

TEST_F(RegFileTest, KeysAreWrittenSortedAndImplicitKeysGetNoBlock) {
    const std::string body =
        "\n[b\\\\Child] 1796672712\n#time=1dd8683793eb752\n\"v\"=dword:00000001\n"
        "\n[A] 1796672712\n#time=1dd8683793eb752\n\"z\"=\"1\"\n\"Y\"=\"2\"\n"
        "\n[a\\\\x] 1796672712\n#time=1dd8683793eb752\n"
        "\n[_] 1796672712\n#time=1dd8683793eb752\n#option=kept\n;note\n"
        "\n[Parent] 1796672712\n#time=1dd8683793eb752\n#class=\"c\"\n"
        "\n[Parent\\\\Kid] 1796672712\n#time=1dd8683793eb752\n";
    auto registry = load(std::string(userHeader) + body);
    ASSERT_TRUE(registry);
    EXPECT_EQ(resave(*registry, false),
              std::string(userHeader) +
                  "\n[_] 1796672712\n#time=1dd8683793eb752\n#option=kept\n;note\n"
                  "\n[A] 1796672712\n#time=1dd8683793eb752\n\"Y\"=\"2\"\n\"z\"=\"1\"\n"
                  "\n[A\\\\x] 1796672712\n#time=1dd8683793eb752\n"
                  "\n[b\\\\Child] 1796672712\n#time=1dd8683793eb752\n\"v\"=dword:00000001\n"
                  "\n[Parent] 1796672712\n#time=1dd8683793eb752\n#class=\"c\"\n"
                  "\n[Parent\\\\Kid] 1796672712\n#time=1dd8683793eb752\n");
}

TEST_F(RegFileTest, DeepTreesLongNamesAndLargeDataLoadAndSave) {
    std::string path;
    for (int level = 0; level < 20000; ++level) {
        path += level == 0 ? "L" : "\\\\L";
    }
    const std::string longName(100000, 'n');
    std::string bigHex = "hex:";
    for (int k = 0; k < 300000; ++k) {
        bigHex += k == 0 ? "00" : ",00";
        if (k % 25 == 24) {
            bigHex += ",\\\n  00";
            ++k;
        }
    }
    const std::string content = std::string(userHeader) + "\n[" + path +
                                "] 1796672712\n#time=1dd8683793eb752\n\"big\"=" + bigHex + "\n\"" +
                                longName + "\"=\"a\\0b\"\n";
    auto registry = load(content);
    ASSERT_TRUE(registry);
    EXPECT_TRUE(resave(*registry, false) == content);
    HKey key = HKey::null;
    std::string apiPath;
    for (int level = 0; level < 20000; ++level) {
        apiPath += level == 0 ? "L" : "\\L";
    }
    ASSERT_EQ(registry->RegOpenKeyA(hkeyCurrentUser, apiPath, key), 0);
    std::uint32_t size = 0;
    EXPECT_EQ(registry->RegQueryValueExA(key, longName, nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 4u) << "\"a\\0b\" and its NUL";
    EXPECT_EQ(registry->RegQueryValueExA(key, "big", nullptr, nullptr, &size), 0);
    EXPECT_GT(size, 300000u);
    registry->RegCloseKey(key);
}

TEST_F(RegFileTest, LinkKeysFromAFileAreFollowed) {
    auto registry = load(test::readFile(TOLVANE_TEST_DATA_DIR "/registry/handwritten.reg"));
    ASSERT_TRUE(registry);
    std::string data;
    std::int32_t size = maxPath;
    EXPECT_EQ(registry->RegQueryValueA(hkeyCurrentUser, "Link", &data, size), 0);
    EXPECT_EQ(data, std::string("\1", 1)) << "the default value of Types, through the link";
}

TEST_F(RegFileTest, APrefixNeedsAllThreeFiles) {
    auto missingFolder = WineRegistry::openPrefix(dir / "nowhere");
    ASSERT_FALSE(missingFolder.ok());
    EXPECT_NE(missingFolder.message().find("nowhere"), std::string::npos);

    const std::string header =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n"
        "\n#arch=win64\n";
    dir.write("p/system.reg", header);
    dir.write("p/user.reg", header);
    auto missingFile = WineRegistry::openPrefix(dir / "p");
    ASSERT_FALSE(missingFile.ok());
    EXPECT_NE(missingFile.message().find("userdef.reg"), std::string::npos)
        << missingFile.message();

    dir.write("p/userdef.reg", "WINE REGISTRY Version 2\n\n#arch=win32\n");
    auto mixed = WineRegistry::openPrefix(dir / "p");
    ASSERT_FALSE(mixed.ok());
    EXPECT_NE(mixed.message().find("architecture"), std::string::npos) << mixed.message();

    dir.write("p/userdef.reg", header);
    auto good = WineRegistry::openPrefix(dir / "p");
    ASSERT_TRUE(good.ok()) << good.message();
    EXPECT_FALSE((*good)->hasUnsavedChanges());
}

} // namespace
} // namespace tolvane::prefix
