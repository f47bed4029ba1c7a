#include "platform/regformat/RegFileReader.h"

#ifndef _WIN32
#include "platform/base/FileDescriptor.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/base/AsciiText.h"
#include "platform/base/HexText.h"
#include "platform/base/Utf16Text.h"
#include "platform/regformat/RegFileRoots.h"
#include "platform/regformat/RegFileText.h"

#include <algorithm>
#include <fstream>

namespace tolvane {

namespace {

constexpr std::u16string_view headerVersion5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view headerRegedit4 = u"REGEDIT4";

std::size_t skipBlanks(std::u16string_view text, std::size_t pos) {
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// How many hex digits follow from `pos` on.
std::size_t hexDigitsAt(std::u16string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && isHexDigit(text[end])) {
        ++end;
    }
    return end - pos;
}

// The number hex digits spell; only the last eight count.
std::uint32_t hexValueOf(std::u16string_view digits) {
    std::uint32_t value = 0;
    for (const char16_t digit : digits) {
        value = (value << 4) | static_cast<unsigned>(hexDigitValue(digit));
    }
    return value;
}

// Only blanks, or a ";" comment, from `pos` to the end of the line.
bool restIsEmpty(std::u16string_view text, std::size_t pos) {
    pos = skipBlanks(text, pos);
    return pos == text.size() || text[pos] == u';';
}

// The line number of position `pos`; CR, LF and CRLF each end one line.
std::size_t lineAt(std::u16string_view text, std::size_t pos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < pos && i < text.size(); ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) {
            ++line;
        }
    }
    return line;
}

std::size_t lineAt(std::string_view bytes, std::size_t pos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < pos && i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

Error faultAt(std::size_t line, std::string_view reason) {
    return makeError("line " + std::to_string(line) + ": " + std::string(reason));
}

// Converts 8-bit text; when that fails, names the first line that cannot be converted.
Result<std::u16string> decodeNarrow(std::string_view bytes) {
    if (isAscii(bytes)) {
        return std::u16string(bytes.begin(), bytes.end());
    }
    if (auto wide = narrowToWide(bytes)) {
        return std::move(*wide);
    }
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        if (!narrowToWide(bytes.substr(start, end - start))) {
            return faultAt(lineAt(bytes, start), "text that is not valid in this code page");
        }
        start = end + 1;
    }
    return faultAt(lineAt(bytes, bytes.size()), "text that is not valid in this code page");
}

} // namespace

Result<RegFileReader> RegFileReader::open(std::string_view bytes) {
    if (bytes.empty()) {
        return faultAt(1, "the file is empty");
    }
    std::u16string text;
    bool wide = false;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        const auto body = bytes.substr(2);
        text = utf16BytesToUnits(body);
        if (body.size() % 2 != 0) {
            return faultAt(lineAt(text, text.size()), "UTF-16 text ends in half a character");
        }
        wide = true;
    } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        return faultAt(1, "big-endian UTF-16 is not a registry file format");
    } else {
        if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') {
            return faultAt(1, "UTF-16 text without a byte-order mark");
        }
        const auto nul = bytes.find('\0');
        if (nul != std::string_view::npos) {
            return faultAt(lineAt(bytes, nul), "a NUL byte: this is not a text file");
        }
        auto decoded = decodeNarrow(bytes);
        if (!decoded) {
            return decoded.error();
        }
        text = std::move(decoded.value());
    }
    return fromText(std::move(text), wide);
}

Result<RegFileReader> RegFileReader::openFile(const std::filesystem::path& file) {
    std::string bytes;
#ifdef _WIN32
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return makeError(error ? "cannot read the file" : "not a regular file");
    }
    const auto size = std::filesystem::file_size(file, error);
    if (error) {
        return makeError("cannot read the file");
    }
    if (size > maxFileSize) {
        return makeError("the file is " + std::to_string(size) + " bytes long, more than the " +
                         std::to_string(maxFileSize) + " bytes such a file may have");
    }
    std::ifstream in(file, std::ios::binary);
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in || static_cast<std::size_t>(in.gcount()) != bytes.size()) {
        return makeError("cannot read the file");
    }
#else
    // Never blocks: a FIFO or a device is refused before the first read.
    auto opened = FileDescriptor::openRegularFile(file, maxFileSize);
    if (!opened) {
        // The caller names the file.
        const std::string& message = opened.message();
        const std::string prefix = file.string() + ": ";
        return makeError(message.starts_with(prefix) ? message.substr(prefix.size()) : message);
    }
    struct stat info {};
    ::fstat(opened->get(), &info);
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(opened->get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return makeError("cannot read the file");
        }
        done += static_cast<std::size_t>(got);
    }
#endif
    return open(bytes);
}

Result<RegFileReader> RegFileReader::fromText(std::u16string text, bool wide) {
    RegFileReader reader(std::move(text), wide);
    if (auto header = reader.readHeader(); !header) {
        return header.error();
    }
    return reader;
}

Result<RegFileContents> RegFileReader::parse(std::string_view bytes) {
    auto reader = open(bytes);
    if (!reader) {
        return reader.error();
    }
    RegFileContents contents;
    contents.format = reader->format();
    auto read = reader->read([&](const RegFileEntry& entry) { contents.entries.push_back(entry); });
    if (!read) {
        return read.error();
    }
    return contents;
}

RegFileReader::RegFileReader(std::u16string text, bool wide)
    : text_(std::move(text)), wide_(wide) {}

Error RegFileReader::fault(std::string_view reason) const {
    return faultAt(line_, reason);
}

Result<void> RegFileReader::readHeader() {
    const auto end = text_.find_first_of(u"\r\n");
    const std::u16string_view line =
        std::u16string_view(text_).substr(0, end == std::u16string::npos ? text_.size() : end);
    line_ = 1;
    if (end == std::u16string::npos) {
        return fault("the header line has no line end");
    }
    if (line.find(u'\0') != std::u16string_view::npos) {
        return fault("a NUL character: this is not a text file");
    }
    const auto header = line.substr(skipBlanks(line, 0));
    if (header == headerVersion5) {
        format_ = RegFileFormat::version5;
    } else if (header == headerRegedit4) {
        format_ = RegFileFormat::regedit4;
    } else {
        return fault("not a registry file: the first line must be \"REGEDIT4\" or "
                     "\"Windows Registry Editor Version 5.00\"");
    }
    bodyStart_ = line.size();
    return {};
}

void RegFileReader::emit(const RegFileEntry& entry) {
    (*sink_)(entry);
}

Result<void> RegFileReader::read(const EntrySink& sink) {
    sink_ = &sink;
    line_ = 1;
    haveKey_ = false;
    inHexData_ = false;
    const std::u16string_view text(text_);
    std::size_t pos = bodyStart_;
    while (pos < text.size()) {
        // `pos` is at the end of the previous line.
        pos += text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n' ? 2 : 1;
        std::size_t end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
            ++end;
        }
        const auto line = text.substr(pos, end - pos);
        ++line_;
        pos = end;
        if (line.find(u'\0') != std::u16string_view::npos) {
            return fault("a NUL character: this is not a text file");
        }
        if (auto parsed = parseLine(line); !parsed) {
            return parsed.error();
        }
    }
    if (inHexData_) {
        return faultAt(continuedAt_, "the hex data continues past the end of the file");
    }
    return {};
}

Result<void> RegFileReader::parseLine(std::u16string_view line) {
    if (inHexData_) {
        return continueHex(line);
    }
    const std::size_t pos = skipBlanks(line, 0);
    if (pos == line.size() || line[pos] == u';') {
        return {};
    }
    switch (line[pos]) {
    case u'[':
        return parseKeyLine(line.substr(pos + 1));
    case u'@':
        value_.name.clear();
        return parseValueLine(line.substr(pos + 1));
    case u'"': {
        auto after = readQuoted(line, pos + 1, value_.name);
        if (!after) {
            return after.error();
        }
        return parseValueLine(line.substr(*after));
    }
    default:
        return fault("not a key, value or comment line");
    }
}

Result<void> RegFileReader::parseKeyLine(std::u16string_view rest) {
    if (!rest.empty() && isBlank(rest[0])) {
        return fault("a blank after \"[\"");
    }
    const auto close = rest.rfind(u']');
    if (close == std::u16string_view::npos) {
        return fault("a key line without \"]\"");
    }
    if (!restIsEmpty(rest, close + 1)) {
        return fault("text after the \"]\" of a key line");
    }
    auto name = rest.substr(0, close);
    const bool deletion = !name.empty() && name[0] == u'-';
    if (deletion) {
        name.remove_prefix(1);
    }
    const auto key = splitRootedKeyPath(name);
    if (!key) {
        return fault("an unknown root key (the full names HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                     "HKEY_LOCAL_MACHINE, HKEY_USERS and HKEY_CURRENT_CONFIG are known)");
    }
    key_.line = line_;
    key_.root = key->root;
    key_.name.assign(key->path);
    if (deletion) {
        if (key_.name.find_first_not_of(u'\\') == std::u16string::npos) {
            return fault("a root key cannot be deleted");
        }
        key_.kind = RegFileEntry::Kind::deleteKey;
        haveKey_ = false;
    } else {
        key_.kind = RegFileEntry::Kind::openKey;
        haveKey_ = true;
    }
    emit(key_);
    return {};
}

Result<void> RegFileReader::parseValueLine(std::u16string_view rest) {
    std::size_t pos = skipBlanks(rest, 0);
    if (pos == rest.size() || rest[pos] != u'=') {
        return fault("\"=\" expected after the value name");
    }
    pos = skipBlanks(rest, pos + 1);
    auto data = rest.substr(pos);
    while (!data.empty() && isBlank(data.back())) {
        data.remove_suffix(1);
    }
    if (!haveKey_) {
        return fault("a value line that belongs to no key");
    }
    if (data.empty()) {
        return fault("a value without data");
    }
    value_.line = line_;
    value_.type = 0;
    value_.data.clear();
    if (data[0] == u'-') {
        if (!restIsEmpty(data, 1)) {
            return fault("text after \"=-\"");
        }
        value_.kind = RegFileEntry::Kind::deleteValue;
        emit(value_);
        return {};
    }
    value_.kind = RegFileEntry::Kind::setValue;
    return parseData(data);
}

Result<void> RegFileReader::parseData(std::u16string_view data) {
    if (data[0] == u'"') {
        auto after = readQuoted(data, 1, scratch_);
        if (!after) {
            return after.error();
        }
        if (!restIsEmpty(data, *after)) {
            return fault("text after the closing quote of a string");
        }
        value_.type = regtype::sz;
        appendUtf16Bytes(value_.data, scratch_);
        value_.data.append(2, '\0');
        emit(value_);
        return {};
    }
    if (data.starts_with(u"dword:")) {
        std::size_t pos = skipBlanks(data, 6);
        const std::size_t digits = hexDigitsAt(data, pos);
        const std::uint32_t number = hexValueOf(data.substr(pos, digits));
        pos += digits;
        if (digits == 0 || digits > 8 || !restIsEmpty(data, pos)) {
            return fault("a dword needs 1 to 8 hex digits");
        }
        value_.type = regtype::dword;
        for (int i = 0; i < 4; ++i) {
            value_.data += static_cast<char>((number >> (8 * i)) & 0xFF);
        }
        emit(value_);
        return {};
    }
    if (data.starts_with(u"hex:")) {
        value_.type = regtype::binary;
        return parseHexStart(data.substr(4));
    }
    if (data.starts_with(u"hex(")) {
        const std::size_t digits = hexDigitsAt(data, 4);
        const std::size_t pos = 4 + digits;
        if (digits == 0 || digits > 8 || data.substr(pos, 2) != u"):") {
            return fault("a type number hex(N): needs 1 to 8 hex digits");
        }
        value_.type = hexValueOf(data.substr(4, digits));
        return parseHexStart(data.substr(pos + 2));
    }
    return fault("an unknown value type (expected \"...\", dword:, hex: or hex(N):)");
}

Result<void> RegFileReader::parseHexStart(std::u16string_view data) {
    auto continues = appendHexBytes(data);
    if (!continues) {
        return continues.error();
    }
    if (*continues) {
        inHexData_ = true;
        continuedAt_ = line_;
        return {};
    }
    return finishValue();
}

Result<void> RegFileReader::continueHex(std::u16string_view line) {
    const std::size_t pos = skipBlanks(line, 0);
    if (pos == line.size() || line[pos] == u';') {
        return {};
    }
    if (!isHexDigit(line[pos])) {
        return fault("hex data expected after a line ending in \"\\\"");
    }
    auto continues = appendHexBytes(line.substr(pos));
    if (!continues) {
        return continues.error();
    }
    if (*continues) {
        continuedAt_ = line_;
        return {};
    }
    inHexData_ = false;
    return finishValue();
}

Result<bool> RegFileReader::appendHexBytes(std::u16string_view text) {
    std::size_t pos = 0;
    for (;;) {
        pos = skipBlanks(text, pos);
        if (pos == text.size() || text[pos] == u';') {
            return false;
        }
        if (text[pos] == u'\\') {
            if (!restIsEmpty(text, pos + 1)) {
                return fault("text after the \"\\\" that continues hex data");
            }
            return true;
        }
        if (!isHexDigit(text[pos])) {
            return fault("bad hex data");
        }
        unsigned byte = 0;
        while (pos < text.size() && isHexDigit(text[pos])) {
            byte = (byte << 4) | static_cast<unsigned>(hexDigitValue(text[pos]));
            if (byte > 0xFF) {
                return fault("a hex byte above ff");
            }
            ++pos;
        }
        value_.data += static_cast<char>(byte);
        pos = skipBlanks(text, pos);
        if (pos == text.size() || text[pos] == u';') {
            return false;
        }
        if (text[pos] != u',') {
            return fault("bad hex data");
        }
        ++pos;
    }
}

Result<void> RegFileReader::finishValue() {
    // 8-bit files hold the strings of hex(1), hex(2) and hex(7) as 8-bit text.
    if (!wide_ && regtype::isString(value_.type)) {
        auto text = narrowToWide(value_.data);
        if (!text) {
            return faultAt(value_.line, "string data that is not valid in this code page");
        }
        value_.data.clear();
        appendUtf16Bytes(value_.data, *text);
    }
    emit(value_);
    return {};
}

Result<std::size_t> RegFileReader::readQuoted(std::u16string_view text, std::size_t pos,
                                              std::u16string& out) const {
    out.clear();
    while (pos < text.size()) {
        const char16_t c = text[pos];
        if (c == u'"') {
            return pos + 1;
        }
        if (c != u'\\') {
            out += c;
            ++pos;
            continue;
        }
        if (pos + 1 >= text.size()) {
            break;
        }
        switch (text[pos + 1]) {
        case u'\\':
            out += u'\\';
            break;
        case u'"':
            out += u'"';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        default:
            return fault("an unknown escape sequence (only \\\\, \\\", \\n and \\r are known)");
        }
        pos += 2;
    }
    return fault("a quoted text without its closing quote");
}

} // namespace tolvane
