#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// UTF-8 and UTF-16 code points and units, strict both ways: the callers decide what an invalid
// sequence becomes (a refusal, U+FFFD or the byte itself).

constexpr bool isSurrogate(char32_t value) {
    return value >= 0xD800 && value <= 0xDFFF;
}
constexpr bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
// The code point of a surrogate pair.
constexpr char32_t joinSurrogates(char16_t high, char16_t low) {
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
           (static_cast<char32_t>(low) - 0xDC00);
}

// The code point of the UTF-8 sequence at `pos` (which must be inside `text`), advancing `pos`
// past it. Nothing, with `pos` left where it was, when the bytes there are not a shortest-form
// sequence of a code point up to U+10FFFF outside the surrogates.
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos);
void appendUtf8(std::string& out, char32_t codePoint);
// Code points above U+FFFF become a surrogate pair.
void appendUtf16(std::u16string& out, char32_t codePoint);

// String data as the registry stores it: UTF-16LE bytes. A trailing odd byte is dropped.
constexpr char16_t utf16UnitAt(std::string_view bytes, std::size_t index) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                 (static_cast<unsigned char>(bytes[2 * index + 1]) << 8));
}
std::u16string utf16BytesToUnits(std::string_view bytes);
void appendUtf16Bytes(std::string& bytes, std::u16string_view units);
std::string unitsToUtf16Bytes(std::u16string_view units);

// Lenient conversions, as Windows converts: invalid UTF-8 bytes become U+FFFD one by one, and a
// lone surrogate becomes U+FFFD.
inline constexpr char16_t replacementCharacter = 0xFFFD;
// The code point at `pos`, or U+FFFD for one invalid byte; advances `pos` either way.
char32_t decodeUtf8OrReplace(std::string_view utf8, std::size_t& pos);
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf8ToUtf16Bytes(std::string_view utf8);
std::string utf16BytesToUtf8(std::string_view bytes);

// Appends UTF-8 for `count` UTF-16 units taken from `next()`, joining pairs and replacing lone
// surrogates.
template <typename NextUnit>
void appendUnitsAsUtf8(std::string& out, std::size_t count, NextUnit&& next) {
    for (std::size_t k = 0; k < count; ++k) {
        const char16_t unit = next();
        if (isHighSurrogate(unit) && k + 1 < count) {
            const char16_t low = next();
            ++k;
            if (isLowSurrogate(low)) {
                appendUtf8(out, joinSurrogates(unit, low));
                continue;
            }
            appendUtf8(out, replacementCharacter);
            appendUtf8(out, isSurrogate(low) ? replacementCharacter : low);
            continue;
        }
        appendUtf8(out, isSurrogate(unit) ? replacementCharacter : unit);
    }
}

} // namespace tolvane
