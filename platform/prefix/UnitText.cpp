#include "platform/prefix/UnitText.h"

#include "platform/prefix/WineCase.h"

namespace tolvane::prefix::unittext {
namespace {

bool isSurrogate(char32_t value) {
    return value >= 0xD800 && value <= 0xDFFF;
}
bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

char16_t asciiLower(unsigned char c) {
    return static_cast<char16_t>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

} // namespace

void appendUnit(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
        out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
}

char16_t nextUnit(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t at) {
        return at < text.size() ? static_cast<unsigned char>(text[at]) & 0x3Fu : 0u;
    };
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if (lead < 0xE0) {
        const auto unit = static_cast<char16_t>(((lead & 0x1Fu) << 6) | byte(pos + 1));
        pos += 2;
        return unit;
    }
    const auto unit =
        static_cast<char16_t>(((lead & 0x0Fu) << 12) | (byte(pos + 1) << 6) | byte(pos + 2));
    pos += 3;
    return unit;
}

std::size_t unitCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        // Every unit has exactly one lead byte.
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

int compareNames(std::string_view left, std::string_view right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        const auto a = static_cast<unsigned char>(left[i]);
        const auto b = static_cast<unsigned char>(right[j]);
        char16_t lowerA;
        char16_t lowerB;
        if (a < 0x80 && b < 0x80) {
            lowerA = asciiLower(a);
            lowerB = asciiLower(b);
            ++i;
            ++j;
        } else {
            lowerA = wineLower(nextUnit(left, i));
            lowerB = wineLower(nextUnit(right, j));
        }
        if (lowerA != lowerB) {
            return lowerA < lowerB ? -1 : 1;
        }
    }
    if (i < left.size()) {
        return 1;
    }
    return j < right.size() ? -1 : 0;
}

std::string fromUtf16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (const char16_t unit : units) {
        appendUnit(out, unit);
    }
    return out;
}

std::u16string toUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        out.push_back(nextUnit(text, pos));
    }
    return out;
}

bool decodeUtf8(std::string_view utf8, std::size_t& pos, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {
        codePoint = lead;
        ++pos;
        return true;
    }
    std::size_t length;
    char32_t value;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + length > utf8.size()) {
        ++pos;
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || isSurrogate(value)) {
        ++pos;
        return false;
    }
    codePoint = value;
    pos += length;
    return true;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        appendUnit(out, static_cast<char16_t>(codePoint));
        return;
    }
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
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

std::string fromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::u16string units;
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t codePoint = replacementCharacter;
        if (!decodeUtf8(utf8, pos, codePoint)) {
            codePoint = replacementCharacter;
        }
        units.clear();
        appendUtf16(units, codePoint);
        for (const char16_t unit : units) {
            appendUnit(out, unit);
        }
    }
    return out;
}

namespace {

// Appends UTF-8 for a run of UTF-16 units, joining pairs and replacing lone surrogates.
template <typename NextUnit>
void unitsToUtf8(std::string& out, std::size_t count, NextUnit&& next) {
    for (std::size_t k = 0; k < count; ++k) {
        const char16_t unit = next();
        if (isHighSurrogate(unit) && k + 1 < count) {
            const char16_t low = next();
            ++k;
            if (isLowSurrogate(low)) {
                appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                    (static_cast<char32_t>(low) - 0xDC00));
                continue;
            }
            appendUtf8(out, replacementCharacter);
            appendUtf8(out, isSurrogate(low) ? replacementCharacter : low);
            continue;
        }
        appendUtf8(out, isSurrogate(unit) ? replacementCharacter : unit);
    }
}

} // namespace

std::string toUtf8(std::string_view text) {
    if (isAscii(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    unitsToUtf8(out, unitCount(text), [&] { return nextUnit(text, pos); });
    return out;
}

std::string utf8ToUtf16Bytes(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t codePoint = replacementCharacter;
        if (!decodeUtf8(utf8, pos, codePoint)) {
            codePoint = replacementCharacter;
        }
        appendUtf16(units, codePoint);
    }
    return unitsToUtf16Bytes(units);
}

std::string utf16BytesToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    std::size_t pos = 0;
    unitsToUtf8(out, bytes.size() / 2, [&] {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[pos]) |
                                                (static_cast<unsigned char>(bytes[pos + 1]) << 8));
        pos += 2;
        return unit;
    });
    return out;
}

std::u16string utf16BytesToUnits(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t k = 0; k < units.size(); ++k) {
        units[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                         (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    }
    return units;
}

std::string unitsToUtf16Bytes(std::u16string_view units) {
    std::string bytes(units.size() * 2, '\0');
    for (std::size_t k = 0; k < units.size(); ++k) {
        bytes[2 * k] = static_cast<char>(units[k] & 0xFF);
        bytes[2 * k + 1] = static_cast<char>(units[k] >> 8);
    }
    return bytes;
}

} // namespace tolvane::prefix::unittext
