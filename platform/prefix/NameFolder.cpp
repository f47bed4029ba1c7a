#include "platform/prefix/NameFolder.h"

#include <cstdint>
#include <cwctype>
#include <optional>
#include <wctype.h>

namespace tolvane::prefix {

namespace {

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

} // namespace tolvane::prefix
