#include "cli/CliApp.h"
#include "tests/cli/DemoPrefixCliTest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sstream>

namespace tolvane {
namespace {

using test::CliRun;
using test::registryFile;

CliRun runWords(const std::vector<std::string>& words) {
    return test::runCliWords(words);
}

TEST(StatCommandTest, CountsImplicitParentsOnceAndLinkKeysWithoutTheirTarget) {
    test::TempDir prefix;
    prefix.write(
        "system.reg",
        registryFile("REGISTRY\\\\Machine",
                     "\n[Software\\\\A\\\\B] 1700000000\n\"x\"=\"1\"\n\"y\"=dword:00000002\n"
                     "\n[Software\\\\Link] 1700000000\n#link\n"
                     "\"SymbolicLinkValue\"=hex(6):5c,00,52,00\n"
                     "\n[System] 1700000000\n@=\"d\"\n"));
    prefix.write("user.reg", registryFile("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000", ""));
    prefix.write("userdef.reg",
                 registryFile("REGISTRY\\\\User\\\\.Default", "\n[Control Panel] 1700000000\n"));

    const auto run = runWords({"--prefix", prefix.path().string(), "stat", "--json"});

    EXPECT_EQ(run.code, exitcode::ok) << run.err;
    EXPECT_EQ(run.out, "{\"system.reg\": {\"keys\": 5, \"values\": 3}, "
                       "\"user.reg\": {\"keys\": 0, \"values\": 0}, "
                       "\"userdef.reg\": {\"keys\": 1, \"values\": 0}}\n");
}

TEST(StatCommandTest, MissingOrMalformedPrefixIsOneLineNamingFileAndLine) {
    test::TempDir prefix;
    auto missing = runWords({"--prefix", (prefix / "absent").string(), "stat"});
    EXPECT_EQ(missing.code, exitcode::failure);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);

    prefix.write("system.reg", registryFile("REGISTRY\\\\Machine", "\n[Software 1700000000\n"));
    prefix.write("user.reg", registryFile("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000", ""));
    prefix.write("userdef.reg", registryFile("REGISTRY\\\\User\\\\.Default", ""));
    auto malformed = runWords({"--prefix", prefix.path().string(), "stat"});
    EXPECT_EQ(malformed.code, exitcode::failure);
    EXPECT_NE(malformed.err.find("system.reg"), std::string::npos) << malformed.err;
    EXPECT_NE(malformed.err.find("system.reg:6:"), std::string::npos) << malformed.err;
    EXPECT_EQ(std::count(malformed.err.begin(), malformed.err.end(), '\n'), 1);
    EXPECT_TRUE(malformed.out.empty());
}

} // namespace
} // namespace tolvane
