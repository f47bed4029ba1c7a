// Discovery of 200 prefixes spread over every kind of launcher in a made-up home, against
// the target of 0.5 s and against its floor measured in the same run: a bare look at the same
// 200 folders (drive_c, registry files and their sizes) without reading any launcher's file.
#include "BenchTiming.h"
#include "platform/discovery/DiscoveryFiles.h"
#include "platform/discovery/PrefixDiscovery.h"
#include "tests/support/FakeHome.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace tolvane;

namespace {

constexpr int steamGames = 80;
constexpr int lutrisGames = 40;
constexpr int bottles = 30;
constexpr int heroicGames = 20;
constexpr int winetricksPrefixes = 30;
constexpr double targetSeconds = 0.5;

std::vector<std::filesystem::path> populate(test::FakeHome& home) {
    std::vector<std::filesystem::path> prefixes;
    const auto library = home.outside("mnt/SteamLibrary");
    home.write(".local/share/Steam/steamapps/libraryfolders.vdf",
               "\"libraryfolders\" { \"0\" { \"path\" \"" +
                   (home.home() / ".local/share/Steam").string() + "\" } \"1\" { \"path\" \"" +
                   library.string() + "\" } }\n");
    std::vector<std::pair<std::uint32_t, std::string>> shortcuts;
    for (int game = 0; game < steamGames; ++game) {
        const auto root = game % 2 == 0 ? home.home() / ".local/share/Steam" : library;
        const std::string id = std::to_string(1000 + game);
        if (game % 8 != 7) {
            test::writeFile(root / ("steamapps/appmanifest_" + id + ".acf"),
                            "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id +
                                "\"\n\t\"name\"\t\t\"Game " + id +
                                "\"\n\t\"StateFlags\"\t\t\"4\"\n}\n");
        } else {
            shortcuts.emplace_back(1000 + game, "Shortcut " + id);
        }
        prefixes.push_back(
            test::FakeHome::makePrefix(root / ("steamapps/compatdata/" + id + "/pfx")));
    }
    home.write(".local/share/Steam/userdata/42/config/shortcuts.vdf",
               test::FakeHome::shortcutsVdf(shortcuts));
    for (int game = 0; game < lutrisGames; ++game) {
        const std::string slug = "game-" + std::to_string(game);
        prefixes.push_back(home.makePrefixAt("Games/" + slug));
        home.write(".config/lutris/games/" + slug + "-1700000000.yml",
                   "game:\n  exe: /x/game.exe\n  prefix: ~/Games/" + slug + "\nname: Game " +
                       std::to_string(game) + "\nwine:\n  version: lutris-7.2\n");
    }
    for (int bottle = 0; bottle < bottles; ++bottle) {
        const std::string name = "Bottle" + std::to_string(bottle);
        prefixes.push_back(home.makePrefixAt(".local/share/bottles/bottles/" + name));
        home.write(".local/share/bottles/bottles/" + name + "/bottle.yml",
                   "Name: " + name + "\nPath: " + name + "\nCustom_Path: false\nRunner: soda\n");
    }
    std::string titles = "{\"library\": [";
    for (int game = 0; game < heroicGames; ++game) {
        const std::string app = "app" + std::to_string(game);
        prefixes.push_back(home.makePrefixAt("Games/Heroic/" + app + "/pfx"));
        home.write(".config/heroic/GamesConfig/" + app + ".json",
                   "{\"" + app + "\": {\"winePrefix\": \"" +
                       (home.home() / "Games/Heroic" / app).string() + "\"}}");
        titles += (game ? ", " : "") + std::string("{\"app_name\": \"") + app +
                  "\", \"title\": \"Title " + app + "\"}";
    }
    home.write(".config/heroic/store_cache/legendary_library.json", titles + "]}");
    for (int prefix = 0; prefix < winetricksPrefixes; ++prefix) {
        prefixes.push_back(
            home.makePrefixAt(".local/share/wineprefixes/p" + std::to_string(prefix)));
    }
    return prefixes;
}

} // namespace

int main() {
    test::FakeHome home;
    const auto folders = populate(home);
    const discovery::PrefixDiscovery discovery(
        discovery::PrefixDiscovery::standardSources(),
        discovery::PrefixDiscovery::ServerFolders::forUser(home.environment()));

    std::size_t found = 0;
    const auto full =
        bench::fastest(5, [&] { found = discovery.discover(home.environment()).prefixes.size(); });
    std::uintmax_t bytes = 0;
    const auto floor = bench::fastest(5, [&] {
        for (const auto& folder : folders) {
            if (discovery::isPrefixFolder(folder)) {
                std::error_code error;
                bytes += std::filesystem::file_size(folder / "system.reg", error);
            }
        }
    });
    std::printf("prefix discovery: %zu of %zu prefixes found\n", found, folders.size());
    std::printf("  discovery          %8.4f s wall  %8.4f s processor  (target %.1f s: %s)\n",
                full.wall, full.processor, targetSeconds,
                full.wall <= targetSeconds ? "met" : "MISSED");
    std::printf("  floor (bare look)  %8.4f s wall  %8.4f s processor  (discovery = %.1fx floor)\n",
                floor.wall, floor.processor, full.wall / std::max(floor.wall, 1e-9));
    return found == folders.size() && full.wall <= targetSeconds ? 0 : 1;
}
