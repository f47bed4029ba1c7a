#include "platform/base/HexText.h"

#include <random>

namespace tolvane {

std::string hexNumber(std::uint64_t value, std::size_t minimumDigits) {
    std::string digits;
    do {
        digits.insert(digits.begin(), hexDigit(static_cast<unsigned>(value & 0xFu)));
        value >>= 4;
    } while (value != 0);
    if (digits.size() < minimumDigits) {
        digits.insert(0, minimumDigits - digits.size(), '0');
    }
    return digits;
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
