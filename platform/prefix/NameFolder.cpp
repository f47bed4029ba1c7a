#include "platform/prefix/NameFolder.h"

#include <cstdint>
#include <cwctype>
#include <optional>
#include <wctype.h>

namespace tolvane::prefix {

namespace {

// Characters that no 8.3 name holds.
constexpr std::string_view invalidShortNameCharacters = "*?<>|\"+=,;[] :/\\";

// One code point of a UTF-8 text, or nothing when the bytes at `pos` do not start a valid,
// shortest-form sequence. Advances `pos` past what it read.
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    } else {
        return std::nullopt;
    }
    if (pos + length > text.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0u) != 0x80u) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    pos += length;
    return value;
}

void appendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

} // namespace

NameFolder::NameFolder() {
    utf8_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
}

NameFolder::~NameFolder() {
    if (utf8_ != static_cast<locale_t>(nullptr)) {
        freelocale(utf8_);
    }
}

std::string NameFolder::fold(std::string_view name) const {
    std::string folded;
    folded.reserve(name.size());
    std::size_t pos = 0;
    while (pos < name.size()) {
        const auto byte = static_cast<unsigned char>(name[pos]);
        if (byte < 0x80) {
            folded += (byte >= 'a' && byte <= 'z') ? static_cast<char>(byte - 'a' + 'A')
                                                   : static_cast<char>(byte);
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const auto point = decodeUtf8(name, pos);
        if (!point || utf8_ == static_cast<locale_t>(nullptr)) {
            if (!point) {
                pos = start + 1;
            }
            folded.append(name.substr(start, pos - start));
            continue;
        }
        appendUtf8(folded, static_cast<char32_t>(towupper_l(static_cast<wint_t>(*point), utf8_)));
    }
    return folded;
}

bool NameFolder::equal(std::string_view a, std::string_view b) const {
    return fold(a) == fold(b);
}

bool NameFolder::mayBeMadeUp(std::string_view name) {
    if (name.empty() || name.size() > 12 || name.front() == '.' || name.find('~') > 4) {
        return false;
    }
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c > 0x7F || c < 0x20 ||
            invalidShortNameCharacters.find(name[i]) != std::string_view::npos) {
            return false;
        }
        if (c == '.') {
            if (dot != std::string_view::npos) {
                return false;
            }
            dot = i;
        }
    }
    if (dot == std::string_view::npos) {
        return name.size() <= 8;
    }
    return dot <= 8 && name.size() - dot > 1 && name.size() - dot < 5;
}

std::string NameFolder::shortNameOf(std::string_view name) const {
    // Wine hashes and copies UTF-16 units.
    std::u16string units;
    std::size_t pos = 0;
    while (pos < name.size()) {
        const std::size_t start = pos;
        const auto point = decodeUtf8(name, pos);
        if (!point) {
            pos = start + 1;
            units += static_cast<char16_t>(static_cast<unsigned char>(name[start]));
        } else if (*point >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((*point - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((*point - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(*point);
        }
    }
    if (units.empty()) {
        return {};
    }
    const auto lower = [this](char16_t unit) -> std::uint32_t {
        if (unit >= 'A' && unit <= 'Z') {
            return unit - 'A' + 'a';
        }
        if (unit < 0x80 || (unit >= 0xD800 && unit <= 0xDFFF) ||
            utf8_ == static_cast<locale_t>(nullptr)) {
            return unit;
        }
        return static_cast<std::uint32_t>(towlower_l(unit, utf8_)) & 0xFFFFu;
    };
    std::uint16_t hash = 0xBEEF;
    for (std::size_t i = 0; i + 1 < units.size(); ++i) {
        hash = static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ lower(units[i]) ^
                                          (lower(units[i + 1]) << 8));
    }
    hash = static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ lower(units.back()));

    std::size_t extension = std::u16string::npos;
    for (std::size_t i = 1; i + 1 < units.size(); ++i) {
        if (units[i] == '.') {
            extension = i;
        }
    }
    const auto dosCharacter = [](char16_t unit) {
        const bool invalid =
            unit > 0x7F || unit == '~' || unit == '.' ||
            invalidShortNameCharacters.find(static_cast<char>(unit)) != std::string_view::npos;
        return invalid ? '_' : static_cast<char>(unit);
    };
    constexpr std::string_view hashCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    std::string shortName;
    std::size_t taken = 0;
    for (; taken < 4 && taken < units.size() && taken != extension; ++taken) {
        shortName += dosCharacter(units[taken]);
    }
    shortName.append(5 - taken, '~');
    shortName += hashCharacters[(hash >> 10) & 0x1F];
    shortName += hashCharacters[(hash >> 5) & 0x1F];
    shortName += hashCharacters[hash & 0x1F];
    if (extension != std::u16string::npos) {
        shortName += '.';
        for (std::size_t i = extension + 1; i < units.size() && i < extension + 4; ++i) {
            shortName += dosCharacter(units[i]);
        }
    }
    return fold(shortName);
}

} // namespace tolvane::prefix
