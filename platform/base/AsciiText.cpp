#include "platform/base/AsciiText.h"

#include <algorithm>

namespace tolvane {

std::string asciiLower(std::string_view text) {
    std::string result(text);
    asciiLowerInPlace(result);
    return result;
}

void asciiLowerInPlace(std::string& text) {
    for (char& c : text) {
        c = asciiLower(c);
    }
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isAscii(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

} // namespace tolvane
