#include "platform/discovery/WinetricksSource.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"

namespace tolvane::discovery {

std::optional<std::string> WinetricksSource::wrapperName(std::string_view text) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        if (!line.starts_with("ww_name=")) {
            continue;
        }
        line.remove_prefix(8);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (line.size() >= 2 && (line.front() == '"' || line.front() == '\'') &&
            line.back() == line.front()) {
            line = line.substr(1, line.size() - 2);
        }
        if (!line.empty()) {
            return std::string(line);
        }
    }
    return std::nullopt;
}

void WinetricksSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    const auto configured = paths.environment().variable("WINE_PREFIXES");
    const std::filesystem::path folder =
        configured ? paths.expand(*configured, paths.home()) : paths.dataHome() / "wineprefixes";
    auto entries = listFolder(folder);
    if (!entries) {
        sink.fail(entries.message());
        return;
    }
    for (const auto& entry : *entries) {
        if (!isFolder(entry)) {
            continue;
        }
        std::string name = textFromPath(entry.filename());
        if (isFile(entry / "wrapper.cfg")) {
            auto text = readConfigFile(entry / "wrapper.cfg");
            if (!text) {
                sink.fail(text.message());
            } else if (auto named = wrapperName(*text)) {
                name = std::move(*named);
            }
        }
        sink.found(std::move(name), entry);
    }
}

} // namespace tolvane::discovery
