#include "platform/base/Utf16Text.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {
namespace {

struct Decoded {
    std::optional<char32_t> codePoint;
    std::size_t pos;
};

Decoded decodeAt(std::string_view text, std::size_t pos = 0) {
    const auto codePoint = decodeUtf8(text, pos);
    return {codePoint, pos};
}

TEST(Utf16TextTest, DecodesEachSequenceLengthUpToTheLastCodePoint) {
    EXPECT_EQ(decodeAt("A").codePoint, U'A');
    EXPECT_EQ(decodeAt("\xC3\xA4x").codePoint, U'\u00E4');
    EXPECT_EQ(decodeAt("\xC3\xA4x").pos, 2u);
    EXPECT_EQ(decodeAt("\xE2\x82\xAC").codePoint, U'\u20AC');
    EXPECT_EQ(decodeAt("\xEF\xBF\xBF").codePoint, U'\uFFFF');
    EXPECT_EQ(decodeAt("\xF0\x9F\x98\x80").codePoint, U'\U0001F600');
    EXPECT_EQ(decodeAt("\xF4\x8F\xBF\xBF").codePoint, U'\U0010FFFF');
    EXPECT_EQ(decodeAt("a\xC3\xA4", 1).pos, 3u);
}

TEST(Utf16TextTest, RefusesWhatIsNoShortestFormScalarAndLeavesThePosition) {
    const std::vector<std::string> refused = {
        "\x80",             // a continuation byte alone
        "\xC0\x80",         // overlong NUL
        "\xC1\xBF",         // overlong ASCII
        "\xE0\x80\x80",     // overlong 3-byte
        "\xF0\x80\x80\x80", // overlong 4-byte
        "\xED\xA0\x80",     // a surrogate
        "\xF4\x90\x80\x80", // past U+10FFFF
        "\xF5\x80\x80\x80", // lead byte past U+10FFFF
        "\xFF",
        "\xC3",     // cut short
        "\xE2\x82", // cut short
        "\xC3"
        "A", // no continuation byte
    };
    for (const std::string& text : refused) {
        const Decoded decoded = decodeAt("x" + text, 1);
        EXPECT_FALSE(decoded.codePoint) << testing::PrintToString(text);
        EXPECT_EQ(decoded.pos, 1u) << testing::PrintToString(text);
    }
}

TEST(Utf16TextTest, EncodesAtEveryLengthBoundaryAndBack) {
    for (const char32_t codePoint :
         {U'\0', U'\x7F', U'\x80', U'\u07FF', U'\u0800', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) {
        std::string utf8;
        appendUtf8(utf8, codePoint);
        std::size_t pos = 0;
        EXPECT_EQ(decodeUtf8(utf8, pos), codePoint);
        EXPECT_EQ(pos, utf8.size());

        std::u16string units;
        appendUtf16(units, codePoint);
        ASSERT_EQ(units.size(), codePoint >= 0x10000 ? 2u : 1u);
        if (units.size() == 2) {
            EXPECT_TRUE(isHighSurrogate(units[0]));
            EXPECT_TRUE(isLowSurrogate(units[1]));
            EXPECT_EQ(joinSurrogates(units[0], units[1]), codePoint);
        } else {
            EXPECT_EQ(units[0], codePoint);
        }
    }
    std::string lone;
    appendUtf8(lone, 0xD800);
    EXPECT_EQ(lone, "\xED\xA0\x80") << "a lone surrogate keeps its own 3-byte form";
}

TEST(Utf16TextTest, RegistryStringBytesAreLittleEndianAndAnOddByteIsDropped) {
    const std::u16string units = u"A\u20AC\xD83D\xDE00";
    const std::string bytes = unitsToUtf16Bytes(units);
    EXPECT_EQ(bytes, std::string("A\0\xAC\x20\x3D\xD8\x00\xDE", 8));
    EXPECT_EQ(utf16UnitAt(bytes, 1), u'\u20AC');
    EXPECT_EQ(utf16BytesToUnits(bytes), units);
    EXPECT_EQ(utf16BytesToUnits(bytes + "\x41"), units);

    std::string appended = "xy";
    appendUtf16Bytes(appended, u"z");
    EXPECT_EQ(appended, std::string("xyz\0", 4));
}

} // namespace
} // namespace tolvane
