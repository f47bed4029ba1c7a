#pragma once

#include "platform/base/Utf16Text.h"

#include <cstddef>
#include <string>
#include <string_view>

// Names inside the engine are "unit text": every UTF-16 code unit of the name written as the
// 1 to 3 byte UTF-8 form of that unit, surrogates one by one. ASCII names are plain bytes (so a
// name read from a file can stay a view of the file), and every UTF-16 name, with lone
// surrogates or NULs, has exactly one form.
namespace tolvane::prefix::unittext {

using tolvane::replacementCharacter;

void appendUnit(std::string& out, char16_t unit);
// The unit at `pos` of valid unit text; advances `pos` past it.
char16_t nextUnit(std::string_view text, std::size_t& pos);
std::size_t unitCount(std::string_view text);

// Wine's order: units folded to lower case, compared one by one, the shorter name first on a
// common prefix. Returns <0, 0 or >0.
int compareNames(std::string_view left, std::string_view right);

std::string fromUtf16(std::u16string_view units);
std::u16string toUtf16(std::string_view text);
// Invalid UTF-8 bytes become U+FFFD, as the Windows conversion does.
std::string fromUtf8(std::string_view utf8);
// Surrogate pairs are joined; a lone surrogate becomes U+FFFD.
std::string toUtf8(std::string_view text);

// String data as the registry stores it: UTF-16LE bytes.
using tolvane::utf16BytesToUtf8;
using tolvane::utf8ToUtf16Bytes;

} // namespace tolvane::prefix::unittext
