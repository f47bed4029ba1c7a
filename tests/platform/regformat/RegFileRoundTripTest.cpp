// Export then import through the built-in registry editor gives back every key and value byte
// for byte. Written against RegistryGateway below a scratch key, so it also runs against the
// real registry in the Windows build.
#include "platform/regformat/RegFileRoots.h"
#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/RegistryRoutines.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestRegistry.h"
#include "tests/support/ValueBytes.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tolvane {
namespace {

using test::sz;
using test::utf16;

using test::RegistrySnapshot;
using test::TestRegistry;

struct Value {
    std::u16string name;
    std::uint32_t type;
    std::string data;
};

// Values every format carries. Non-ASCII texts stay within Latin-1, which the 8-bit code page
// holds on every platform the tests run on.
std::vector<Value> portableValues() {
    std::string huge(100000, '\0');
    for (std::size_t i = 0; i < huge.size(); ++i) {
        huge[i] = static_cast<char>(i * 7);
    }
    return {
        {u"", regtype::sz, sz(u"default")},
        {u"plain", regtype::sz, sz(u"C:\\Program Files\\x.exe \"%1\"")},
        {u"empty", regtype::sz, sz(u"")},
        {u"zero length", regtype::sz, ""},
        {u"embedded NUL", regtype::sz, sz(std::u16string(u"a\0b", 3))},
        {u"unterminated", regtype::sz, utf16(u"ab")},
        {u"line\r\nbreaks", regtype::sz, sz(u"one\r\ntwo")},
        {u"quote \" and \\ backslash", regtype::sz, sz(u"\"\\\\\"")},
        {u"caf\u00e9", regtype::sz, sz(u"\u00e0 bient\u00f4t")},
        {u"expand", regtype::expandSz, sz(u"%SystemRoot%\\\u00e9")},
        {u"multi", regtype::multiSz, sz(std::u16string(u"one\0two\0", 8))},
        {u"binary", regtype::binary, std::string("\x00\x01\xFF", 3)},
        {u"empty binary", regtype::binary, ""},
        {u"huge binary", regtype::binary, huge},
        {u"dword", regtype::dword, std::string("\x78\x56\x34\x12", 4)},
        {u"short dword", regtype::dword, std::string("\x01\x02\x03", 3)},
        {u"big endian", regtype::dwordBigEndian, std::string("\x12\x34\x56\x78", 4)},
        {u"none", regtype::none, std::string("\x00\x01", 2)},
        {u"empty none", regtype::none, ""},
        {u"qword", regtype::qword, std::string("\x01\x00\x00\x00\x00\x00\x00\x80", 8)},
        {u"odd type", 0x12345, "odd"},
        {u"top type", 0xFFFFFFFFu, std::string(1, '\0')},
    };
}

// What only UTF-16 carries: characters outside Latin-1, unpaired surrogates, odd byte counts.
std::vector<Value> wideOnlyValues() {
    const std::u16string lone(1, static_cast<char16_t>(0xDC00));
    return {
        {u"snow \u2603 clef \U0001D11E", regtype::sz, sz(u"\u2603\U0001D11E")},
        {u"lone " + lone, regtype::sz, sz(lone)},
        {u"odd sz", regtype::sz, std::string("a\0b", 3)},
        {u"odd expand", regtype::expandSz, std::string("a\0b", 3)},
    };
}

class RegFileRoundTripTest : public ::testing::Test {
protected:
    HKey create(HKey parent, std::u16string_view path) {
        HKey key = HKey::null;
        EXPECT_EQ(reg().RegCreateKeyExW(parent, path, key), winerr::success);
        return key;
    }

    void fill(std::u16string_view path, const std::vector<Value>& values) {
        const HKey key = create(data(), path);
        for (const auto& value : values) {
            EXPECT_EQ(reg().RegSetValueExW(key, value.name, value.type, value.data),
                      winerr::success);
        }
        reg().RegCloseKey(key);
    }

    // A tree with sub-keys whose names need care in a file.
    void fillTree(const std::vector<Value>& values) {
        fill(u"", values);
        fill(u"Sub [1]", values);
        fill(u"Sub [1]\\Deeper\\caf\u00e9", {{u"x", regtype::sz, sz(u"y")}});
        fill(u"quote\"d ]name", {});
        fill(u"empty", {});
    }

    std::string dataKeyText() const {
        return "HKEY_CURRENT_USER\\" + registry.scratchPath() + "\\Data";
    }

    std::string exported(RegFileFormat format) {
        std::ostringstream out;
        auto written = editor.writeKey(out, dataKeyText(), format);
        EXPECT_TRUE(written) << written.message();
        return out.str();
    }

    HKey data() {
        if (dataKey_ == HKey::null) {
            dataKey_ = create(registry.scratch(), u"Data");
        }
        return dataKey_;
    }

    void dropData() {
        reg().RegCloseKey(dataKey_);
        dataKey_ = HKey::null;
        DeleteKeyTree(reg(), registry.scratch(), "Data");
    }

    RegistrySnapshot snapshot() { return RegistrySnapshot::of(reg(), data()); }

    void expectRoundTrip(RegFileFormat format) {
        const auto before = snapshot();
        const auto file = exported(format);
        dropData();
        auto imported = editor.importBytes(file);
        ASSERT_TRUE(imported) << imported.message();
        const auto after = snapshot();
        EXPECT_EQ(before, after) << before.firstDifference(after);
        EXPECT_EQ(exported(format), file);
    }

    RegistryGateway& reg() { return registry.gateway(); }

    TestRegistry registry;
    BuiltinRegistryEditor editor{registry.gateway()};
    HKey dataKey_ = HKey::null;
};

TEST_F(RegFileRoundTripTest, Version5CarriesEveryValueByteForByte) {
    auto values = portableValues();
    const auto wide = wideOnlyValues();
    values.insert(values.end(), wide.begin(), wide.end());
    fillTree(values);
    expectRoundTrip(RegFileFormat::version5);
}

TEST_F(RegFileRoundTripTest, Regedit4CarriesEveryValueThat8BitTextCanHold) {
    fillTree(portableValues());
    expectRoundTrip(RegFileFormat::regedit4);
}

TEST_F(RegFileRoundTripTest, Regedit4ExportOfWhatItCannotHoldFailsAndWritesNoFile) {
    fill(u"", {{u"ok", regtype::sz, sz(u"fine")}});
    fill(u"child", {{u"odd expand", regtype::expandSz, std::string("a\0b", 3)}});
    test::TempDir dir;
    const auto file = dir / "out.reg";
    auto result = editor.exportKey(file, dataKeyText());
    ASSERT_FALSE(result);
    EXPECT_NE(result.message().find("odd expand"), std::string::npos) << result.message();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(RegFileRoundTripTest, ExportOfAMissingKeyOrUnknownRootFailsAndLeavesTheTargetAlone) {
    test::TempDir dir;
    const auto file = dir.write("old.reg", "old contents");
    for (const std::string& key : {dataKeyText() + "\\Missing", std::string("HKEY_NOWHERE\\x"),
                                   std::string(""), "\\" + registry.scratchPath()}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(editor.exportKey(file, key));
        EXPECT_EQ(dir.read("old.reg"), "old contents");
    }
    EXPECT_FALSE(editor.exportKey(dir / "no such folder" / "x.reg", dataKeyText()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(RegFileRoundTripTest, ExportedFileReplacesAnOlderOneAndNamesTheKeyAsGiven) {
    fill(u"", {{u"v", regtype::dword, std::string("\x01\0\0\0", 4)}});
    test::TempDir dir;
    const auto file = dir.write("out.reg", "old contents");
    const std::string keyText = "hkey_current_user\\\\" + registry.scratchPath() + "\\Data\\";
    ASSERT_TRUE(editor.exportKey(file, keyText));
    EXPECT_EQ(dir.read("out.reg"), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + registry.scratchPath() +
                                       "\\Data]\r\n\"v\"=dword:00000001\r\n\r\n");
}

TEST_F(RegFileRoundTripTest, ImportDeletesKeysAndValuesAndCreatesMissingAncestors) {
    fill(u"", {{u"keep", regtype::sz, sz(u"k")}, {u"drop", regtype::sz, sz(u"d")}});
    fill(u"Old\\Deep\\Deeper", {{u"x", regtype::sz, sz(u"y")}});
    const std::string base = "[HKEY_CURRENT_USER\\" + registry.scratchPath() + "\\Data";
    const std::string file = "REGEDIT4\n" + base + "]\n\"drop\"=-\n\"never there\"=-\n@=-\n" +
                             "[-" + base.substr(1) + "\\Old]\n" + "[-" + base.substr(1) +
                             "\\Never There]\n" + base + "\\New\\A\\B]\n\"v\"=\"w\"\n";
    auto imported = editor.importBytes(file);
    ASSERT_TRUE(imported) << imported.message();
    const auto after = snapshot();
    EXPECT_EQ(after.keyPaths, (std::vector<std::u16string>{u"", u"New", u"New\\A", u"New\\A\\B"}));
    ASSERT_EQ(after.values.size(), 2u);
    EXPECT_EQ(after.values[0].name, u"keep");
    EXPECT_EQ(after.values[1].keyPath, u"New\\A\\B");
    EXPECT_EQ(after.values[1].data, sz(u"w"));
}

TEST_F(RegFileRoundTripTest, MalformedImportChangesNothing) {
    fill(u"", {{u"v", regtype::sz, sz(u"before")}});
    const auto before = snapshot();
    const std::string base = "[HKEY_CURRENT_USER\\" + registry.scratchPath() + "\\Data";
    const std::string file = "REGEDIT4\r\n" + base + "]\r\n\"v\"=\"after\"\r\n\"w\"=dword:1\r\n" +
                             base + "\\New]\r\n\"bad\"=hex:zz\r\n";
    auto imported = editor.importBytes(file);
    ASSERT_FALSE(imported);
    EXPECT_EQ(imported.message().rfind("line 6: ", 0), 0u) << imported.message();
    EXPECT_EQ(snapshot(), before);
    test::TempDir dir;
    auto fromFile = editor.importRegFile(dir.write("bad.reg", file));
    ASSERT_FALSE(fromFile);
    EXPECT_NE(fromFile.message().find("bad.reg: line 6: "), std::string::npos);
    EXPECT_FALSE(editor.importRegFile(dir / "missing.reg"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(RegFileRoundTripTest, ChangesThatFailAreCountedAndTheRestIsStillMade) {
    const std::string base = "[HKEY_CURRENT_USER\\" + registry.scratchPath() + "\\Data";
    const std::string tooLong(300, 'k');
    const std::string file =
        "REGEDIT4\n" + base + "\\" + tooLong + "]\n\"a\"=\"b\"\n" + base + "\\Fine]\n\"c\"=\"d\"\n";
    auto imported = editor.importBytes(file);
    ASSERT_FALSE(imported);
    EXPECT_NE(imported.message().find("2 of the file's changes"), std::string::npos)
        << imported.message();
    EXPECT_NE(imported.message().find("line 2: cannot create the key"), std::string::npos)
        << imported.message();
    const auto after = snapshot();
    ASSERT_EQ(after.values.size(), 1u);
    EXPECT_EQ(after.values[0].keyPath, u"Fine");
}

TEST_F(RegFileRoundTripTest, NoHandleIsLeftOpen) {
    fillTree(portableValues());
    const auto open = reg().openHandleCount();
    const auto file = exported(RegFileFormat::version5);
    ASSERT_TRUE(editor.importBytes(file));
    ASSERT_FALSE(editor.importBytes("REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=hex:zz\n"));
    EXPECT_EQ(reg().openHandleCount(), open);
}

} // namespace
} // namespace tolvane
