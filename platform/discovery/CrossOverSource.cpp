#include "platform/discovery/CrossOverSource.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"

namespace tolvane::discovery {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view unquoted(std::string_view text) {
    text = trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

} // namespace

std::optional<std::string> CrossOverSource::bottleName(std::string_view text) {
    bool inBottle = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.starts_with('[')) {
            inBottle = line == "[Bottle]";
            continue;
        }
        const auto equals = line.find('=');
        if (!inBottle || equals == std::string_view::npos) {
            continue;
        }
        if (unquoted(line.substr(0, equals)) == "Name") {
            const std::string_view value = unquoted(line.substr(equals + 1));
            if (!value.empty()) {
                return std::string(value);
            }
        }
    }
    return std::nullopt;
}

void CrossOverSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    auto entries = listFolder(paths.home() / ".cxoffice");
    if (!entries) {
        sink.fail(entries.message());
        return;
    }
    for (const auto& entry : *entries) {
        const std::filesystem::path conf = entry / "cxbottle.conf";
        if (!isFolder(entry) || !isFile(conf)) {
            continue;
        }
        std::string name = textFromPath(entry.filename());
        auto text = readConfigFile(conf);
        if (!text) {
            sink.fail(text.message());
        } else if (auto named = bottleName(*text)) {
            name = std::move(*named);
        }
        sink.found(std::move(name), entry);
    }
}

} // namespace tolvane::discovery
