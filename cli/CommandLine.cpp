#include "cli/CommandLine.h"

#include <algorithm>

namespace tolvane {

bool CommandLine::takeFlag(std::string_view flag) {
    const auto it = std::find(arguments.begin(), arguments.end(), flag);
    if (it == arguments.end()) {
        return false;
    }
    arguments.erase(it);
    return true;
}

Result<std::optional<std::string>> CommandLine::takeOption(std::string_view option) {
    const auto it = std::find(arguments.begin(), arguments.end(), option);
    if (it == arguments.end()) {
        return std::optional<std::string>{};
    }
    if (std::next(it) == arguments.end()) {
        return makeError(std::string(option) + " needs a value");
    }
    std::string value = *std::next(it);
    arguments.erase(it, std::next(it, 2));
    return std::optional<std::string>{std::move(value)};
}

Result<CommandLine> parseCommandLine(std::span<const std::string> words) {
    CommandLine line;
    std::size_t i = 0;
    while (i < words.size() && words[i].starts_with("--") && line.command.empty()) {
        const std::string& word = words[i];
        if (word == "--prefix") {
            if (i + 1 >= words.size()) {
                return makeError("--prefix needs a folder");
            }
            line.prefix = std::filesystem::path(words[i + 1]);
            i += 2;
        } else if (word.starts_with("--prefix=")) {
            line.prefix = std::filesystem::path(word.substr(9));
            ++i;
        } else if (word == "--windows" || word == "--user") {
            if (i + 1 >= words.size()) {
                return makeError(word + (word == "--user"
                                             ? " needs a user name"
                                             : " needs the folder Windows is mounted at"));
            }
            if (word == "--user") {
                line.user = words[i + 1];
            } else {
                line.windows = std::filesystem::path(words[i + 1]);
            }
            i += 2;
        } else if (word.starts_with("--windows=")) {
            line.windows = std::filesystem::path(word.substr(10));
            ++i;
        } else if (word.starts_with("--user=")) {
            line.user = word.substr(7);
            ++i;
        } else if (word == "--no-wait") {
            line.noWait = true;
            ++i;
        } else if (word == "--help") {
            line.command = "help";
            ++i;
        } else {
            return makeError("unknown option " + word);
        }
    }
    if (line.windows && line.prefix) {
        return makeError("--windows and --prefix exclude each other");
    }
#ifdef _WIN32
    if (line.windows) {
        return makeError("--windows works on Linux only; here the live registry is cleaned");
    }
#endif
    if (line.user && !line.windows) {
        return makeError("--user needs --windows MOUNT");
    }
    if (line.command.empty()) {
        if (i >= words.size()) {
            return makeError("no command given");
        }
        line.command = words[i++];
    }
    line.arguments.assign(words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
    line.noWait = line.takeFlag("--no-wait") || line.noWait;
    return line;
}

} // namespace tolvane
