#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

Result<CommandLine> parse(std::initializer_list<std::string> words) {
    const std::vector<std::string> list(words);
    return parseCommandLine(list);
}

TEST(CommandLineTest, PrefixBeforeCommandAndOptionsAfterIt) {
    auto line = parse({"--prefix", "/tmp/p", "scan", "--modules", "0,5", "--json"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->prefix, std::filesystem::path("/tmp/p"));
    EXPECT_EQ(line->command, "scan");
    auto modules = line->takeOption("--modules");
    ASSERT_TRUE(modules);
    EXPECT_EQ(modules.value(), std::optional<std::string>("0,5"));
    EXPECT_TRUE(line->takeFlag("--json"));
    EXPECT_FALSE(line->takeFlag("--json"));
    EXPECT_TRUE(line->arguments.empty());
}

TEST(CommandLineTest, MissingValuesAndUnknownOptionsAreUsageErrors) {
    EXPECT_FALSE(parse({"--prefix"}));
    EXPECT_FALSE(parse({}));
    EXPECT_FALSE(parse({"--frobnicate", "scan"}));
    auto line = parse({"fix", "--modules"});
    ASSERT_TRUE(line);
    EXPECT_FALSE(line->takeOption("--modules"));
}

} // namespace
} // namespace tolvane
