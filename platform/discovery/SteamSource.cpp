#include "platform/discovery/SteamSource.h"

#include "platform/base/PathText.h"
#include "platform/discovery/DiscoveryFiles.h"
#include "platform/discovery/VdfBinaryReader.h"
#include "platform/discovery/VdfTextReader.h"

#include <charconv>
#include <set>

namespace tolvane::discovery {
namespace {

std::optional<std::uint32_t> appIdOf(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// The canonical form of an existing folder, or nothing (missing, not a folder, a link loop).
std::optional<std::filesystem::path> existingFolder(const std::filesystem::path& path) {
    std::error_code error;
    auto canonical = std::filesystem::canonical(path, error);
    if (error || !isFolder(canonical)) {
        return std::nullopt;
    }
    return canonical;
}

Result<VdfNode> loadTextVdf(const std::filesystem::path& file) {
    auto text = readConfigFile(file);
    if (!text) {
        return text.error();
    }
    auto document = VdfTextReader::read(*text);
    if (!document) {
        return makeError(textFromPath(file) + ": " + document.message());
    }
    return document;
}

} // namespace

std::vector<std::filesystem::path> SteamSource::candidateRoots(const HostPaths& paths) {
    const auto& home = paths.home();
    return {home / ".steam/steam",
            home / ".steam/root",
            paths.dataHome() / "Steam",
            home / ".local/share/Steam",
            home / ".var/app/com.valvesoftware.Steam/.local/share/Steam",
            home / ".var/app/com.valvesoftware.Steam/data/Steam",
            home / "snap/steam/common/.local/share/Steam"};
}

std::vector<std::filesystem::path> SteamSource::libraries(const std::filesystem::path& root,
                                                          const HostPaths& paths,
                                                          DiscoverySink& sink) {
    std::vector<std::filesystem::path> found{root};
    const auto file = root / "steamapps/libraryfolders.vdf";
    if (!isFile(file)) {
        return found;
    }
    auto document = loadTextVdf(file);
    if (!document) {
        sink.fail(document.message());
        return found;
    }
    const VdfNode* list = document->child("libraryfolders");
    if (list == nullptr || list->kind() != VdfNode::Kind::Map) {
        sink.fail(textFromPath(file) + ": no \"libraryfolders\" block");
        return found;
    }
    for (const auto& entry : list->children()) {
        std::optional<std::string> path;
        if (entry.kind() == VdfNode::Kind::Map) {
            path = entry.textOf("path");
        } else if (entry.kind() == VdfNode::Kind::Text && appIdOf(entry.name())) {
            // The old format: "1" "/path/to/library".
            path = entry.text();
        }
        if (!path || path->empty()) {
            continue;
        }
        const auto library = paths.expand(*path, root);
        if (!isFolder(library)) {
            sink.skip("Steam library " + textFromPath(library) + " (named in " +
                      textFromPath(file) + ") is not there");
            continue;
        }
        found.push_back(library);
    }
    return found;
}

void SteamSource::readManifests(const std::filesystem::path& library, Names& games,
                                DiscoverySink& sink) {
    auto entries = listFolder(library / "steamapps");
    if (!entries) {
        sink.fail(entries.message());
        return;
    }
    for (const auto& file : *entries) {
        const std::string fileName = textFromPath(file.filename());
        if (!fileName.starts_with("appmanifest_") || !fileName.ends_with(".acf")) {
            continue;
        }
        const auto id = appIdOf(std::string_view(fileName).substr(12, fileName.size() - 16));
        if (!id) {
            continue;
        }
        auto document = loadTextVdf(file);
        if (!document) {
            sink.fail(document.message());
            continue;
        }
        const VdfNode* state = document->child("AppState");
        const auto name = state != nullptr ? state->textOf("name") : std::nullopt;
        games.emplace(*id, name && !name->empty() ? *name : "Steam app " + std::to_string(*id));
    }
}

void SteamSource::readShortcuts(const std::filesystem::path& root, Names& shortcuts,
                                DiscoverySink& sink) {
    auto users = listFolder(root / "userdata");
    if (!users) {
        sink.fail(users.message());
        return;
    }
    for (const auto& user : *users) {
        const auto file = user / "config/shortcuts.vdf";
        if (!isFile(file)) {
            continue;
        }
        auto data = readConfigFile(file);
        if (!data) {
            sink.fail(data.message());
            continue;
        }
        auto document = VdfBinaryReader::read(std::as_bytes(std::span(*data)));
        if (!document) {
            sink.fail(textFromPath(file) + ": " + document.message());
            continue;
        }
        const VdfNode* list = document->child("shortcuts");
        if (list == nullptr || list->kind() != VdfNode::Kind::Map) {
            sink.fail(textFromPath(file) + ": no \"shortcuts\" map");
            continue;
        }
        for (const auto& shortcut : list->children()) {
            if (shortcut.kind() != VdfNode::Kind::Map) {
                continue;
            }
            // Steam writes the id as a signed int32; the compatdata folder uses it unsigned.
            const auto id = shortcut.unsignedOf("appid");
            auto name = shortcut.textOf("AppName");
            if (id && name && !name->empty()) {
                shortcuts.emplace(*id, std::move(*name));
            }
        }
    }
}

void SteamSource::collect(const HostPaths& paths, DiscoverySink& sink) const {
    std::set<std::filesystem::path> rootsSeen;
    std::vector<std::filesystem::path> roots;
    for (const auto& candidate : candidateRoots(paths)) {
        if (auto root = existingFolder(candidate); root && rootsSeen.insert(*root).second) {
            roots.push_back(*root);
        }
    }
    std::set<std::filesystem::path> librariesSeen;
    std::vector<std::filesystem::path> allLibraries;
    Names shortcuts;
    for (const auto& root : roots) {
        readShortcuts(root, shortcuts, sink);
        for (const auto& library : libraries(root, paths, sink)) {
            if (auto folder = existingFolder(library);
                folder && librariesSeen.insert(*folder).second) {
                allLibraries.push_back(*folder);
            }
        }
    }
    Names games;
    for (const auto& library : allLibraries) {
        readManifests(library, games, sink);
    }
    for (const auto& library : allLibraries) {
        auto entries = listFolder(library / "steamapps/compatdata");
        if (!entries) {
            sink.fail(entries.message());
            continue;
        }
        for (const auto& entry : *entries) {
            const auto id = appIdOf(textFromPath(entry.filename()));
            if (!id || !isFolder(entry)) {
                continue;
            }
            std::vector<std::string> notes;
            std::string name;
            if (auto game = games.find(*id); game != games.end()) {
                name = game->second;
            } else if (auto shortcut = shortcuts.find(*id); shortcut != shortcuts.end()) {
                name = shortcut->second;
                notes.emplace_back("non-Steam game");
            } else {
                name = "Steam app " + std::to_string(*id);
                notes.emplace_back("game not installed");
            }
            sink.found(std::move(name), entry / "pfx", std::move(notes));
        }
    }
}

} // namespace tolvane::discovery
