#include "platform/base/HexText.h"

#include <array>
#include <random>

namespace tolvane {

std::string hexNumber(std::uint64_t value, std::size_t minimumDigits) {
    std::string digits;
    appendHexNumber(digits, value, minimumDigits);
    return digits;
}

void appendHexNumber(std::string& out, std::uint64_t value, std::size_t minimumDigits) {
    std::array<char, 16> digits{};
    std::size_t count = 0;
    do {
        digits[count++] = hexDigit(static_cast<unsigned>(value & 0xFu));
        value >>= 4;
    } while (value != 0);
    if (count < minimumDigits) {
        out.append(minimumDigits - count, '0');
    }
    while (count > 0) {
        out.push_back(digits[--count]);
    }
}

std::string randomHexDigits(std::size_t count) {
    std::random_device random;
    std::string digits;
    digits.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        digits += hexDigit(random());
    }
    return digits;
}

} // namespace tolvane
