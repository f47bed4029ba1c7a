#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The Win32 file calls that the Linux backends answer from the host alike: the size rule of
// string results, the temporary folder and GetTempFileNameA's names.
namespace tolvane::hostfiles {

// Win32 size rules: the length without the NUL when `text` fits `size`, else the size needed
// with the NUL and `buffer` untouched.
std::uint32_t copyOut(std::string_view text, std::string& buffer, std::uint32_t size);

// $TMPDIR, else /tmp.
std::filesystem::path temporaryFolder();

// GetTempFileNameA on a host folder: "<folder>/<first 3 characters of prefix><hex>.tmp". A
// non-zero `unique` only names the file; zero creates a new empty file with the first free
// number. Returns the number used, or 0 when the folder is missing, too long or full.
std::uint32_t tempFileName(std::string_view path, std::string_view prefix, std::uint32_t unique,
                           std::string& tempFile);

} // namespace tolvane::hostfiles
