#include "platform/base/HexText.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace tolvane {
namespace {

TEST(HexTextTest, DigitsAreReadInEitherCaseAndWrittenInLowerCase) {
    for (unsigned value = 0; value < 16; ++value) {
        const char digit = hexDigit(value);
        EXPECT_EQ(hexDigitValue(digit), static_cast<int>(value));
        EXPECT_EQ(hexDigitValue("0123456789ABCDEF"[value]), static_cast<int>(value));
    }
    EXPECT_EQ(hexDigit(0x1A), 'a') << "only the low four bits count";
    for (const char32_t other : {U'g', U'G', U'/', U':', U'@', U'`', U' ', U'\xC3', U'\uFF21'}) {
        EXPECT_EQ(hexDigitValue(other), -1);
        EXPECT_FALSE(isHexDigit(other));
    }
    EXPECT_FALSE(isHexDigit(static_cast<char>(0xC3))) << "a byte of a UTF-8 character";
}

TEST(HexTextTest, NumbersArePaddedToTheWidthAskedForAndNeverCut) {
    EXPECT_EQ(hexNumber(0), "0");
    EXPECT_EQ(hexNumber(0, 8), "00000000");
    EXPECT_EQ(hexNumber(0xABCDEF, 8), "00abcdef");
    EXPECT_EQ(hexNumber(0x123456789ULL, 8), "123456789");
    EXPECT_EQ(hexNumber(UINT64_MAX), "ffffffffffffffff");
    EXPECT_EQ(hexNumber(1, 16), "0000000000000001");

    std::string out = "dword:";
    appendHexNumber(out, 0x2A, 8);
    EXPECT_EQ(out, "dword:0000002a");
}

TEST(HexTextTest, RandomDigitsAreHexAndDiffer) {
    const std::string first = randomHexDigits(16);
    ASSERT_EQ(first.size(), 16u);
    for (const char c : first) {
        EXPECT_TRUE(isHexDigit(c) && hexDigit(static_cast<unsigned>(hexDigitValue(c))) == c) << c;
    }
    EXPECT_NE(randomHexDigits(16), first);
    EXPECT_EQ(randomHexDigits(0), "");
}

} // namespace
} // namespace tolvane
