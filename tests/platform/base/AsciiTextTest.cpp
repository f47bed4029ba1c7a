#include "platform/base/AsciiText.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane {
namespace {

// Every byte value, so that no byte outside A-Z and a-z is ever changed.
std::string allBytes() {
    std::string bytes;
    for (int c = 0; c < 256; ++c) {
        bytes += static_cast<char>(c);
    }
    return bytes;
}

TEST(AsciiTextTest, OnlyAsciiLettersChangeCase) {
    const std::string bytes = allBytes();
    const std::string lower = asciiLower(bytes);
    ASSERT_EQ(lower.size(), bytes.size());
    for (int c = 0; c < 256; ++c) {
        const char original = static_cast<char>(c);
        const bool upper = c >= 'A' && c <= 'Z';
        const bool small = c >= 'a' && c <= 'z';
        EXPECT_EQ(lower[static_cast<std::size_t>(c)], upper ? static_cast<char>(c + 32) : original)
            << c;
        EXPECT_EQ(asciiUpper(original), small ? static_cast<char>(c - 32) : original) << c;
        EXPECT_EQ(isAsciiLetter(original), upper || small) << c;
    }
    std::string inPlace = "Ä:\\Program FILES\\x";
    asciiLowerInPlace(inPlace);
    EXPECT_EQ(inPlace, "Ä:\\program files\\x") << "the UTF-8 bytes of Ä stay";
}

TEST(AsciiTextTest, ComparesWithoutCaseOnlyTextsOfTheSameLength) {
    EXPECT_TRUE(equalsIgnoringAsciiCase("Software\\CLASSES", "software\\classes"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("Software", "Softwar"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("Ä", "ä")) << "other letters are not folded";
    EXPECT_FALSE(equalsIgnoringAsciiCase("[", "{")) << "not folded by a bit mask";
    EXPECT_TRUE(equalsIgnoringAsciiCase("", ""));
}

TEST(AsciiTextTest, AsciiTextsAndBlanks) {
    EXPECT_TRUE(isAscii(std::string_view("plain \x7F")));
    EXPECT_FALSE(isAscii(std::string_view("caf\xC3\xA9")));
    EXPECT_TRUE(isAscii(std::u16string_view(u"plain")));
    EXPECT_FALSE(isAscii(std::u16string_view(u"\u0080")));
    EXPECT_TRUE(isBlank(' ') && isBlank('\t') && isBlank(u'\t'));
    EXPECT_FALSE(isBlank('\n') || isBlank('\r') || isBlank(u'\u00A0') || isBlank('\0'));
}

} // namespace
} // namespace tolvane
