#include "tests/support/ValueBytes.h"

namespace tolvane::test {

std::string utf16(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string sz(std::u16string_view text) {
    return utf16(text) + std::string(2, '\0');
}

std::string dword(std::uint32_t value) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((value >> shift) & 0xFF);
    }
    return bytes;
}

} // namespace tolvane::test
