#include "cli/IgnoreCommand.h"

#include "cli/CliApp.h"
#include "tests/cli/CliRun.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::CliRun;

// The ignore command and the scans it screens, on the demo prefix with a scratch settings
// folder.
class IgnoreCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::makeDemoPrefix(prefix.path()));
        previous = std::filesystem::current_path();
        std::filesystem::current_path(work.path());
        setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        unsetenv("XDG_CONFIG_HOME");
    }

    CliRun run(std::vector<std::string> words, std::string prefixPath = {}) {
        return test::runCliOnPrefix(prefixPath.empty() ? prefix.path().string() : prefixPath,
                                    std::move(words));
    }

    // The value of the first "field": "..." in a JSON text, unescaped for plain names.
    static std::string firstText(const std::string& json, const std::string& field) {
        const std::string tag = "\"" + field + "\": \"";
        const std::size_t at = json.find(tag);
        if (at == std::string::npos) {
            return {};
        }
        std::string text;
        for (std::size_t i = at + tag.size(); i < json.size() && json[i] != '"'; ++i) {
            if (json[i] == '\\' && i + 1 < json.size()) {
                ++i;
            }
            text += json[i];
        }
        return text;
    }
    static int firstNumber(const std::string& json, const std::string& field) {
        const std::string tag = "\"" + field + "\": ";
        const std::size_t at = json.find(tag);
        return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + tag.size());
    }

    test::TempDir prefix;
    test::TempDir work;
    std::filesystem::path previous;
};

TEST_F(IgnoreCommandTest, AnIgnoredProblemLeavesTheScanAndTheFixAndComesBackWhenRemoved) {
    const CliRun before = run({"scan", "--json"});
    ASSERT_EQ(before.code, 0) << before.err;
    const int count = firstNumber(before.out, "count");
    ASSERT_GT(count, 0);
    const std::string module = std::to_string(firstNumber(before.out, "moduleId"));
    const std::string primary = firstText(before.out, "primaryName");
    const std::string secondary = firstText(before.out, "secondaryName");
    std::vector<std::string> add{"ignore", "add", "--module", module, primary};
    if (!secondary.empty()) {
        add.push_back(secondary);
    }

    const CliRun added = run(add);
    ASSERT_EQ(added.code, 0) << added.err;
    EXPECT_EQ(run(add).out, "Already ignored.\n");

    const CliRun after = run({"scan", "--json"});
    EXPECT_EQ(firstNumber(after.out, "count"), count - 1);
    EXPECT_EQ(firstNumber(after.out, "ignored"), 1);
    EXPECT_NE(run({"scan"}).out.find(", 1 ignored."), std::string::npos);

    const CliRun fixed = run({"fix", "--no-backup"});
    ASSERT_EQ(fixed.code, 0) << fixed.err;
    const CliRun left = run({"scan", "--json"});
    EXPECT_EQ(firstNumber(left.out, "ignored"), 1) << "the fix left the ignored entry alone";

    const CliRun listed = run({"ignore", "list", "--json"});
    EXPECT_EQ(firstNumber(listed.out, "count"), 1);
    EXPECT_NE(listed.out.find("\"allPrefixes\": false"), std::string::npos);
    EXPECT_EQ(run({"ignore", "remove", "1"}).code, 0);
    EXPECT_EQ(firstNumber(run({"scan", "--json"}).out, "count"),
              firstNumber(left.out, "count") + 1);
}

TEST_F(IgnoreCommandTest, AnEntryForEveryPrefixHoldsElsewhereAndOneForThisPrefixDoesNot) {
    test::TempDir other;
    ASSERT_TRUE(test::makeDemoPrefix(other.path()));
    ASSERT_EQ(run({"ignore", "add", "--module", "7", "Courier"}).code, 0);
    ASSERT_EQ(run({"ignore", "add", "--module", "7", "Small Fonts", "--all-prefixes"}).code, 0);

    const CliRun elsewhere = run({"ignore", "list"}, other.path().string());
    EXPECT_NE(elsewhere.out.find("all prefixes"), std::string::npos);
    EXPECT_EQ(elsewhere.out.find("this prefix"), std::string::npos) << elsewhere.out;
    const CliRun here = run({"ignore", "list"});
    EXPECT_NE(here.out.find("this prefix"), std::string::npos) << here.out;

    EXPECT_EQ(run({"ignore", "remove", "small fonts"}).code, 0);
    EXPECT_EQ(run({"ignore", "remove", "Small Fonts"}).code, 1) << "gone already";
    EXPECT_NE(run({"ignore", "list"}).out.find("1 entry ignored."), std::string::npos);
}

TEST_F(IgnoreCommandTest, BadArgumentsAreUsageErrorsThatChangeNothing) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"ignore"},
             {"ignore", "drop"},
             {"ignore", "add", "Key"},
             {"ignore", "add", "--module", "13", "Key"},
             {"ignore", "add", "--module", "x", "Key"},
             {"ignore", "add", "--module", "2"},
             {"ignore", "add", "--module", "2", "a", "b", "c"},
             {"ignore", "remove"},
         }) {
        const CliRun result = run(words);
        EXPECT_EQ(result.code, 2) << words.back();
        EXPECT_NE(result.err.find("usage: tolvane-cli ignore"), std::string::npos);
    }
    EXPECT_EQ(run({"ignore", "remove", "3"}).code, 1);
    EXPECT_NE(run({"ignore", "list"}).out.find("0 entries ignored."), std::string::npos);
    EXPECT_EQ(run({"ignore", "--help"}).code, 0);
}

} // namespace
} // namespace tolvane
