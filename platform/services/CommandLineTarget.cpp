#include "platform/services/CommandLineTarget.h"

#include "platform/base/AsciiText.h"

#include <algorithm>

namespace tolvane {

namespace {

bool startsWithText(std::string_view text, std::string_view start) {
    return text.size() >= start.size() &&
           equalsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::size_t skipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    return at;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t start = skipBlanks(text, 0);
    std::size_t end = text.size();
    while (end > start && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(start, end - start);
}

// The next blank-separated token, a quoted one without its quotes; `at` moves past it.
std::string_view nextToken(std::string_view text, std::size_t& at) {
    at = skipBlanks(text, at);
    if (at >= text.size()) {
        return {};
    }
    if (text[at] == '"') {
        const std::size_t close = text.find('"', at + 1);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        const std::string_view token = text.substr(at + 1, end - at - 1);
        at = std::min(text.size(), end + 1);
        return token;
    }
    std::size_t end = at;
    while (end < text.size() && !isBlank(text[end])) {
        ++end;
    }
    const std::string_view token = text.substr(at, end - at);
    at = end;
    return token;
}

} // namespace

CommandLineTarget::CommandLineTarget(std::string_view commandLine) : text_(commandLine) {
    const std::string_view text = text_;
    const std::size_t start = skipBlanks(text, 0);
    if (start >= text.size()) {
        return;
    }
    if (text[start] == '"') {
        quoted_ = true;
        const std::size_t close = text.find('"', start + 1);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        const std::size_t after = std::min(text.size(), end + 1);
        candidates_.push_back(
            {std::string(text.substr(start + 1, end - start - 1)), end, skipBlanks(text, after)});
        return;
    }
    // Every blank run ends one candidate; the whole text (without trailing blanks) is the last.
    // A switch or a quoted argument after a blank ends the program for sure.
    for (std::size_t at = start; at <= text.size(); ++at) {
        if (at < text.size() && !isBlank(text[at])) {
            if (at > start && isBlank(text[at - 1]) && (text[at] == '/' || text[at] == '"')) {
                break;
            }
            continue;
        }
        if (at > start && !isBlank(text[at - 1])) {
            candidates_.push_back(
                {std::string(text.substr(start, at - start)), at, skipBlanks(text, at)});
        }
    }
}

std::string_view CommandLineTarget::arguments(const Candidate& candidate) const {
    return std::string_view(text_).substr(std::min(candidate.argumentsAt, text_.size()));
}

bool CommandLineTarget::isProgram(std::string_view path, std::string_view name) {
    const std::string_view file = fileNameOf(path);
    return equalsIgnoringAsciiCase(file, name) ||
           (file.size() == name.size() + 4 &&
            equalsIgnoringAsciiCase(file.substr(0, name.size()), name) &&
            equalsIgnoringAsciiCase(file.substr(name.size()), ".exe"));
}

bool CommandLineTarget::hasExtension(std::string_view path) {
    return fileNameOf(path).find('.') != std::string_view::npos;
}

std::string CommandLineTarget::rundllLibrary(std::string_view arguments) {
    std::string_view library = arguments.substr(0, arguments.find(','));
    library = trimmed(library);
    if (!library.empty() && library.front() == '"') {
        library.remove_prefix(1);
        library = library.substr(0, library.find('"'));
    }
    return std::string(trimmed(library));
}

std::string CommandLineTarget::msiexecTarget(std::string_view arguments) {
    std::size_t at = 0;
    for (std::string_view token = nextToken(arguments, at); !token.empty();
         token = nextToken(arguments, at)) {
        if (token.front() != '/' && token.front() != '-') {
            continue;
        }
        std::string_view option = token.substr(1);
        if (startsWithText(option, "uninstall") || startsWithText(option, "package")) {
            option.remove_prefix(startsWithText(option, "package") ? 7 : 9);
        } else if (startsWithText(option, "i") || startsWithText(option, "x")) {
            option.remove_prefix(1);
        } else if (startsWithText(option, "f")) {
            while (!option.empty() && isAsciiLetter(option.front())) {
                option.remove_prefix(1);
            }
        } else {
            continue;
        }
        if (!option.empty()) {
            if (option.front() == '"') {
                option.remove_prefix(1);
                option = option.substr(0, option.find('"'));
            }
            return std::string(option);
        }
        return std::string(nextToken(arguments, at));
    }
    return {};
}

} // namespace tolvane
