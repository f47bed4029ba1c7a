#include "platform/prefix/NameFolder.h"

#include "platform/base/AsciiText.h"
#include "platform/base/Utf16Text.h"

#include <cstdint>
#include <cwctype>
#include <wctype.h>

namespace tolvane::prefix {

namespace {

// Characters that no 8.3 name holds.
constexpr std::string_view invalidShortNameCharacters = "*?<>|\"+=,;[] :/\\";

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
            folded += asciiUpper(static_cast<char>(byte));
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
        } else {
            appendUtf16(units, *point);
        }
    }
    if (units.empty()) {
        return {};
    }
    const auto lower = [this](char16_t unit) -> std::uint32_t {
        if (unit < 0x80) {
            return static_cast<unsigned char>(asciiLower(static_cast<char>(unit)));
        }
        if (isSurrogate(unit) || utf8_ == static_cast<locale_t>(nullptr)) {
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
