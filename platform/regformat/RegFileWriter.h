#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace tolvane {

// The two .reg formats the registry editor speaks.
enum class RegFileFormat {
    regedit4, // "REGEDIT4": 8-bit text
    version5, // "Windows Registry Editor Version 5.00": UTF-16LE with a byte-order mark
};

// Writes a .reg file the way the registry editor does: the header, then for every key a blank
// line, "[path]" and its value lines, all lines ending in CRLF, and one blank line at the end.
// Output goes to `out` in large blocks; finish() writes the rest and reports a failed stream.
//
// What the format cannot carry is refused rather than written wrong: a NUL, CR or LF in a key
// path, a NUL in a value name, and in REGEDIT4 any text the 8-bit code page cannot hold.
class RegFileWriter {
public:
    RegFileWriter(std::ostream& out, RegFileFormat format);
    RegFileWriter(const RegFileWriter&) = delete;
    RegFileWriter& operator=(const RegFileWriter&) = delete;

    // `path` is the full key name: root name, backslash, path.
    Result<void> writeKey(std::u16string_view path);
    // `data` holds the bytes exactly as stored (strings in UTF-16LE).
    Result<void> writeValue(std::u16string_view name, std::uint32_t type, std::string_view data);
    Result<void> finish();

private:
    void putAscii(std::string_view text);
    bool putText(std::u16string_view text);
    void putHexBytes(std::string_view bytes, std::size_t lineLength);
    void flushIfFull();
    Result<void> writeHexValue(std::uint32_t type, std::string_view data, std::size_t lineLength);

    std::ostream& out_;
    RegFileFormat format_;
    std::string buffer_;
    std::u16string scratch_;
};

} // namespace tolvane
