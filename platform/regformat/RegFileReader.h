#pragma once

#include "platform/RegistryTypes.h"
#include "platform/Result.h"
#include "platform/regformat/RegFileWriter.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// One change a .reg file asks for, in file order.
struct RegFileEntry {
    enum class Kind : std::uint8_t {
        openKey,     // "[ROOT\path]": create the key and make it the current one
        deleteKey,   // "[-ROOT\path]": delete the key with everything below it
        setValue,    // "name"=data under the current key
        deleteValue, // "name"=- under the current key
    };

    Kind kind = Kind::openKey;
    std::uint32_t type = 0;
    std::size_t line = 0;
    HKey root = HKey::null;
    // The key path below `root`, or the value name ("" for the default value).
    std::u16string name;
    // The value's bytes exactly as they are to be stored (strings in UTF-16LE).
    std::string data;
};

struct RegFileContents {
    RegFileFormat format = RegFileFormat::version5;
    std::vector<RegFileEntry> entries;
};

// Reads a .reg file of either format, as the registry editor accepts them: UTF-16LE with a
// byte-order mark or 8-bit text; LF, CRLF or CR line ends; ";" comments; hex data continued over
// lines ending in "\". Anything it does not understand is refused with the line number and the
// reason.
//
// open() decodes the text and checks the header; read() then hands out the entries one by one,
// in file order, until the end or the first malformed line. Large files are read twice (once
// to check, once to apply) rather than held as entries.
class RegFileReader {
public:
    using EntrySink = std::function<void(const RegFileEntry&)>;

    static Result<RegFileReader> open(std::string_view bytes);
    // Files above maxFileSize, and anything but a regular file, are refused before reading.
    static Result<RegFileReader> openFile(const std::filesystem::path& file);
    static constexpr std::uint64_t maxFileSize = std::uint64_t{1} << 30;
    // The whole file as entries, for small files and tests.
    static Result<RegFileContents> parse(std::string_view bytes);

    RegFileFormat format() const { return format_; }
    // Calls `sink` for every entry. The entry handed out is only valid during the call.
    Result<void> read(const EntrySink& sink);

private:
    RegFileReader(std::u16string text, bool wide);
    static Result<RegFileReader> fromText(std::u16string text, bool wide);

    Result<void> readHeader();
    Result<void> parseLine(std::u16string_view line);
    Result<void> parseKeyLine(std::u16string_view rest);
    Result<void> parseValueLine(std::u16string_view rest);
    Result<void> parseData(std::u16string_view data);
    Result<void> parseHexStart(std::u16string_view data);
    Result<void> continueHex(std::u16string_view line);
    Result<bool> appendHexBytes(std::u16string_view text);
    Result<void> finishValue();
    void emit(const RegFileEntry& entry);
    Result<std::size_t> readQuoted(std::u16string_view text, std::size_t pos,
                                   std::u16string& out) const;
    Error fault(std::string_view reason) const;

    std::u16string text_;
    bool wide_;
    RegFileFormat format_ = RegFileFormat::version5;
    std::size_t bodyStart_ = 0;

    // State of one read().
    const EntrySink* sink_ = nullptr;
    std::size_t line_ = 0;
    bool haveKey_ = false;
    bool inHexData_ = false;
    std::size_t continuedAt_ = 0;
    RegFileEntry key_;
    RegFileEntry value_;
    std::u16string scratch_;
};

} // namespace tolvane
