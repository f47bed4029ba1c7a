#include "platform/prefix/UnitText.h"

#include "platform/base/AsciiText.h"
#include "platform/base/Utf16Text.h"
#include "platform/prefix/WineCase.h"

namespace tolvane::prefix::unittext {

void appendUnit(std::string& out, char16_t unit) {
    // Surrogates too get their own 3-byte form.
    appendUtf8(out, unit);
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

int compareNames(std::string_view left, std::string_view right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        const auto a = static_cast<unsigned char>(left[i]);
        const auto b = static_cast<unsigned char>(right[j]);
        char16_t lowerA;
        char16_t lowerB;
        if (a < 0x80 && b < 0x80) {
            lowerA = static_cast<unsigned char>(asciiLower(static_cast<char>(a)));
            lowerB = static_cast<unsigned char>(asciiLower(static_cast<char>(b)));
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

std::string fromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::u16string units;
    for (std::size_t pos = 0; pos < utf8.size();) {
        units.clear();
        appendUtf16(units, decodeUtf8OrReplace(utf8, pos));
        for (const char16_t unit : units) {
            appendUnit(out, unit);
        }
    }
    return out;
}

std::string toUtf8(std::string_view text) {
    if (isAscii(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    appendUnitsAsUtf8(out, unitCount(text), [&] { return nextUnit(text, pos); });
    return out;
}

} // namespace tolvane::prefix::unittext
