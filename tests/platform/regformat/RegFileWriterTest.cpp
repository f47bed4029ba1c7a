#include "platform/regformat/RegFileWriter.h"

#include "platform/RegistryTypes.h"
#include "platform/regformat/RegFileText.h"
#include "tests/support/ValueBytes.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tolvane {
namespace {

using test::dword;
using test::sz;
using test::utf16;

// A version 5 file as UTF-8 for comparing; checks the byte-order mark on the way.
std::string version5Text(const std::string& bytes) {
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.size() % 2, 0u);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return wideToNarrow(text).value_or("(not convertible)");
}

struct Writing {
    std::ostringstream out;
    RegFileWriter writer;
    explicit Writing(RegFileFormat format) : writer(out, format) {}

    void key(std::u16string_view path) { ASSERT_TRUE(writer.writeKey(path)); }
    void value(std::u16string_view name, std::uint32_t type, std::string_view data) {
        auto written = writer.writeValue(name, type, data);
        ASSERT_TRUE(written) << written.message();
    }
    std::string finish() {
        EXPECT_TRUE(writer.finish());
        return out.str();
    }
};

TEST(RegFileWriterTest, Version5FileMatchesTheSystemEditorsOutput) {
    Writing w(RegFileFormat::version5);
    w.key(u"HKEY_CURRENT_USER\\Software\\Wine\\reg_test");
    w.value(u"DWORD", regtype::dword, dword(0x100));
    w.value(u"String", regtype::sz, sz(u"Your text here..."));
    w.key(u"HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey1");
    w.value(u"Binary", regtype::binary, "\x11\x22\x33\x44");
    w.value(u"Undefined hex", 0x100, std::string("%PATH%\0", 7));
    w.key(u"HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey2a");
    w.value(u"double\"quote", regtype::sz, sz(u"\"Hello, World!\""));
    w.key(u"HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey2a\\Subkey2b");
    w.value(u"", regtype::sz, sz(u"Default value name"));
    w.value(u"Multiple strings", regtype::multiSz,
            sz(std::u16string(u"Line1\0Line2\0Line3\0", 18)));
    w.key(u"HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey3a");
    w.value(u"Backslash", regtype::sz, sz(u"Use \\\\ to escape a backslash"));
    w.value(u"String expansion", regtype::expandSz, sz(u"%HOME%\\%PATH%"));
    w.value(u"Zero data type", regtype::none, std::string("Value\0", 6));
    w.value(u"43981", 0xabcd, std::string("Value\0", 6));

    EXPECT_EQ(
        version5Text(w.finish()),
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Wine\\reg_test]\r\n"
        "\"DWORD\"=dword:00000100\r\n"
        "\"String\"=\"Your text here...\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey1]\r\n"
        "\"Binary\"=hex:11,22,33,44\r\n"
        "\"Undefined hex\"=hex(100):25,50,41,54,48,25,00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey2a]\r\n"
        "\"double\\\"quote\"=\"\\\"Hello, World!\\\"\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey2a\\Subkey2b]\r\n"
        "@=\"Default value name\"\r\n"
        "\"Multiple strings\"=hex(7):4c,00,69,00,6e,00,65,00,31,00,00,00,4c,00,69,00,6e,\\\r\n"
        "  00,65,00,32,00,00,00,4c,00,69,00,6e,00,65,00,33,00,00,00,00,00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Wine\\reg_test\\Subkey3a]\r\n"
        "\"Backslash\"=\"Use \\\\\\\\ to escape a backslash\"\r\n"
        "\"String expansion\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,25,00,50,\\\r\n"
        "  00,41,00,54,00,48,00,25,00,00,00\r\n"
        "\"Zero data type\"=hex(0):56,61,6c,75,65,00\r\n"
        "\"43981\"=hex(abcd):56,61,6c,75,65,00\r\n\r\n");
}

TEST(RegFileWriterTest, LongHexDataWrapsAfterColumn77WithTwentyFiveBytesALine) {
    std::string bytes;
    for (int i = 0; i < 60; ++i) {
        bytes += static_cast<char>(i);
    }
    Writing w(RegFileFormat::version5);
    w.key(u"HKEY_USERS\\x");
    w.value(u"Bin", regtype::binary, bytes);
    w.value(u"", 0x20000, std::string(26, '\xAB'));
    EXPECT_EQ(
        version5Text(w.finish()),
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_USERS\\x]\r\n"
        "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\r\n"
        "  30,31,32,33,34,35,36,37,38,39,3a,3b\r\n"
        "@=hex(20000):ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
        "  ab,ab,ab,ab\r\n\r\n");
}

TEST(RegFileWriterTest, ValuesTheQuotedFormCannotCarryGoOutAsHexSoNothingIsLost) {
    Writing w(RegFileFormat::version5);
    w.key(u"HKEY_USERS\\x");
    w.value(u"embedded", regtype::sz, sz(std::u16string(u"a\0b", 3)));
    w.value(u"unterminated", regtype::sz, utf16(u"ab"));
    w.value(u"odd", regtype::sz, std::string("a\0b", 3));
    w.value(u"zero length", regtype::sz, "");
    w.value(u"empty", regtype::sz, sz(u""));
    w.value(u"short dword", regtype::dword, "\x01\x02\x03");
    w.value(u"long dword", regtype::dword, std::string("\x01\x02\x03\x04\x05", 5));
    w.value(u"empty binary", regtype::binary, "");
    w.value(u"qword", regtype::qword, std::string("\x01\0\0\0\0\0\0\x80", 8));
    w.value(u"top type", 0xFFFFFFFFu, "\x7F");
    w.value(u"line\r\nbreaks", regtype::sz, sz(u"one\ntwo\rthree"));
    EXPECT_EQ(version5Text(w.finish()), "Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_USERS\\x]\r\n"
                                        "\"embedded\"=hex(1):61,00,00,00,62,00,00,00\r\n"
                                        "\"unterminated\"=hex(1):61,00,62,00\r\n"
                                        "\"odd\"=hex(1):61,00,62\r\n"
                                        "\"zero length\"=hex(1):\r\n"
                                        "\"empty\"=\"\"\r\n"
                                        "\"short dword\"=hex(4):01,02,03\r\n"
                                        "\"long dword\"=hex(4):01,02,03,04,05\r\n"
                                        "\"empty binary\"=hex:\r\n"
                                        "\"qword\"=hex(b):01,00,00,00,00,00,00,80\r\n"
                                        "\"top type\"=hex(ffffffff):7f\r\n"
                                        "\"line\\r\\nbreaks\"=\"one\\ntwo\\rthree\"\r\n\r\n");
}

TEST(RegFileWriterTest, Regedit4HoldsNamesAndStringDataAs8BitText) {
    Writing w(RegFileFormat::regedit4);
    w.key(u"HKEY_CURRENT_USER\\Software\\Caf\u00e9");
    w.value(u"Gr\u00fc\u00dfe", regtype::sz, sz(u"\u00e0 bient\u00f4t"));
    w.value(u"Path", regtype::expandSz, sz(u"%A%\u00e9"));
    w.value(u"List", regtype::multiSz, sz(std::u16string(u"a\0b\0", 4)));
    w.value(u"Raw", regtype::binary, std::string("\x00\xFF", 2));
    const auto text = w.finish();
    EXPECT_EQ(text, "REGEDIT4\r\n\r\n"
                    "[HKEY_CURRENT_USER\\Software\\Caf\xC3\xA9]\r\n"
                    "\"Gr\xC3\xBC\xC3\x9F\x65\"=\"\xC3\xA0 bient\xC3\xB4t\"\r\n"
                    "\"Path\"=hex(2):25,41,25,c3,a9,00\r\n"
                    "\"List\"=hex(7):61,00,62,00,00\r\n"
                    "\"Raw\"=hex:00,ff\r\n\r\n");
}

TEST(RegFileWriterTest, WhatAFileCannotExpressIsRefused) {
    std::ostringstream out;
    RegFileWriter v5(out, RegFileFormat::version5);
    EXPECT_FALSE(v5.writeKey(u"HKEY_USERS\\line\nbreak"));
    EXPECT_FALSE(v5.writeKey(std::u16string(u"HKEY_USERS\\nul\0", 15)));
    EXPECT_FALSE(v5.writeValue(std::u16string(u"a\0b", 3), regtype::sz, sz(u"x")));

    RegFileWriter v4(out, RegFileFormat::regedit4);
    const std::u16string loneSurrogate(1, static_cast<char16_t>(0xD800));
    EXPECT_FALSE(v4.writeKey(u"HKEY_USERS\\" + loneSurrogate));
    EXPECT_FALSE(v4.writeValue(loneSurrogate, regtype::binary, ""));
    EXPECT_FALSE(v4.writeValue(u"s", regtype::sz, sz(loneSurrogate)));
    EXPECT_FALSE(v4.writeValue(u"odd", regtype::expandSz, std::string("a\0b", 3)));
    // The same lone surrogate is fine in UTF-16.
    EXPECT_TRUE(v5.writeValue(u"s", regtype::sz, sz(loneSurrogate)));
}

} // namespace
} // namespace tolvane
