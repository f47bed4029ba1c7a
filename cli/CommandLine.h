#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvane {

// The parsed form of `tolvane-cli [--prefix DIR] COMMAND [ARGS...]`.
struct CommandLine {
    std::optional<std::filesystem::path> prefix;
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
