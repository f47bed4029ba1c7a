#include "platform/discovery/BottlesSource.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"
#include "platform/discovery/YamlDocument.h"

#include <set>

namespace tolvane::discovery {

void BottlesSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    const std::vector<std::filesystem::path> dataFolders{
        paths.dataHome() / "bottles",
        paths.home() / ".var/app/com.usebottles.bottles/data/bottles"};
    std::vector<std::filesystem::path> bottleFolders;
    for (const auto& data : dataFolders) {
        bottleFolders.push_back(data / "bottles");
        const auto settings = data / "data.yml";
        if (!isFile(settings)) {
            continue;
        }
        auto document = YamlDocument::load(settings);
        if (!document) {
            sink.fail(document.message());
            continue;
        }
        const auto custom = YamlDocument::scalar(document->root(), "custom_bottles_path");
        if (custom && !custom->empty()) {
            bottleFolders.push_back(paths.expand(*custom, data));
        }
    }
    std::set<std::filesystem::path> seen;
    for (const auto& folder : bottleFolders) {
        std::error_code error;
        const auto canonical = std::filesystem::canonical(folder, error);
        if (!error && !seen.insert(canonical).second) {
            continue;
        }
        auto entries = listFolder(folder);
        if (!entries) {
            sink.fail(entries.message());
            continue;
        }
        for (const auto& entry : *entries) {
            if (isFolder(entry)) {
                collectBottle(paths, entry, sink);
            }
        }
    }
}

void BottlesSource::collectBottle(const HostPaths& paths, const std::filesystem::path& entry,
                                  DiscoverySink& sink) const {
    std::filesystem::path bottle = entry;
    const auto placeholder = entry / "placeholder.yml";
    if (isFile(placeholder)) {
        auto document = YamlDocument::load(placeholder);
        if (!document) {
            sink.fail(document.message());
            return;
        }
        const auto target = YamlDocument::scalar(document->root(), "Path");
        if (!target || target->empty()) {
            sink.fail(textFromPath(placeholder) + ": no Path");
            return;
        }
        bottle = paths.expand(*target, entry.parent_path());
    }
    std::string name = textFromPath(bottle.filename());
    const auto settings = bottle / "bottle.yml";
    if (isFile(settings)) {
        auto document = YamlDocument::load(settings);
        if (!document) {
            sink.fail(document.message());
            return;
        }
        const YAML::Node& root = document->root();
        if (auto named = YamlDocument::scalar(root, "Name"); named && !named->empty()) {
            name = std::move(*named);
        }
        const auto customPath = YamlDocument::scalar(root, "Path");
        if (YamlDocument::flag(root, "Custom_Path") && customPath && !customPath->empty()) {
            bottle = paths.expand(*customPath, entry.parent_path());
        }
    } else if (bottle == entry) {
        // Not a bottle: Bottles keeps other folders here too.
        return;
    }
    sink.found(std::move(name), bottle);
}

} // namespace tolvane::discovery
