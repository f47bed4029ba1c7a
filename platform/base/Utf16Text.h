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

} // namespace tolvane
