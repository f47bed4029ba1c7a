#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane {

// Host paths to and from the program's 8-bit texts, which are UTF-8 everywhere (on Windows
// through the UTF-8 code page the executables run with). std::filesystem's own conversions of
// char strings use the system's narrow encoding, which on Windows is another one: a path made
// from a UTF-8 std::string there names a different file as soon as it holds non-ASCII.
std::filesystem::path pathFromText(std::string_view text);
std::string textFromPath(const std::filesystem::path& path);

// The folder holding `file`: its parent, or "." for a bare file name.
std::filesystem::path folderOf(const std::filesystem::path& file);

} // namespace tolvane
