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

#ifndef _WIN32
TEST(CommandLineTest, AWindowsInstallationAndItsUser) {
    auto line = parse({"--windows=/mnt/win", "--user", "Bob", "fix", "--backup"});
    ASSERT_TRUE(line) << line.message();
    EXPECT_EQ(line->windows, std::filesystem::path("/mnt/win"));
    EXPECT_EQ(line->user, std::optional<std::string>("Bob"));
    EXPECT_FALSE(line->prefix);
    line = parse({"--user=S-1-5-21-1", "--windows", "/mnt/win", "scan"});
    ASSERT_TRUE(line) << line.message();
    EXPECT_EQ(line->user, std::optional<std::string>("S-1-5-21-1"));
    EXPECT_EQ(parse({"--windows"}).message(), "--windows needs the folder Windows is mounted at");
    EXPECT_EQ(parse({"--windows", "/m", "--user"}).message(), "--user needs a user name");
    EXPECT_EQ(parse({"--user", "Bob", "scan"}).message(), "--user needs --windows MOUNT");
    EXPECT_EQ(parse({"--prefix", "/p", "--windows", "/m", "scan"}).message(),
              "--windows and --prefix exclude each other");
}
#endif

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
