#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The 8-bit text of this platform (UTF-8 on Linux, the ANSI code page on Windows) and the
// UTF-16 of the registry. Both directions refuse what they cannot carry over without loss:
// invalid 8-bit sequences, unpaired surrogates, characters the code page lacks.
std::optional<std::u16string> narrowToWide(std::string_view text);
std::optional<std::string> wideToNarrow(std::u16string_view text);

// `text` for a message: converted where it can be, with "?" for what cannot.
std::string printable(std::u16string_view text);

} // namespace tolvane
