#pragma once

#include "platform/RegFileWriter.h"
#include "platform/RegistryTypes.h"
#include "platform/Result.h"

#include <cstdint>
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

// Reads a whole .reg file of either format, as the registry editor accepts them: UTF-16LE
// with a byte-order mark or 8-bit text; LF, CRLF or CR line ends; ";" comments; hex data
// continued over lines ending in "\". Anything it does not understand is refused with the
// line number and the reason, and nothing of the file is returned.
class RegFileReader {
public:
    static Result<RegFileContents> parse(std::string_view bytes);

private:
    RegFileReader(std::u16string_view text, bool wide);

    Result<RegFileContents> run();
    Result<void> parseLine(std::u16string_view line);
    Result<void> parseKeyLine(std::u16string_view rest);
    Result<void> parseValueLine(std::u16string_view rest, std::u16string name);
    Result<void> parseData(std::u16string_view data);
    Result<void> parseHexStart(std::u16string_view data);
    Result<void> continueHex(std::u16string_view line);
    Result<bool> appendHexBytes(std::u16string_view text);
    Result<void> finishValue();
    Result<std::size_t> readQuoted(std::u16string_view text, std::size_t pos,
                                   std::u16string& out) const;
    Error fault(std::string_view reason) const;

    std::u16string_view text_;
    bool wide_;
    std::size_t line_ = 0;
    bool haveKey_ = false;
    bool inHexData_ = false;
    std::size_t continuedAt_ = 0;
    RegFileEntry pending_;
    RegFileContents contents_;
};

} // namespace tolvane
