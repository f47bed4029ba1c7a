#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// Win32 takes NUL-terminated texts. A text with a NUL inside would reach the API cut short and
// name something else (another file), so this refuses it with std::nullopt.
std::optional<std::string> terminatedText(std::string_view text);

// 8-bit `text` of the ANSI code page in UTF-16; std::nullopt when it is no valid text there.
std::optional<std::wstring> ansiToWide(std::string_view text);

// `text` in the process's ANSI code page; std::nullopt when a character has no exact
// counterpart there (Win32 would put a look-alike or "?" in its place).
std::optional<std::string> wideToAnsi(std::wstring_view text);

} // namespace tolvane
