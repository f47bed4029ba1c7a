#include "platform/base/Utf16Text.h"

#include <bit>
#include <cstring>

namespace tolvane {

std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    // C0 and C1 could only start overlong forms, F5 and above only values past U+10FFFF.
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (length > text.size() - pos) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0u) != 0x80u) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || isSurrogate(value)) {
        return std::nullopt;
    }
    pos += length;
    return value;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

void appendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

std::u16string utf16BytesToUnits(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(units.data(), bytes.data(), units.size() * 2);
    } else {
        for (std::size_t k = 0; k < units.size(); ++k) {
            units[k] = utf16UnitAt(bytes, k);
        }
    }
    return units;
}

void appendUtf16Bytes(std::string& bytes, std::u16string_view units) {
    const std::size_t start = bytes.size();
    bytes.resize(start + 2 * units.size());
    char* out = bytes.data() + start;
    for (const char16_t unit : units) {
        *out++ = static_cast<char>(unit & 0xFF);
        *out++ = static_cast<char>(unit >> 8);
    }
}

std::string unitsToUtf16Bytes(std::u16string_view units) {
    std::string bytes;
    appendUtf16Bytes(bytes, units);
    return bytes;
}

char32_t decodeUtf8OrReplace(std::string_view utf8, std::size_t& pos) {
    if (const auto codePoint = decodeUtf8(utf8, pos)) {
        return *codePoint;
    }
    ++pos;
    return replacementCharacter;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        appendUtf16(units, decodeUtf8OrReplace(utf8, pos));
    }
    return units;
}

std::string utf8ToUtf16Bytes(std::string_view utf8) {
    return unitsToUtf16Bytes(utf8ToUtf16(utf8));
}

std::string utf16BytesToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    std::size_t pos = 0;
    appendUnitsAsUtf8(out, bytes.size() / 2, [&] { return utf16UnitAt(bytes, pos++); });
    return out;
}

} // namespace tolvane
