#include "platform/regformat/RegFileWriter.h"

#include "platform/RegistryTypes.h"
#include "platform/base/AsciiText.h"
#include "platform/base/HexText.h"
#include "platform/base/Utf16Text.h"
#include "platform/regformat/RegFileText.h"

#include <ostream>

namespace tolvane {

namespace {

constexpr std::size_t flushThreshold = std::size_t{1} << 20;
// A hex line is broken once it reaches this many characters (the backslash comes after).
constexpr std::size_t hexLineLimit = 77;

// A REG_SZ that the quoted form carries exactly: UTF-16 text with one terminating NUL and no
// other. Anything else (unterminated, embedded NULs, an odd byte) goes out as hex(1) so that
// an import gives back the same bytes.
bool isPlainString(std::string_view data) {
    if (data.size() < 2 || data.size() % 2 != 0) {
        return false;
    }
    const std::size_t units = data.size() / 2;
    if (utf16UnitAt(data, units - 1) != u'\0') {
        return false;
    }
    for (std::size_t i = 0; i + 1 < units; ++i) {
        if (utf16UnitAt(data, i) == u'\0') {
            return false;
        }
    }
    return true;
}

void appendEscaped(std::u16string& out, std::u16string_view text) {
    for (const char16_t c : text) {
        switch (c) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'"':
            out += u"\\\"";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\n':
            out += u"\\n";
            break;
        default:
            out += c;
        }
    }
}

Error cannotWrite(std::string_view what, std::u16string_view text, std::string_view why) {
    return makeError(std::string(what) + " \"" + printable(text) + "\" " + std::string(why));
}

} // namespace

RegFileWriter::RegFileWriter(std::ostream& out, RegFileFormat format) : out_(out), format_(format) {
    buffer_.reserve(flushThreshold + 4096);
    if (format_ == RegFileFormat::version5) {
        buffer_ += "\xFF\xFE";
        putAscii("Windows Registry Editor Version 5.00\r\n");
    } else {
        putAscii("REGEDIT4\r\n");
    }
}

void RegFileWriter::putAscii(std::string_view text) {
    if (format_ == RegFileFormat::regedit4) {
        buffer_ += text;
        return;
    }
    const std::size_t start = buffer_.size();
    buffer_.resize(start + 2 * text.size());
    char* out = buffer_.data() + start;
    for (const char c : text) {
        *out++ = c;
        *out++ = '\0';
    }
}

bool RegFileWriter::putText(std::u16string_view text) {
    if (format_ == RegFileFormat::version5) {
        appendUtf16Bytes(buffer_, text);
        return true;
    }
    if (isAscii(text)) {
        for (const char16_t c : text) {
            buffer_ += static_cast<char>(c);
        }
        return true;
    }
    const auto narrow = wideToNarrow(text);
    if (!narrow) {
        return false;
    }
    buffer_ += *narrow;
    return true;
}

void RegFileWriter::flushIfFull() {
    if (buffer_.size() >= flushThreshold) {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }
}

Result<void> RegFileWriter::writeKey(std::u16string_view path) {
    if (path.find_first_of(std::u16string_view(u"\0\r\n", 3)) != std::u16string_view::npos) {
        return cannotWrite("key", path, "has a NUL, CR or LF in its name");
    }
    putAscii("\r\n[");
    if (!putText(path)) {
        return cannotWrite("key", path, "has characters that 8-bit text cannot hold");
    }
    putAscii("]\r\n");
    flushIfFull();
    return {};
}

Result<void> RegFileWriter::writeValue(std::u16string_view name, std::uint32_t type,
                                       std::string_view data) {
    std::size_t lineLength = 0;
    if (name.empty()) {
        putAscii("@=");
        lineLength = 2;
    } else {
        if (name.find(u'\0') != std::u16string_view::npos) {
            return cannotWrite("value", name, "has a NUL in its name");
        }
        scratch_.assign(1, u'"');
        appendEscaped(scratch_, name);
        scratch_ += u"\"=";
        if (!putText(scratch_)) {
            return cannotWrite("value", name, "has characters that 8-bit text cannot hold");
        }
        lineLength = scratch_.size();
    }

    if (type == regtype::sz && isPlainString(data)) {
        scratch_.assign(1, u'"');
        appendEscaped(scratch_, utf16BytesToUnits(data.substr(0, data.size() - 2)));
        scratch_ += u'"';
        if (!putText(scratch_)) {
            return cannotWrite("value", name, "holds text that 8-bit text cannot hold");
        }
    } else if (type == regtype::dword && data.size() == 4) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            number |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
        }
        std::string text = "dword:";
        appendHexNumber(text, number, 8);
        putAscii(text);
    } else {
        auto written = writeHexValue(type, data, lineLength);
        if (!written) {
            return cannotWrite("value", name, written.message());
        }
    }
    putAscii("\r\n");
    flushIfFull();
    return {};
}

Result<void> RegFileWriter::writeHexValue(std::uint32_t type, std::string_view data,
                                          std::size_t lineLength) {
    std::string tag = "hex:";
    if (type != regtype::binary) {
        tag = "hex(" + hexNumber(type) + "):";
    }
    // REGEDIT4 keeps the strings of hex(1), hex(2) and hex(7) as 8-bit text.
    std::string narrowData;
    if (format_ == RegFileFormat::regedit4 && regtype::isString(type)) {
        auto narrow = data.size() % 2 == 0 ? wideToNarrow(utf16BytesToUnits(data)) : std::nullopt;
        if (!narrow) {
            return makeError("holds string data that a REGEDIT4 file cannot carry exactly");
        }
        narrowData = std::move(*narrow);
        data = narrowData;
    }
    putAscii(tag);
    putHexBytes(data, lineLength + tag.size());
    return {};
}

void RegFileWriter::putHexBytes(std::string_view bytes, std::size_t lineLength) {
    std::string text;
    text.reserve(bytes.size() * 3 + bytes.size() / 25 * 5 + 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text += hexDigit(byte >> 4);
        text += hexDigit(byte);
        if (i + 1 == bytes.size()) {
            break;
        }
        text += ',';
        lineLength += 3;
        if (lineLength >= hexLineLimit) {
            text += "\\\r\n  ";
            lineLength = 2;
        }
    }
    putAscii(text);
}

Result<void> RegFileWriter::finish() {
    putAscii("\r\n");
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
    out_.flush();
    if (!out_) {
        return makeError("the file could not be written");
    }
    return {};
}

} // namespace tolvane
