// The settings file shared by the desktop program and tolvane-cli.
#include "platform/prefix/UserProfile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <thread>

namespace tolvane::prefix {
namespace {

using test::TempDir;

std::unique_ptr<UserProfile> openProfile(const TempDir& config) {
    auto opened = UserProfile::open(config.path(), "tolvane");
    EXPECT_TRUE(opened) << opened.message();
    return opened ? std::move(opened.value()) : nullptr;
}

TEST(UserProfileTest, TwoStoresOnOneFileKeepEachOthersEntries) {
    const TempDir config;
    auto gui = openProfile(config);
    auto cli = openProfile(config);
    ASSERT_TRUE(gui && cli);
    EXPECT_TRUE(gui->writeProfileString("Settings", "WinePrefix", "/home/ann/.wine"));
    EXPECT_TRUE(cli->writeProfileString("UI", "Last Backup", "today"));
    EXPECT_TRUE(gui->writeProfileInt("Settings", "RunScanAtStartup", 1));
    // Each sees what the other wrote, and a third reader sees all of it.
    EXPECT_EQ(gui->getProfileString("UI", "Last Backup", ""), "today");
    EXPECT_EQ(cli->getProfileInt("Settings", "RunScanAtStartup", 0), 1u);
    auto later = openProfile(config);
    EXPECT_EQ(later->getProfileString("Settings", "WinePrefix", ""), "/home/ann/.wine");
    EXPECT_EQ(later->getProfileString("UI", "Last Backup", ""), "today");

    // Writers at once, as two processes: no entry is lost.
    {
        std::jthread first([&] {
            for (int i = 0; i < 40; ++i) {
                gui->writeProfileInt("A", "n" + std::to_string(i), static_cast<std::uint32_t>(i));
            }
        });
        std::jthread second([&] {
            for (int i = 0; i < 40; ++i) {
                cli->writeProfileInt("B", "n" + std::to_string(i), static_cast<std::uint32_t>(i));
            }
        });
    }
    auto last = openProfile(config);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(last->getProfileInt("A", "n" + std::to_string(i), 99), static_cast<unsigned>(i));
        EXPECT_EQ(last->getProfileInt("B", "n" + std::to_string(i), 99), static_cast<unsigned>(i));
    }
}

TEST(UserProfileTest, AMalformedFileIsMovedAsideAndTheDefaultsApply) {
    const TempDir config;
    config.write("tolvane/profile.reg", "this is no registry file\n");
    auto profile = openProfile(config);
    ASSERT_TRUE(profile);
    const std::string notice = profile->takeNotice();
    EXPECT_NE(notice.find("profile.reg could not be read"), std::string::npos) << notice;
    EXPECT_EQ(profile->takeNotice(), "");
    EXPECT_EQ(profile->getProfileInt("Settings", "RunScanAtStartup", 7), 7u);

    std::size_t setAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(config / "tolvane")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("profile.reg.bad-", 0) == 0) {
            ++setAside;
            EXPECT_EQ(test::readFile(entry.path()), "this is no registry file\n");
        }
    }
    EXPECT_EQ(setAside, 1u);
    // The next write starts a good file.
    EXPECT_TRUE(profile->writeProfileInt("Settings", "RunScanAtStartup", 1));
    EXPECT_EQ(openProfile(config)->getProfileInt("Settings", "RunScanAtStartup", 0), 1u);
}

} // namespace
} // namespace tolvane::prefix
