// tolvane-cli on Windows: the commands work on the live registry.
#include "cli/CliApp.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace tolvane {
namespace {

TEST(CliSessionLiveTest, CommandsWorkOnTheLiveRegistryAndRefuseAPrefix) {
    test::TestRegistry registry;
    test::TempDir dir;
    const std::string file = (dir / "restore.reg").string();
    const std::string keyText = "HKEY_CURRENT_USER\\" + registry.scratchPath();
    test::writeFile(dir / "restore.reg",
                    "REGEDIT4\r\n\r\n[" + keyText + "\\Imported]\r\n\"v\"=\"1\"\r\n");
    struct Case {
        std::vector<std::string> words;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"import", file}, exitcode::ok, ""},
        {{"export", (dir / "out.reg").string(), keyText}, exitcode::ok, ""},
        {{"--prefix", dir.path().string(), "import", file},
         exitcode::failure,
         "tolvane-cli: --prefix names a Wine prefix; on Windows the live registry is used\n"},
        {{"stat"}, exitcode::usage, "tolvane-cli: unknown command stat\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runCli(c.words, out, err), c.exitCode) << c.words.front();
        EXPECT_EQ(err.str().substr(0, c.err.size()), c.err) << err.str();
    }
    EXPECT_NE(dir.read("out.reg").find("[" + keyText + "\\Imported]\r\n\"v\"=\"1\""),
              std::string::npos);
}

} // namespace
} // namespace tolvane
