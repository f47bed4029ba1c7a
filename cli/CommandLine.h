#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvane {

// The parsed form of `tolvane-cli [--prefix DIR | --windows MOUNT [--user NAME]] COMMAND
// [ARGS...]`.
struct CommandLine {
    std::optional<std::filesystem::path> prefix;
    // An offline Windows installation mounted at this folder, and the user whose hives are
    // HKEY_CURRENT_USER (Linux only).
    std::optional<std::filesystem::path> windows;
    std::optional<std::string> user;
    std::string command;
    std::vector<std::string> arguments;
    // --no-wait (anywhere): a changing command fails instead of waiting for another Tolvane
    // process that works on the same prefix.
    bool noWait = false;

    // Removes `flag` from the arguments; true when it was there.
    bool takeFlag(std::string_view flag);
    // Removes `option VALUE` from the arguments and returns VALUE; an error when the value is
    // missing, std::nullopt when the option is absent.
    Result<std::optional<std::string>> takeOption(std::string_view option);
};

Result<CommandLine> parseCommandLine(std::span<const std::string> words);

} // namespace tolvane
