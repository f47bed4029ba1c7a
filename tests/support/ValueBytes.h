#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane::test {

// The stored bytes of registry values, as tests build them.

// UTF-16LE bytes of `text`, without a terminating NUL.
std::string utf16(std::u16string_view text);
// The bytes a string value holds: UTF-16LE with the terminating NUL.
std::string sz(std::u16string_view text);
// A little-endian DWORD.
std::string dword(std::uint32_t value);

} // namespace tolvane::test
