#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::discovery {

// Launchers' configuration files are small; anything bigger is not one of them.
constexpr std::uintmax_t maxConfigFileBytes = 16 * 1024 * 1024;

// The whole content of a launcher's file, refused when it is missing, unreadable or bigger
// than `limit`.
Result<std::string> readConfigFile(const std::filesystem::path& file,
                                   std::uintmax_t limit = maxConfigFileBytes);

// The entries of `folder`, sorted by name; a missing folder has none, an unreadable one is
// an error.
Result<std::vector<std::filesystem::path>> listFolder(const std::filesystem::path& folder);

// Whether `path` is a folder (following links; a link loop is not one).
bool isFolder(const std::filesystem::path& path);
bool isFile(const std::filesystem::path& path);

// A Wine prefix: a folder with drive_c/ and system.reg or user.reg.
bool isPrefixFolder(const std::filesystem::path& path);

// "<path>: <reason>" for an error code.
std::string describeFailure(const std::filesystem::path& path, const std::error_code& error);

} // namespace tolvane::discovery
