#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Case folding of registry names as the program compares them: ASCII letters only, since the
// 8-bit texts are UTF-8 on Linux and folding other bytes could break a character.
std::string asciiLower(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace tolvane
