#include "platform/prefix/RegFileSyntax.h"

#include "platform/RegistryTypes.h"
#include "platform/base/AsciiText.h"
#include "platform/base/HexText.h"
#include "platform/base/Utf16Text.h"
#include "platform/prefix/UnitText.h"

#include <array>

namespace tolvane::prefix::regfile {
namespace {

// Hex digit values by byte, -1 for anything else: the loader checks every byte of hex data.
constexpr std::array<signed char, 256> hexTable = [] {
    std::array<signed char, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c) {
        table[c] = static_cast<signed char>(hexDigitValue(static_cast<char32_t>(c)));
    }
    return table;
}();

// Bytes that a string scan may pass over without looking closer.
constexpr std::array<bool, 256> plainStringTable = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x80; ++c) {
        table[static_cast<std::size_t>(c)] = c != '\\' && c != '"' && c != ']';
    }
    return table;
}();

int hexAt(std::string_view text, std::size_t pos) {
    return hexTable[static_cast<unsigned char>(text[pos])];
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

std::size_t appendOctal(std::string& out, unsigned value, bool threeDigits) {
    const std::size_t start = out.size();
    if (threeDigits || value >= 8) {
        if (threeDigits || value >= 64) {
            out.push_back(static_cast<char>('0' + ((value >> 6) & 7)));
        }
        out.push_back(static_cast<char>('0' + ((value >> 3) & 7)));
    }
    out.push_back(static_cast<char>('0' + (value & 7)));
    return out.size() - start;
}

// The C escape letter of control character `c`, or 0.
char controlEscape(char16_t c) {
    switch (c) {
    case 7:
        return 'a';
    case 8:
        return 'b';
    case 9:
        return 't';
    case 10:
        return 'n';
    case 11:
        return 'v';
    case 12:
        return 'f';
    case 13:
        return 'r';
    case 27:
        return 'e';
    default:
        return 0;
    }
}

} // namespace

namespace {

// Where decoded string text goes: UTF-16 units, or nowhere (checking only).
class Utf16Sink {
public:
    explicit Utf16Sink(std::u16string* out) : out_(out) {}
    void run(std::string_view plain) {
        if (out_ != nullptr) {
            for (const char c : plain) {
                out_->push_back(static_cast<char16_t>(c));
            }
        }
    }
    void unit(char16_t unit) {
        if (out_ != nullptr) {
            out_->push_back(unit);
        }
    }
    void codePoint(char32_t codePoint) {
        if (out_ != nullptr) {
            appendUtf16(*out_, codePoint);
        }
    }

private:
    std::u16string* out_;
};

// Decoded string text straight as UTF-8, counting the UTF-16 units it stands for. An escaped
// surrogate spoils it: only the UTF-16 form tells how surrogates pair up.
class Utf8Sink {
public:
    explicit Utf8Sink(std::string* out) : out_(out) {}
    void run(std::string_view plain) {
        units_ += plain.size();
        if (out_ != nullptr) {
            out_->append(plain);
        }
    }
    void unit(char16_t unit) {
        if (isSurrogate(unit)) {
            spoilt_ = true;
            return;
        }
        ++units_;
        if (out_ != nullptr) {
            unittext::appendUnit(*out_, unit);
        }
    }
    void codePoint(char32_t codePoint) {
        units_ += codePoint >= 0x10000 ? 2 : 1;
        if (out_ != nullptr) {
            appendUtf8(*out_, codePoint);
        }
    }
    bool spoilt() const { return spoilt_; }
    std::size_t units() const { return units_; }

private:
    std::string* out_;
    std::size_t units_ = 0;
    bool spoilt_ = false;
};

template <typename Sink>
const char* decodeEscaped(std::string_view text, std::size_t& pos, char terminator, Sink& sink) {
    while (pos < text.size()) {
        // Plain characters go in runs.
        const std::size_t runStart = pos;
        while (pos < text.size() && plainStringTable[static_cast<unsigned char>(text[pos])] &&
               text[pos] != terminator) {
            ++pos;
        }
        if (pos != runStart) {
            sink.run(text.substr(runStart, pos - runStart));
        }
        if (pos == text.size()) {
            break;
        }
        const char c = text[pos];
        if (c == terminator && terminator != '\0') {
            ++pos;
            return nullptr;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            const auto codePoint = decodeUtf8(text, pos);
            if (!codePoint) {
                return "invalid UTF-8 byte";
            }
            sink.codePoint(*codePoint);
            continue;
        }
        if (c != '\\') {
            sink.unit(static_cast<char16_t>(c));
            ++pos;
            continue;
        }
        if (++pos >= text.size()) {
            return "backslash at the end of the line";
        }
        const char escaped = text[pos];
        char16_t unit = 0;
        switch (escaped) {
        case 'a':
        case 'b':
        case 'e':
        case 'f':
        case 'n':
        case 'r':
        case 't':
        case 'v': {
            static constexpr std::string_view letters = "abefnrtv";
            static constexpr std::array<char16_t, 8> codes = {7, 8, 27, 12, 10, 13, 9, 11};
            unit = codes[letters.find(escaped)];
            ++pos;
            break;
        }
        case 'x': {
            ++pos;
            int digits = 0;
            unsigned value = 0;
            while (digits < 4 && pos < text.size() && hexDigitValue(text[pos]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hexDigitValue(text[pos]));
                ++pos;
                ++digits;
            }
            if (digits == 0) {
                return "\\x escape without hex digits";
            }
            unit = static_cast<char16_t>(value);
            break;
        }
        default:
            if (isOctalDigit(escaped)) {
                unsigned value = 0;
                int digits = 0;
                while (digits < 3 && pos < text.size() && isOctalDigit(text[pos])) {
                    value = value * 8 + static_cast<unsigned>(text[pos] - '0');
                    ++pos;
                    ++digits;
                }
                unit = static_cast<char16_t>(value);
            } else if (static_cast<unsigned char>(escaped) >= 0x80) {
                // A backslash before a raw UTF-8 character stands for that character.
                const auto codePoint = decodeUtf8(text, pos);
                if (!codePoint) {
                    return "invalid UTF-8 byte";
                }
                sink.codePoint(*codePoint);
                continue;
            } else {
                unit = static_cast<char16_t>(escaped);
                ++pos;
            }
        }
        sink.unit(unit);
    }
    if (terminator != '\0') {
        return "missing closing quote";
    }
    return nullptr;
}

} // namespace

const char* decodeString(std::string_view text, std::size_t& pos, char terminator,
                         std::u16string* out) {
    Utf16Sink sink(out);
    return decodeEscaped(text, pos, terminator, sink);
}

bool decodeStringToUtf8(std::string_view text, std::string* out, std::size_t& units) {
    Utf8Sink sink(out);
    std::size_t pos = 0;
    if (decodeEscaped(text, pos, '\0', sink) != nullptr || sink.spoilt()) {
        return false;
    }
    units = sink.units();
    return true;
}

const char* parseDataTag(std::string_view text, DataSyntax& syntax) {
    struct Tag {
        std::string_view text;
        std::uint32_t type;
        DataForm form;
    };
    static constexpr std::array<Tag, 6> tags = {{
        {"\"", regtype::sz, DataForm::string},
        {"str:\"", regtype::sz, DataForm::string},
        {"str(2):\"", regtype::expandSz, DataForm::string},
        {"str(7):\"", regtype::multiSz, DataForm::string},
        {"dword:", regtype::dword, DataForm::dword},
        {"hex:", regtype::binary, DataForm::hex},
    }};
    for (const Tag& tag : tags) {
        if (text.starts_with(tag.text)) {
            syntax = {tag.type, tag.form, tag.text.size()};
            return nullptr;
        }
    }
    if (text.starts_with("hex(")) {
        std::size_t pos = 4;
        std::uint64_t type = 0;
        const std::size_t first = pos;
        while (pos < text.size() && hexDigitValue(text[pos]) >= 0) {
            type = type * 16 + static_cast<unsigned>(hexDigitValue(text[pos]));
            if (type > 0xFFFFFFFFu) {
                return "value type out of range";
            }
            ++pos;
        }
        if (pos == first || text.substr(pos, 2) != "):") {
            return "bad value type";
        }
        syntax = {static_cast<std::uint32_t>(type), DataForm::hex, pos + 2};
        return nullptr;
    }
    return "unknown value type";
}

std::size_t hexByteCount(std::string_view body) {
    std::size_t count = 0;
    bool inDigits = false;
    for (const char c : body) {
        const bool digit = hexTable[static_cast<unsigned char>(c)] >= 0;
        count += digit && !inDigits ? 1 : 0;
        inDigits = digit;
    }
    return count;
}

bool continuesOnNextLine(std::string_view line) {
    return !line.empty() && line.back() == '\\';
}

const char* decodeData(std::string_view text, const DataSyntax& syntax, std::string* bytes) {
    std::size_t pos = syntax.bodyOffset;
    switch (syntax.form) {
    case DataForm::string: {
        std::u16string units;
        if (const char* reason = decodeString(text, pos, '"', bytes ? &units : nullptr)) {
            return reason;
        }
        if (pos != text.size()) {
            return "text after the closing quote";
        }
        if (bytes != nullptr) {
            units.push_back(u'\0');
            *bytes = unitsToUtf16Bytes(units);
        }
        return nullptr;
    }
    case DataForm::dword: {
        std::uint32_t value = 0;
        const std::size_t first = pos;
        while (pos < text.size() && hexDigitValue(text[pos]) >= 0) {
            if (pos - first == 8) {
                return "dword with more than 8 digits";
            }
            value = value * 16 + static_cast<unsigned>(hexDigitValue(text[pos]));
            ++pos;
        }
        if (pos == first || pos != text.size()) {
            return "bad dword";
        }
        if (bytes != nullptr) {
            bytes->assign(4, '\0');
            for (std::size_t k = 0; k < 4; ++k) {
                (*bytes)[k] = static_cast<char>((value >> (8 * k)) & 0xFF);
            }
        }
        return nullptr;
    }
    case DataForm::hex:
        break;
    }
    if (bytes != nullptr) {
        bytes->clear();
        bytes->reserve((text.size() - pos) / 3 + 1);
    }
    bool expectByte = true;
    // The usual shape "xx," first, three bytes at a time.
    if (bytes == nullptr) {
        while (pos + 3 <= text.size() && text[pos + 2] == ',' && hexAt(text, pos) >= 0 &&
               hexAt(text, pos + 1) >= 0) {
            pos += 3;
        }
    }
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '\\') {
            // Continuation: backslash, end of line, leading blanks of the next line.
            ++pos;
            while (pos < text.size() && isBlank(text[pos])) {
                ++pos;
            }
            if (pos < text.size() && text[pos] == '\n') {
                ++pos;
                while (pos < text.size() && isBlank(text[pos])) {
                    ++pos;
                }
                continue;
            }
            if (pos == text.size()) {
                return "hex data ends in a continuation mark";
            }
            return "bad hex data";
        }
        if (!expectByte) {
            if (c != ',') {
                return "bad hex data";
            }
            ++pos;
            expectByte = true;
            continue;
        }
        const int high = hexDigitValue(c);
        if (high < 0) {
            return "bad hex data";
        }
        int value = high;
        ++pos;
        if (pos < text.size() && hexDigitValue(text[pos]) >= 0) {
            value = value * 16 + hexDigitValue(text[pos]);
            ++pos;
        }
        if (bytes != nullptr) {
            bytes->push_back(static_cast<char>(value));
        }
        expectByte = false;
    }
    return nullptr;
}

std::size_t appendEscaped(std::string& out, std::u16string_view units, std::string_view specials) {
    const std::size_t start = out.size();
    for (std::size_t k = 0; k < units.size(); ++k) {
        const char16_t c = units[k];
        const bool hasNext = k + 1 < units.size();
        if (c > 127) {
            // The reader takes up to four hex digits, so a following hex digit forces four.
            out += "\\x";
            appendHexNumber(out, c, hasNext && isHexDigit(units[k + 1]) ? 4 : 1);
            continue;
        }
        if (c < 32) {
            out.push_back('\\');
            if (const char letter = controlEscape(c)) {
                out.push_back(letter);
            } else {
                const bool octalFollows = hasNext && units[k + 1] >= u'0' && units[k + 1] <= u'7';
                appendOctal(out, c, octalFollows);
            }
            continue;
        }
        const char ascii = static_cast<char>(c);
        if (ascii == '\\' || specials.find(ascii) != std::string_view::npos) {
            out.push_back('\\');
        }
        out.push_back(ascii);
    }
    return out.size() - start;
}

std::size_t appendEscapedName(std::string& out, std::string_view unitText,
                              std::string_view specials) {
    bool plain = true;
    for (const char c : unitText) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 127 || c == '\\' || specials.find(c) != std::string_view::npos) {
            plain = false;
            break;
        }
    }
    if (plain) {
        out.append(unitText);
        return unitText.size();
    }
    return appendEscaped(out, unittext::toUtf16(unitText), specials);
}

void appendValueLine(std::string& out, std::string_view nameUnitText, std::uint32_t type,
                     std::string_view bytes) {
    std::size_t count;
    if (nameUnitText.empty()) {
        out += "@=";
        count = 2;
    } else {
        out.push_back('"');
        count = 1 + appendEscapedName(out, nameUnitText, quoteSpecials);
        out += "\"=";
        count += 2;
    }
    const bool terminatedString = regtype::isString(type) && bytes.size() >= 2 &&
                                  bytes.size() % 2 == 0 && bytes[bytes.size() - 1] == '\0' &&
                                  bytes[bytes.size() - 2] == '\0';
    if (terminatedString) {
        if (type != regtype::sz) {
            out += "str(";
            appendHexNumber(out, type, 1);
            out += "):";
        }
        out.push_back('"');
        const std::u16string units = utf16BytesToUnits(bytes);
        appendEscaped(out, std::u16string_view(units).substr(0, units.size() - 1), quoteSpecials);
        out += "\"\n";
        return;
    }
    if (type == regtype::dword && bytes.size() == 4) {
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k])) << (8 * k);
        }
        out += "dword:";
        appendHexNumber(out, value, 8);
        out.push_back('\n');
        return;
    }
    const std::size_t tagStart = out.size();
    if (type == regtype::binary) {
        out += "hex:";
    } else {
        out += "hex(";
        appendHexNumber(out, type, 1);
        out += "):";
    }
    count += out.size() - tagStart;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const auto byte = static_cast<unsigned char>(bytes[k]);
        out.push_back(hexDigit(byte >> 4));
        out.push_back(hexDigit(byte));
        count += 2;
        if (k + 1 < bytes.size()) {
            out.push_back(',');
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out.push_back('\n');
}

} // namespace tolvane::prefix::regfile
