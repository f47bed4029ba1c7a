#include "platform/discovery/LutrisSource.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"
#include "platform/discovery/YamlDocument.h"

#include <set>

namespace tolvane::discovery {

std::string LutrisSource::slugOf(std::string_view fileStem) {
    // Lutris appends "-<unix time>" to the slug.
    const auto dash = fileStem.rfind('-');
    if (dash != std::string_view::npos && dash > 0 && dash + 1 < fileStem.size() &&
        fileStem.find_first_not_of("0123456789", dash + 1) == std::string_view::npos) {
        return std::string(fileStem.substr(0, dash));
    }
    return std::string(fileStem);
}

void LutrisSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    std::set<std::filesystem::path> seen;
    for (const auto& folder :
         {paths.configHome() / "lutris/games", paths.dataHome() / "lutris/games"}) {
        auto entries = listFolder(folder);
        if (!entries) {
            sink.fail(entries.message());
            continue;
        }
        for (const auto& file : *entries) {
            if (file.extension() != ".yml" || !isFile(file)) {
                continue;
            }
            std::error_code error;
            const auto canonical = std::filesystem::canonical(file, error);
            if (!seen.insert(error ? file : canonical).second) {
                continue;
            }
            auto document = YamlDocument::load(file);
            if (!document) {
                sink.fail(document.message());
                continue;
            }
            const YAML::Node& root = document->root();
            if (!root.IsMap()) {
                // An empty file or a stray scalar: nothing recorded.
                if (!root.IsNull()) {
                    sink.fail(textFromPath(file) + ": not a Lutris game configuration");
                }
                continue;
            }
            const auto prefixText = YamlDocument::scalar(root["game"], "prefix");
            if (!prefixText || prefixText->empty()) {
                // A native game, or one that runs in Wine's default prefix.
                continue;
            }
            std::string name = YamlDocument::scalar(root, "name").value_or("");
            if (name.empty()) {
                name = slugOf(textFromPath(file.stem()));
            }
            sink.found(std::move(name), paths.expand(*prefixText, paths.home()));
        }
    }
}

} // namespace tolvane::discovery
