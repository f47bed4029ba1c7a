#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text forms of Wine's registry files (system.reg, user.reg, userdef.reg): escapes of
// names and strings, and the data forms of value lines, both ways.
namespace tolvane::prefix::regfile {

// Characters escaped with a backslash besides the backslash itself.
inline constexpr std::string_view quoteSpecials = "\"";
inline constexpr std::string_view keySpecials = "[]";

// --- reading ---

// Decodes escaped text from `pos` up to an unescaped `terminator`, which is consumed; with
// terminator '\0' up to the end of `text`. Appends the UTF-16 units to `out` (null: check
// only). Returns null on success, otherwise the reason.
const char* decodeString(std::string_view text, std::size_t& pos, char terminator,
                         std::u16string* out);

// Decodes checked string text (what stands between the quotes) straight to UTF-8, appended to
// `out` (null: count only), and counts the UTF-16 units it stands for. False when the text
// escapes a surrogate, which only the UTF-16 form can pair up.
bool decodeStringToUtf8(std::string_view text, std::string* out, std::size_t& units);

enum class DataForm : std::uint8_t { string, dword, hex };

struct DataSyntax {
    std::uint32_t type = 0;
    DataForm form = DataForm::hex;
    // Where the data proper starts: after the opening quote, or after the colon.
    std::size_t bodyOffset = 0;
};

// Reads the type tag at the start of `text` (what follows "name"=). Null or the reason.
const char* parseDataTag(std::string_view text, DataSyntax& syntax);

// Checks the data after the tag (null `bytes`) or decodes it to the stored bytes. Hex data may
// span continuation lines ("\\\n  ").
const char* decodeData(std::string_view text, const DataSyntax& syntax, std::string* bytes);

// The number of bytes that checked hex data (what follows the colon) decodes to: one for each
// run of hex digits.
std::size_t hexByteCount(std::string_view body);

// Whether a hex line goes on in the next line (it ends with a backslash).
bool continuesOnNextLine(std::string_view line);

// --- writing ---

// Appends `units` escaped as the files write them and returns the characters written.
std::size_t appendEscaped(std::string& out, std::u16string_view units, std::string_view specials);
// The same for a name held as unit text.
std::size_t appendEscapedName(std::string& out, std::string_view unitText,
                              std::string_view specials);

// Appends one complete value line (with its final newline) in the form wineserver writes.
void appendValueLine(std::string& out, std::string_view nameUnitText, std::uint32_t type,
                     std::string_view bytes);

} // namespace tolvane::prefix::regfile
