#include "cli/CliApp.h"
#include "tests/cli/CliRun.h"
#include "tests/support/FakeHome.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tolvane {
namespace {

using ::testing::HasSubstr;

using test::CliRun;

class PrefixCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(work_.path());
        setenv("XDG_CONFIG_HOME", (work_ / "config").c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        unsetenv("XDG_CONFIG_HOME");
    }

    CliRun run(const std::vector<std::string>& words) {
        return test::runCliWords(words, &home_.environment());
    }

    void makeDemoPrefix(const std::filesystem::path& folder) {
        ASSERT_TRUE(test::makeDemoPrefix(folder));
    }

    test::FakeHome home_;
    test::TempDir work_;
    std::filesystem::path previous_;
};

TEST_F(PrefixCommandsTest, ListsPrefixesAsTableAndJson) {
    const std::string steam = ".local/share/Steam/steamapps/";
    home_.makePrefixAt(steam + "compatdata/70/pfx");
    home_.write(".config/lutris/games/bad-1.yml", "game: [\n");
    home_.makePrefixAt(".wine");

    const auto table = run({"prefixes"});
    EXPECT_EQ(table.code, 0);
    EXPECT_THAT(table.out, HasSubstr("LAUNCHER  NAME          PATH "));
    EXPECT_THAT(table.out, HasSubstr("Steam     Steam app 70  /"));
    EXPECT_THAT(table.out, HasSubstr("    note: game not installed\n"));
    EXPECT_THAT(table.out, HasSubstr("2 prefixes found.\n"));
    EXPECT_THAT(table.err, HasSubstr("tolvane-cli: Lutris: "));

    const auto json = run({"prefixes", "--json"});
    ASSERT_EQ(json.code, 0);
    const auto document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document["count"], 2);
    EXPECT_EQ(document["prefixes"][1]["launcher"], "Wine");
    EXPECT_EQ(document["prefixes"][1]["path"], (home_.home() / ".wine").string());
    EXPECT_EQ(document["prefixes"][1]["running"], false);
    EXPECT_EQ(document["prefixes"][1]["writable"], true);
    EXPECT_GT(document["prefixes"][1]["registryBytes"], 0);
    EXPECT_EQ(document["errors"][0]["launcher"], "Lutris");

    EXPECT_EQ(run({"prefixes", "extra"}).code, exitcode::usage);
}

TEST_F(PrefixCommandsTest, PrefixOptionTakesUniqueNamesAndRefusesOthers) {
    makeDemoPrefix(home_.home() / ".local/share/wineprefixes/office");
    home_.makePrefixAt(".PlayOnLinux/wineprefix/office");
    makeDemoPrefix(home_.home() / ".PlayOnLinux/wineprefix/paint");

    const auto byName = run({"--prefix", "paint", "stat"});
    EXPECT_EQ(byName.code, 0) << byName.err;
    EXPECT_THAT(byName.out, HasSubstr("Wine prefix " + home_.home().string() +
                                      "/.PlayOnLinux/wineprefix/paint\n"));

    const auto ambiguous = run({"--prefix", "office", "stat"});
    EXPECT_EQ(ambiguous.code, exitcode::usage);
    EXPECT_THAT(ambiguous.err, HasSubstr("\"office\" names several prefixes"));
    EXPECT_THAT(ambiguous.err, HasSubstr("  winetricks: \"office\" "));
    EXPECT_THAT(ambiguous.err, HasSubstr("  PlayOnLinux: \"office\" "));
    EXPECT_TRUE(ambiguous.out.empty());

    const auto unknown = run({"--prefix", "Paint", "stat"});
    EXPECT_EQ(unknown.code, exitcode::usage);
    EXPECT_THAT(unknown.err, HasSubstr("no folder or prefix is called \"Paint\""));
}

TEST_F(PrefixCommandsTest, ScanAllListsEachPrefixAndGoesOnPastOneThatCannotBeRead) {
    makeDemoPrefix(home_.home() / ".wine");
    std::filesystem::create_directories(home_.home() / ".PlayOnLinux/wineprefix/broken/drive_c");
    home_.write(".PlayOnLinux/wineprefix/broken/system.reg", "not a registry\n");

    const auto table = run({"scan", "--all-prefixes", "--modules", "7,11"});
    EXPECT_EQ(table.code, exitcode::failure);
    EXPECT_THAT(table.out, HasSubstr("PlayOnLinux \"broken\" " + home_.home().string() +
                                     "/.PlayOnLinux/wineprefix/broken\n    not scanned: "));
    EXPECT_THAT(table.out, HasSubstr("Wine \"default\" " + home_.home().string() +
                                     "/.wine\n    Fonts Section: 2\n    Uninstall Secion: 1\n"
                                     "    3 problems found.\n"));
    EXPECT_THAT(table.out, HasSubstr("1 of 2 prefixes scanned.\n"));

    const auto json = run({"scan", "--all-prefixes", "--json", "--modules", "7"});
    const auto document = nlohmann::json::parse(json.out);
    EXPECT_THAT(document["prefixes"][0]["error"].get<std::string>(), HasSubstr("system.reg"));
    EXPECT_EQ(document["prefixes"][1]["count"], 2);
    EXPECT_EQ(document["prefixes"][1]["areas"]["Fonts Section"], 2);

    EXPECT_EQ(run({"--prefix", "default", "scan", "--all-prefixes"}).code, exitcode::usage);
}

} // namespace
} // namespace tolvane
