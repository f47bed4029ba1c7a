#include "platform/services/XdgAutostart.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(XdgAutostartTest, EnableWritesAnEntryOnceAndDisableRemovesIt) {
    test::TempDir config;
    XdgAutostart autostart(config.path(), "/opt/tolvane/bin/tolvane");
    EXPECT_FALSE(autostart.IsAutostartSet());

    autostart.SetAutostart(false);
    EXPECT_FALSE(std::filesystem::exists(config / "autostart"));

    autostart.SetAutostart(true);
    ASSERT_TRUE(autostart.IsAutostartSet());
    const std::string entry = config.read("autostart/tolvane.desktop");
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=\"/opt/tolvane/bin/tolvane\"\n"), std::string::npos);

    autostart.SetAutostart(false);
    EXPECT_FALSE(autostart.IsAutostartSet());
}

TEST(XdgAutostartTest, AnExistingEntryIsNeverRewritten) {
    test::TempDir config;
    config.write("autostart/tolvane.desktop", "[Desktop Entry]\nExec=/elsewhere/tolvane\n");
    XdgAutostart autostart(config.path(), "/usr/bin/tolvane");

    autostart.SetAutostart(true);

    EXPECT_EQ(config.read("autostart/tolvane.desktop"),
              "[Desktop Entry]\nExec=/elsewhere/tolvane\n");
}

TEST(XdgAutostartTest, ExecLineQuotesReservedCharacters) {
    EXPECT_EQ(XdgAutostart::execLine("/home/a b/tol$vane"), R"("/home/a b/tol\\$vane")");
    EXPECT_EQ(XdgAutostart::execLine("/x/100%/t"), R"("/x/100%%/t")");
}

} // namespace
} // namespace tolvane
