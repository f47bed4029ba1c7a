#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// `text` as a JSON string literal, quotes included. Bytes of 0x80 and above pass through
// (the texts are UTF-8); control characters are escaped.
std::string jsonString(std::string_view text);

} // namespace tolvane
