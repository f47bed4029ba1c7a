#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Case folding of registry names as the program compares them: ASCII letters only, since the
// 8-bit texts are UTF-8 on Linux and folding other bytes could break a character.
constexpr char asciiLower(char c) {
    // Without a branch: walks lower-case nearly every value they read.
    return static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 'a' - 'A' : 0));
}
constexpr char asciiUpper(char c) {
    return static_cast<char>(c - (static_cast<unsigned char>(c - 'a') < 26 ? 'a' - 'A' : 0));
}
constexpr bool isAsciiLetter(char c) {
    return static_cast<unsigned char>(asciiLower(c) - 'a') < 26;
}
// A blank of the texts the program parses: space or tab.
constexpr bool isBlank(char32_t c) {
    return c == ' ' || c == '\t';
}
std::string asciiLower(std::string_view text);
void asciiLowerInPlace(std::string& text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when every character is 7-bit ASCII, which UTF-8, UTF-16 and the code pages all spell
// the same.
bool isAscii(std::string_view text);
bool isAscii(std::u16string_view text);

} // namespace tolvane
