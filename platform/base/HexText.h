#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane {

// The one spelling of hex digits the program writes: lower case.
constexpr char hexDigit(unsigned value) {
    return "0123456789abcdef"[value & 0xFu];
}

// The value of a hex digit of either case, or -1 when `c` is none.
constexpr int hexDigitValue(char32_t c) {
    if (c >= '0' && c <= '9') {
        return static_cast<int>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<int>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<int>(c - 'A' + 10);
    }
    return -1;
}

constexpr bool isHexDigit(char32_t c) {
    return hexDigitValue(c) >= 0;
}

// `value` in lower-case hex, padded with zeros to at least `minimumDigits`.
std::string hexNumber(std::uint64_t value, std::size_t minimumDigits = 1);
// The same, appended without a temporary (registry files write one for every key).
void appendHexNumber(std::string& out, std::uint64_t value, std::size_t minimumDigits = 1);

// `count` random hex digits, for names that must not meet an existing file.
std::string randomHexDigits(std::size_t count);

} // namespace tolvane
