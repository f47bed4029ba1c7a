#include "platform/discovery/PrefixLookup.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"

#include <vector>

namespace tolvane::discovery {
namespace {

std::string listed(const DiscoveredPrefix& prefix) {
    return "  " + prefix.launcher + ": \"" + prefix.name + "\" " + textFromPath(prefix.path) + "\n";
}

} // namespace

Result<std::filesystem::path> PrefixLookup::resolve(std::string_view text,
                                                    std::span<const DiscoveredPrefix> prefixes) {
    if (text.empty()) {
        return makeError("no prefix given");
    }
    const std::filesystem::path asPath = pathFromText(text);
    if (text.find('/') != std::string_view::npos || text == "." || text == ".." ||
        isFolder(asPath)) {
        return asPath;
    }
    std::vector<const DiscoveredPrefix*> matches;
    for (const auto& prefix : prefixes) {
        if (prefix.name == text) {
            matches.push_back(&prefix);
        }
    }
    if (matches.size() == 1) {
        return matches.front()->path;
    }
    std::string message;
    if (matches.empty()) {
        message = "no folder or prefix is called \"" + std::string(text) + "\"";
        if (prefixes.empty()) {
            return makeError(message + "; no prefixes were found");
        }
        message += "; the prefixes found are:\n";
        for (const auto& prefix : prefixes) {
            message += listed(prefix);
        }
    } else {
        message = "\"" + std::string(text) +
                  "\" names several prefixes; give the folder of the one you mean:\n";
        for (const auto* prefix : matches) {
            message += listed(*prefix);
        }
    }
    message.pop_back();
    return makeError(std::move(message));
}

} // namespace tolvane::discovery
