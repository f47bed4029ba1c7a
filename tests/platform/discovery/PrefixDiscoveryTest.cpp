#include "platform/discovery/PrefixDiscovery.h"

#include "platform/discovery/DiscoveryFiles.h"
#include "tests/support/FakeHome.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tolvane::discovery {
namespace {

using test::FakeHome;
using ::testing::HasSubstr;

struct Listed {
    std::string launcher;
    std::string name;
    std::string path;
    std::vector<std::string> notes;

    bool operator==(const Listed&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Listed& entry) {
        out << entry.launcher << " | " << entry.name << " | " << entry.path;
        for (const auto& note : entry.notes) {
            out << " | " << note;
        }
        return out;
    }
};

class PrefixDiscoveryTest : public ::testing::Test {
protected:
    DiscoveryReport discover() {
        // No wineserver runs in the scratch folders the probe is pointed at.
        PrefixDiscovery::ServerFolders servers{{home_.outside("run")}, home_.outside("wine-tmp")};
        return PrefixDiscovery(PrefixDiscovery::standardSources(), servers)
            .discover(home_.environment());
    }

    std::vector<Listed> listed(const DiscoveryReport& report) const {
        std::vector<Listed> result;
        for (const auto& prefix : report.prefixes) {
            std::string path = prefix.path.string();
            const std::string root = home_.outside("").string();
            if (path.starts_with(root)) {
                path = path.substr(root.size());
            }
            result.push_back({prefix.launcher, prefix.name, path, prefix.notes});
        }
        return result;
    }

    static std::vector<std::string> reasons(const std::vector<DiscoveryProblem>& problems) {
        std::vector<std::string> result;
        for (const auto& problem : problems) {
            result.push_back(problem.launcher + ": " + problem.reason);
        }
        return result;
    }

    FakeHome home_;
};

TEST_F(PrefixDiscoveryTest, FindsEveryLauncherLayoutUnderItsOwnNames) {
    // Native Steam, reached through ~/.steam/steam as well: one installation.
    const std::string steam = ".local/share/Steam/";
    home_.write(steam + "steamapps/appmanifest_440.acf",
                "\"AppState\"\n{\n\t\"appid\"\t\t\"440\"\n\t\"name\"\t\t\"Team Fortress 2\"\n}\n");
    home_.makePrefixAt(steam + "steamapps/compatdata/440/pfx");
    home_.write(steam + "steamapps/compatdata/440/pfx.lock", "");
    home_.makePrefixAt(steam + "steamapps/compatdata/99999/pfx");
    home_.write(steam + "userdata/1234/config/shortcuts.vdf",
                FakeHome::shortcutsVdf({{3123456789u, "Battle Launcher"}}));
    home_.makePrefixAt(steam + "steamapps/compatdata/3123456789/pfx");
    std::filesystem::create_directories(home_.home() / ".steam");
    std::filesystem::create_directory_symlink(home_.home() / ".local/share/Steam",
                                              home_.home() / ".steam/steam");

    // Flatpak Steam with a second library on another drive and one on a drive not mounted.
    const std::string flatpak = ".var/app/com.valvesoftware.Steam/.local/share/Steam/";
    const auto library = home_.outside("mnt/games/SteamLibrary");
    home_.write(flatpak + "steamapps/libraryfolders.vdf",
                "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                    (home_.home() / flatpak).lexically_normal().parent_path().string() +
                    "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() +
                    "\"\n\t}\n\t\"2\"\n\t{\n\t\t\"path\"\t\t\"" +
                    home_.outside("media/gone").string() + "\"\n\t}\n}\n");
    test::writeFile(library / "steamapps/appmanifest_620.acf",
                    "\"AppState\" { \"name\" \"Portal 2\" }");
    FakeHome::makePrefix(library / "steamapps/compatdata/620/pfx");

    // Lutris: named, unnamed (slug), a prefix that is gone, a native game.
    home_.makePrefixAt("Games/witcher");
    home_.write(".config/lutris/games/the-witcher-3-1712345678.yml",
                "game:\n  exe: /x/witcher3.exe\n  prefix: ~/Games/witcher\nname: The Witcher 3\n"
                "wine:\n  version: lutris-7.2\n");
    home_.makePrefixAt("Games/osu");
    home_.write(".config/lutris/games/osu-1700000000.yml",
                "game:\n  prefix: " + (home_.home() / "Games/osu").string() + "\n");
    home_.write(".config/lutris/games/gone-1.yml", "game:\n  prefix: ~/Games/gone\n");
    home_.write(".config/lutris/games/native-1.yml", "game:\n  exe: /usr/bin/true\n");

    // Bottles: one in place, one placed elsewhere through placeholder.yml, one custom path.
    home_.makePrefixAt(".local/share/bottles/bottles/Gaming");
    home_.write(".local/share/bottles/bottles/Gaming/bottle.yml",
                "Name: Gaming Bottle\nPath: Gaming\nCustom_Path: false\nRunner: soda-7.0\n");
    const auto placed = FakeHome::makePrefix(home_.outside("data/Office"));
    test::writeFile(placed / "bottle.yml", "Name: Office\nPath: Office\n");
    home_.write(".local/share/bottles/bottles/Office/placeholder.yml",
                "Path: " + placed.string() + "\n");
    const auto custom = FakeHome::makePrefix(home_.outside("data/Art"));
    home_.write(".local/share/bottles/bottles/Art/bottle.yml",
                "Name: Art\nCustom_Path: true\nPath: " + custom.string() + "\n");

    // Heroic (Flatpak) with a Proton prefix and a title from the library cache.
    const std::string heroic = ".var/app/com.heroicgameslauncher.hgl/config/heroic/";
    home_.makePrefixAt("Games/Heroic/Prefixes/Fall Guys/pfx");
    home_.write(heroic + "GamesConfig/0a2d9f6403244d12969e11da6713137b.json",
                R"({"0a2d9f6403244d12969e11da6713137b": {"winePrefix": ")" +
                    (home_.home() / "Games/Heroic/Prefixes/Fall Guys").string() +
                    R"(", "wineVersion": {"type": "proton"}}, "version": "v0", "explicit": true})");
    home_.write(
        heroic + "store_cache/legendary_library.json",
        R"({"library": [{"app_name": "0a2d9f6403244d12969e11da6713137b", "title": "Fall Guys"}]})");

    home_.makePrefixAt(".PlayOnLinux/wineprefix/Office2007");
    home_.makePrefixAt(".Phoenicis/containers/wineprefix/notepad");
    home_.makePrefixAt(".cxoffice/Quicken");
    home_.write(".cxoffice/Quicken/cxbottle.conf", "[Bottle]\n\"Template\" = \"win10_64\"\n");

    // winetricks' vlc is also $WINEPREFIX: listed once, under winetricks.
    const auto vlc = home_.makePrefixAt(".local/share/wineprefixes/vlc");
    home_.write(".local/share/wineprefixes/vlc/wrapper.cfg", "ww_name=\"VLC media player\"\n");
    home_.environment().set("WINEPREFIX", vlc.string());
    home_.makePrefixAt(".wine");

    const auto report = discover();
    const std::string h = "home/user/";
    const std::string steamData = h + ".local/share/Steam/steamapps/compatdata/";
    const std::vector<Listed> expected{
        {"Steam", "Battle Launcher", steamData + "3123456789/pfx", {"non-Steam game"}},
        {"Steam", "Portal 2", "mnt/games/SteamLibrary/steamapps/compatdata/620/pfx", {}},
        {"Steam", "Steam app 99999", steamData + "99999/pfx", {"game not installed"}},
        {"Steam", "Team Fortress 2", steamData + "440/pfx", {}},
        {"Lutris", "osu", h + "Games/osu", {}},
        {"Lutris", "The Witcher 3", h + "Games/witcher", {}},
        {"Bottles", "Art", "data/Art", {}},
        {"Bottles", "Gaming Bottle", h + ".local/share/bottles/bottles/Gaming", {}},
        {"Bottles", "Office", "data/Office", {}},
        {"Heroic", "Fall Guys", h + "Games/Heroic/Prefixes/Fall Guys/pfx", {}},
        {"PlayOnLinux", "Office2007", h + ".PlayOnLinux/wineprefix/Office2007", {}},
        {"Phoenicis", "notepad", h + ".Phoenicis/containers/wineprefix/notepad", {}},
        {"CrossOver", "Quicken", h + ".cxoffice/Quicken", {}},
        {"winetricks", "VLC media player", h + ".local/share/wineprefixes/vlc", {}},
        {"Wine", "default", h + ".wine", {}},
    };
    EXPECT_EQ(listed(report), expected);
    EXPECT_THAT(reasons(report.errors), ::testing::IsEmpty());
    EXPECT_THAT(reasons(report.skipped),
                ::testing::UnorderedElementsAre(
                    HasSubstr("media/gone (named in"),
                    HasSubstr("gone: " + home_.home().string() + "/Games/gone: No such file")));
    // Proton's pfx.lock says when the game last ran.
    const auto& tf2 = report.prefixes[3];
    EXPECT_EQ(tf2.lastUsed, std::filesystem::last_write_time(home_.home() / steam /
                                                             "steamapps/compatdata/440/pfx.lock"));
    EXPECT_EQ(tf2.registryBytes, 3 * std::filesystem::file_size(tf2.path / "system.reg"));
    EXPECT_TRUE(tf2.writable);
    EXPECT_FALSE(tf2.running());
}

TEST_F(PrefixDiscoveryTest, MalformedFilesFailTheirSourceAloneWithTheirNames) {
    home_.write(".config/lutris/games/broken-1.yml", "game:\n  prefix: [unclosed\n");
    home_.makePrefixAt("Games/fine");
    home_.write(".config/lutris/games/fine-1.yml", "game:\n  prefix: ~/Games/fine\n");
    home_.write(".config/lutris/games/list-1.yml", "- just\n- a list\n");
    home_.write(".config/heroic/GamesConfig/bad.json", "{\"x\": {\"winePrefix\": ");
    home_.write(".config/heroic/GamesConfig/typed.json", "{\"x\": {\"winePrefix\": 42}}");
    home_.write(".local/share/Steam/steamapps/libraryfolders.vdf", "\"libraryfolders\" {");
    home_.write(".local/share/Steam/userdata/1/config/shortcuts.vdf", std::string("\x00sh", 3));
    home_.makePrefixAt(".local/share/Steam/steamapps/compatdata/10/pfx");
    home_.write(".local/share/bottles/bottles/Bad/bottle.yml", "Name: [\n");
    home_.write(".local/share/bottles/data.yml", "custom_bottles_path: {{{\n");
    home_.makePrefixAt(".wine");

    const auto report = discover();
    const auto errors = reasons(report.errors);
    EXPECT_THAT(errors, ::testing::UnorderedElementsAre(
                            HasSubstr("Lutris: " + home_.home().string() +
                                      "/.config/lutris/games/broken-1.yml line"),
                            HasSubstr("list-1.yml: not a Lutris game configuration"),
                            HasSubstr("Heroic: " + home_.home().string() +
                                      "/.config/heroic/GamesConfig/bad.json: malformed JSON"),
                            HasSubstr("libraryfolders.vdf: block \"libraryfolders\" is not closed"),
                            HasSubstr("shortcuts.vdf: name is cut off at byte 0"),
                            HasSubstr("Bad/bottle.yml line 2: malformed YAML"),
                            HasSubstr("data.yml line 2: malformed YAML")));
    // What could be read is still listed.
    std::vector<std::string> names;
    for (const auto& prefix : report.prefixes) {
        names.push_back(prefix.launcher + "/" + prefix.name);
    }
    EXPECT_THAT(names, ::testing::ElementsAre("Steam/Steam app 10", "Lutris/fine", "Wine/default"));
}

TEST_F(PrefixDiscoveryTest, UnreadableFoldersAndLinkLoopsAreReportedNotFollowed) {
    // A symlink loop where PlayOnLinux keeps prefixes, and one named as a Lutris prefix.
    const auto pol = home_.home() / ".PlayOnLinux/wineprefix";
    std::filesystem::create_directories(pol);
    std::filesystem::create_directory_symlink(pol / "b", pol / "a");
    std::filesystem::create_directory_symlink(pol / "a", pol / "b");
    home_.makePrefixAt(".PlayOnLinux/wineprefix/real");
    // A link back to its own parent: listing it must not recurse.
    std::filesystem::create_directory_symlink(pol, pol / "self");
    home_.write(".config/lutris/games/loop-1.yml",
                "game:\n  prefix: " + (pol / "a").string() + "\n");
    // Heroic's configuration folder is a file, not a folder.
    home_.write(".config/heroic/GamesConfig", "not a folder");
    // A folder nobody may list (only effective when not running as root).
    std::filesystem::create_directories(home_.home() / ".cxoffice");
    std::filesystem::permissions(home_.home() / ".cxoffice", std::filesystem::perms::none);

    const auto report = discover();
    std::vector<std::string> names;
    for (const auto& prefix : report.prefixes) {
        names.push_back(prefix.launcher + "/" + prefix.name);
    }
    EXPECT_THAT(names, ::testing::ElementsAre("PlayOnLinux/real"));
    const auto errors = reasons(report.errors);
    EXPECT_THAT(errors,
                ::testing::Contains(HasSubstr("Heroic: " + home_.home().string() +
                                              "/.config/heroic/GamesConfig: Not a directory")));
    if (::geteuid() != 0) {
        EXPECT_THAT(errors, ::testing::Contains(HasSubstr("CrossOver: " + home_.home().string() +
                                                          "/.cxoffice: Permission denied")));
    }
    EXPECT_THAT(reasons(report.skipped),
                ::testing::Contains(HasSubstr("Lutris: loop: " + (pol / "a").string() +
                                              ": Too many levels of symbolic links")));
    std::filesystem::permissions(home_.home() / ".cxoffice", std::filesystem::perms::owner_all);
}

TEST_F(PrefixDiscoveryTest, SameFolderThroughLinksIsListedOnceUnderTheMoreSpecificLauncher) {
    const auto prefix = home_.makePrefixAt("Games/shared");
    home_.write(".config/lutris/games/shared-1.yml",
                "name: Shared Game\ngame:\n  prefix: ~/Games/shared\n");
    std::filesystem::create_directories(home_.home() / ".local/share/wineprefixes");
    std::filesystem::create_directory_symlink(prefix,
                                              home_.home() / ".local/share/wineprefixes/shared");
    home_.environment().set("WINEPREFIX", (home_.home() / "Games/./shared/").string());
    std::filesystem::create_directory_symlink(prefix, home_.home() / ".wine");

    const auto report = discover();
    ASSERT_EQ(report.prefixes.size(), 1u);
    EXPECT_EQ(report.prefixes[0].launcher, "Lutris");
    EXPECT_EQ(report.prefixes[0].name, "Shared Game");
}

TEST_F(PrefixDiscoveryTest, NotesSayReadOnlyAndStaleProtonSave) {
    const auto folder = home_.makePrefixAt(".wine");
    test::writeFile(folder / "savereg.tmp", "WINE REGISTRY Version 2\n");
    test::writeFile(folder / "user.reg.old", "WINE REGISTRY Version 2\n");
    std::filesystem::permissions(folder / "user.reg", std::filesystem::perms::owner_read);

    const auto prefix = discover().prefixes.at(0);
    EXPECT_THAT(prefix.notes, ::testing::Contains(HasSubstr("stale savereg.tmp")));
    if (::geteuid() != 0) {
        EXPECT_FALSE(prefix.writable);
        EXPECT_THAT(prefix.notes, ::testing::Contains("read-only"));
    }
    std::filesystem::permissions(folder / "user.reg", std::filesystem::perms::owner_all);
}

TEST_F(PrefixDiscoveryTest, FoldersThatAreNotPrefixesAreSkippedWithTheReason) {
    // PlayOnLinux makes the folder before Wine boots it; a file is no prefix at all.
    std::filesystem::create_directories(home_.home() / ".PlayOnLinux/wineprefix/booting/drive_c");
    home_.write(".PlayOnLinux/wineprefix/notes.txt", "x");
    std::filesystem::create_directories(home_.home() / ".local/share/Steam/steamapps/compatdata/5");

    const auto report = discover();
    EXPECT_TRUE(report.prefixes.empty());
    EXPECT_THAT(reasons(report.skipped),
                ::testing::UnorderedElementsAre(
                    HasSubstr("PlayOnLinux: booting: " + home_.home().string() +
                              "/.PlayOnLinux/wineprefix/booting is not a Wine prefix"),
                    HasSubstr("Steam: Steam app 5: ")));
}

TEST_F(PrefixDiscoveryTest, HugeConfigurationFilesAreRefusedUnread) {
    const std::string huge(maxConfigFileBytes + 1, ' ');
    home_.write(".config/lutris/games/huge-1.yml", huge);
    const auto report = discover();
    EXPECT_THAT(reasons(report.errors),
                ::testing::ElementsAre(HasSubstr("huge-1.yml: more than 16777216 bytes")));
}

} // namespace
} // namespace tolvane::discovery
