#include "platform/regformat/RegFileReader.h"

#include "platform/regformat/RegFileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace std::string_literals;

namespace tolvane {
namespace {

// A version 5 file from UTF-8 text: byte-order mark and UTF-16LE.
std::string version5(std::string_view utf8) {
    std::string bytes = "\xFF\xFE";
    const std::u16string text = narrowToWide(utf8).value();
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string hexOf(std::string_view data) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (const char c : data) {
        if (!text.empty()) {
            text += ',';
        }
        text += digits[static_cast<unsigned char>(c) >> 4];
        text += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return text;
}

// One line per entry, for comparing whole files at a glance.
std::vector<std::string> summary(const RegFileContents& contents) {
    std::vector<std::string> lines;
    for (const auto& entry : contents.entries) {
        const auto name = printable(entry.name);
        const auto root = std::to_string(static_cast<std::uintptr_t>(entry.root) & 0xF);
        switch (entry.kind) {
        case RegFileEntry::Kind::openKey:
            lines.push_back(std::to_string(entry.line) + " key " + root + ":" + name);
            break;
        case RegFileEntry::Kind::deleteKey:
            lines.push_back(std::to_string(entry.line) + " delete key " + root + ":" + name);
            break;
        case RegFileEntry::Kind::setValue:
            lines.push_back(std::to_string(entry.line) + " \"" + name + "\" " +
                            std::to_string(entry.type) + " " + hexOf(entry.data));
            break;
        case RegFileEntry::Kind::deleteValue:
            lines.push_back(std::to_string(entry.line) + " delete \"" + name + "\"");
            break;
        }
    }
    return lines;
}

std::vector<std::string> parsed(std::string_view bytes) {
    auto contents = RegFileReader::parse(bytes);
    EXPECT_TRUE(contents) << contents.message();
    return contents ? summary(*contents) : std::vector<std::string>{};
}

TEST(RegFileReaderTest, ReadsEveryKindOfLine) {
    const std::string file =
        version5("Windows Registry Editor Version 5.00\r\n"
                 "\r\n"
                 "; a comment\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Caf\u00e9]\r\n"
                 "@=\"default\"\r\n"
                 "\"quote\\\"and\\\\slash\"=\"a\\r\\nb\"  ; comment after data\r\n"
                 "\"dw\" = dword: 00a0Ff ; spaces are allowed around\r\n"
                 "\"bin\"=hex:01, 2 ,ff,\r\n"
                 "\"none\"=hex(0):\r\n"
                 "\"big type\"=hex(FFFFFFFF):7f\r\n"
                 "\"gone\"=-\r\n"
                 "@=-\r\n"
                 "  [hkey_local_machine\\A [x] b]\r\n"
                 "[-HKEY_USERS\\.Default\\Old]\r\n"
                 "[HKEY_CLASSES_ROOT]\r\n"
                 "[HKEY_CURRENT_CONFIG\\x]\r\n");
    EXPECT_EQ(parsed(file), (std::vector<std::string>{
                                "4 key 1:Software\\Caf\u00e9",
                                "5 \"\" 1 64,00,65,00,66,00,61,00,75,00,6c,00,74,00,00,00",
                                "6 \"quote\"and\\slash\" 1 61,00,0d,00,0a,00,62,00,00,00",
                                "7 \"dw\" 4 ff,a0,00,00",
                                "8 \"bin\" 3 01,02,ff",
                                "9 \"none\" 0 ",
                                "10 \"big type\" 4294967295 7f",
                                "11 delete \"gone\"",
                                "12 delete \"\"",
                                "13 key 2:A [x] b",
                                "14 delete key 3:.Default\\Old",
                                "15 key 0:",
                                "16 key 5:x",
                            }));
}

TEST(RegFileReaderTest, HexDataContinuesOverLinesWithCommentsAndAnyLineEnd) {
    for (const std::string_view end : {"\r\n", "\n", "\r"}) {
        std::string text = "REGEDIT4";
        for (const std::string_view line :
             {"", "[HKEY_USERS\\x]", "\"a\"=hex:01,02,\\ ; continued", "", "  ; comment inside",
              "  03,04,\\", "\t05", "\"b\"=hex(7):61,00,62,\\", "00,00"}) {
            text += end;
            text += line;
        }
        SCOPED_TRACE(hexOf(end));
        EXPECT_EQ(parsed(text), (std::vector<std::string>{
                                    "3 key 3:x",
                                    "4 \"a\" 3 01,02,03,04,05",
                                    "9 \"b\" 7 61,00,00,00,62,00,00,00,00,00",
                                }));
    }
}

TEST(RegFileReaderTest, EightBitFilesHold8BitStringsAndTheVersion5HeaderAlsoWorks) {
    EXPECT_EQ(parsed("REGEDIT4\n[HKEY_USERS\\x]\n\"Gr\xC3\xBC\xC3\x9F\x65\"=\"\xC3\xA9\"\n"
                     "\"e\"=hex(2):25,c3,a9,00\n\"odd sz\"=hex(1):61\n\"bin\"=hex:c3,a9\n"),
              (std::vector<std::string>{
                  "2 key 3:x",
                  "3 \"Gr\u00fc\u00dfe\" 1 e9,00,00,00",
                  "4 \"e\" 2 25,00,e9,00,00,00",
                  "5 \"odd sz\" 1 61,00",
                  "6 \"bin\" 3 c3,a9",
              }));
    EXPECT_EQ(parsed("  Windows Registry Editor Version 5.00\n[HKEY_USERS]\n"),
              (std::vector<std::string>{"2 key 3:"}));
    // UTF-16 keeps hex strings as they are, whatever their length.
    EXPECT_EQ(parsed(version5("Windows Registry Editor Version 5.00\n[HKEY_USERS]\n"
                              "\"odd\"=hex(2):61,00,62\n")),
              (std::vector<std::string>{"2 key 3:", "3 \"odd\" 2 61,00,62"}));
}

struct Malformed {
    std::string bytes;
    std::size_t line;
    std::string reason;
};

TEST(RegFileReaderTest, MalformedFilesAreRefusedWithLineAndReason) {
    const std::string v4 = "REGEDIT4\r\n[HKEY_USERS\\x]\r\n";
    const std::vector<Malformed> cases{
        {"", 1, "empty"},
        {version5("Windows Registry Editor Version 5.00\r\n[HKEY_USERS]\r\n") + "x", 3,
         "half a character"},
        {"W\0i\0n\0"s, 1, "without a byte-order mark"},
        {"\xFE\xFF\0W"s, 1, "big-endian"},
        {"REGEDIT5\r\n", 1, "not a registry file"},
        {"REGEDIT\r\n", 1, "not a registry file"},
        {"REGEDIT4 \r\n", 1, "not a registry file"},
        {"REGEDIT4", 1, "header line has no line end"},
        {version5("Windows Registry Editor Version 5.00"), 1, "header line has no line end"},
        {"\x7F\x45LF\x02\x01\x01\0\0\0"s, 1, "NUL byte"},
        {v4 + "\"a\"=\"x\0y\"\r\n"s, 3, "NUL"},
        {v4 + "\"a\"=\"\xC3\x28\"\r\n", 3, "not valid in this code page"},
        {v4 + "\"a\"=hex(2):c3,28\r\n", 3, "not valid in this code page"},
        {v4 + "garbage\r\n", 3, "not a key, value or comment"},
        {v4 + "[HKEY_USERS\\y\r\n", 3, "without \"]\""},
        {v4 + "[ HKEY_USERS\\y]\r\n", 3, "blank after"},
        {v4 + "[HKEY_USERS\\y] junk\r\n", 3, "text after the \"]\""},
        {v4 + "[HKCU\\y]\r\n", 3, "unknown root key"},
        {v4 + "[HKEY_DYN_DATA\\y]\r\n", 3, "unknown root key"},
        {v4 + "[]\r\n", 3, "unknown root key"},
        {v4 + "[-HKEY_USERS]\r\n", 3, "root key cannot be deleted"},
        {v4 + "[-HKEY_USERS\\x]\r\n\"a\"=\"b\"\r\n", 4, "belongs to no key"},
        {"REGEDIT4\r\n\"a\"=\"b\"\r\n", 2, "belongs to no key"},
        {v4 + "\"a\r\n", 3, "closing quote"},
        {v4 + "\"a\"=\"b\r\n", 3, "closing quote"},
        {v4 + "\"a\"=\"b\\\r\n", 3, "closing quote"},
        {v4 + "\"a\"\r\n", 3, "\"=\" expected"},
        {v4 + "@\"a\"\r\n", 3, "\"=\" expected"},
        {v4 + "\"a\"=\r\n", 3, "without data"},
        {v4 + "\"a\"=\"b\" c\r\n", 3, "after the closing quote"},
        {v4 + "\"a\\q\"=\"b\"\r\n", 3, "unknown escape"},
        {v4 + "\"a\"=\"b\\0\"\r\n", 3, "unknown escape"},
        {v4 + "\"a\"=-x\r\n", 3, "after \"=-\""},
        {v4 + "\"a\"=dword:\r\n", 3, "dword"},
        {v4 + "\"a\"=dword:123456789\r\n", 3, "dword"},
        {v4 + "\"a\"=dword:12x\r\n", 3, "dword"},
        {v4 + "\"a\"=hex:1g\r\n", 3, "bad hex"},
        {v4 + "\"a\"=hex:100\r\n", 3, "above ff"},
        {v4 + "\"a\"=hex:01,,02\r\n", 3, "bad hex"},
        {v4 + "\"a\"=hex:01 02\r\n", 3, "bad hex"},
        {v4 + "\"a\"=hex:01,\\ x\r\n", 3, "after the \"\\\""},
        {v4 + "\"a\"=hex:01,\\\r\n\"b\"=\"c\"\r\n", 4, "hex data expected"},
        {v4 + "\"a\"=hex:01,\\\r\n\r\n", 3, "past the end"},
        {v4 + "\"a\"=hex(2:00\r\n", 3, "type number"},
        {v4 + "\"a\"=hex(0x2):00\r\n", 3, "type number"},
        {v4 + "\"a\"=hex(123456789):00\r\n", 3, "type number"},
        {v4 + "\"a\"=str(2):\"x\"\r\n", 3, "unknown value type"},
        {v4 + "\"a\"=Dword:1\r\n", 3, "unknown value type"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(hexOf(test.bytes));
        auto contents = RegFileReader::parse(test.bytes);
        ASSERT_FALSE(contents);
        EXPECT_EQ(contents.message().rfind("line " + std::to_string(test.line) + ": ", 0), 0u)
            << contents.message();
        EXPECT_NE(contents.message().find(test.reason), std::string::npos) << contents.message();
    }
}

} // namespace
} // namespace tolvane

#ifndef _WIN32
namespace tolvane {
namespace {

// Files that would hang or flood the reader are refused before the first byte is read.
TEST(RegFileReaderTest, OnlyRegularFilesOfSaneSizeAreOpened) {
    test::TempDir dir;
    const auto fifo = dir / "pipe.reg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto fromFifo = RegFileReader::openFile(fifo);
    ASSERT_FALSE(fromFifo);
    EXPECT_NE(fromFifo.message().find("not a regular file"), std::string::npos)
        << fromFifo.message();

    const auto huge = dir.write("huge.reg", "REGEDIT4\r\n");
    std::filesystem::resize_file(huge, RegFileReader::maxFileSize + 1);
    const auto fromHuge = RegFileReader::openFile(huge);
    ASSERT_FALSE(fromHuge);
    EXPECT_NE(fromHuge.message().find("more than the 1073741824 bytes"), std::string::npos)
        << fromHuge.message();

    const auto normal = dir.write("small.reg", "REGEDIT4\r\n\r\n[HKEY_USERS\\x]\r\n");
    EXPECT_TRUE(RegFileReader::openFile(normal));
}

} // namespace
} // namespace tolvane
#endif
