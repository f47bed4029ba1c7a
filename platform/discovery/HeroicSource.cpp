#include "platform/discovery/HeroicSource.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"

#include <nlohmann/json.hpp>
#include <set>
#include <vector>

namespace tolvane::discovery {
namespace {

// Heroic's caches nest games a few levels deep; nothing real goes deeper than this.
constexpr int maxTitleDepth = 8;

Result<nlohmann::json> loadJson(const std::filesystem::path& file) {
    auto text = readConfigFile(file);
    if (!text) {
        return text.error();
    }
    nlohmann::json document = nlohmann::json::parse(*text, nullptr, false);
    if (document.is_discarded()) {
        return makeError(textFromPath(file) + ": malformed JSON");
    }
    return document;
}

// Every object with "app_name" and "title" texts, wherever the cache puts its list.
void gatherTitles(const nlohmann::json& node, int depth,
                  std::map<std::string, std::string, std::less<>>& titles) {
    if (depth > maxTitleDepth) {
        return;
    }
    if (node.is_object()) {
        const auto app = node.find("app_name");
        const auto title = node.find("title");
        if (app != node.end() && title != node.end() && app->is_string() && title->is_string()) {
            titles.emplace(app->get<std::string>(), title->get<std::string>());
            return;
        }
    }
    if (node.is_object() || node.is_array()) {
        for (const auto& child : node) {
            gatherTitles(child, depth + 1, titles);
        }
    }
}

} // namespace

HeroicSource::Titles HeroicSource::readTitles(const std::filesystem::path& config,
                                              DiscoverySink& sink) {
    Titles titles;
    for (const char* cache : {"store_cache/legendary_library.json", "store_cache/gog_library.json",
                              "store_cache/nile_library.json", "gog_store/library.json",
                              "sideload_apps.json", "legendary_store/library.json"}) {
        const auto file = config / cache;
        if (!isFile(file)) {
            continue;
        }
        auto document = loadJson(file);
        if (!document) {
            sink.fail(document.message());
            continue;
        }
        gatherTitles(*document, 0, titles);
    }
    return titles;
}

void HeroicSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    std::set<std::filesystem::path> seen;
    for (const auto& config :
         {paths.configHome() / "heroic",
          paths.home() / ".var/app/com.heroicgameslauncher.hgl/config/heroic"}) {
        std::error_code error;
        const auto canonical = std::filesystem::canonical(config, error);
        if (error || !seen.insert(canonical).second) {
            continue;
        }
        collectConfig(paths, config, sink);
    }
}

void HeroicSource::collectConfig(const HostPaths& paths, const std::filesystem::path& config,
                                 DiscoverySink& sink) const {
    auto entries = listFolder(config / "GamesConfig");
    if (!entries) {
        sink.fail(entries.message());
        return;
    }
    const Titles titles = entries->empty() ? Titles{} : readTitles(config, sink);
    for (const auto& file : *entries) {
        if (file.extension() != ".json" || !isFile(file)) {
            continue;
        }
        auto document = loadJson(file);
        if (!document) {
            sink.fail(document.message());
            continue;
        }
        if (!document->is_object()) {
            sink.fail(textFromPath(file) + ": not a Heroic game configuration");
            continue;
        }
        for (const auto& [app, settings] : document->items()) {
            if (!settings.is_object()) {
                continue;
            }
            const auto prefix = settings.find("winePrefix");
            if (prefix == settings.end() || !prefix->is_string() ||
                prefix->get_ref<const std::string&>().empty()) {
                continue;
            }
            std::filesystem::path folder =
                paths.expand(prefix->get_ref<const std::string&>(), config);
            // Proton keeps the Wine prefix in pfx/ of the folder Heroic names.
            if (!isPrefixFolder(folder) && isFolder(folder / "pfx")) {
                folder /= "pfx";
            }
            const auto title = titles.find(app);
            std::string name = title != titles.end() ? title->second : textFromPath(file.stem());
            sink.found(std::move(name), std::move(folder));
        }
    }
}

} // namespace tolvane::discovery
