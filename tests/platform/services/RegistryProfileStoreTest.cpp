#include "platform/services/RegistryProfileStore.h"

#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(RegistryProfileStoreTest, AbsentEntriesGiveTheCallersDefaults) {
    test::TestRegistry registry;
    RegistryProfileStore store(registry.gateway(), hkeyCurrentUser,
                               registry.scratchPath() + "\\tolvane");

    EXPECT_EQ(store.getProfileInt("Settings", "StartMinimized", 0), 0u);
    EXPECT_EQ(store.getProfileString("UI", "Last Scan", "none"), "none");
    EXPECT_FALSE(store.getProfileBinary("UI", "Selected Modules").has_value());
}

TEST(RegistryProfileStoreTest, EntriesKeepTheirTypesUnderTheirSection) {
    test::TestRegistry registry;
    RegistryGateway& gateway = registry.gateway();
    const std::string appKey = registry.scratchPath() + "\\tolvane";
    int commits = 0;
    RegistryProfileStore store(gateway, hkeyCurrentUser, appKey, [&commits] {
        ++commits;
        return Result<void>{};
    });

    ASSERT_TRUE(store.writeProfileInt("Settings", "Autostart", 1));
    ASSERT_TRUE(store.writeProfileString("UI", "Last Scan Result", "12"));
    const std::vector<std::uint8_t> selection{1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    ASSERT_TRUE(store.writeProfileBinary("UI", "Selected Modules", selection));
    EXPECT_EQ(commits, 3);

    EXPECT_EQ(store.getProfileInt("Settings", "Autostart", 0), 1u);
    EXPECT_EQ(store.getProfileString("UI", "Last Scan Result", "none"), "12");
    EXPECT_EQ(store.getProfileBinary("UI", "Selected Modules"), selection);

    HKey key = HKey::null;
    ASSERT_EQ(gateway.RegOpenKeyA(hkeyCurrentUser, appKey + "\\Settings", key), 0);
    std::uint32_t type = 0;
    std::string data;
    std::uint32_t size = 16;
    EXPECT_EQ(gateway.RegQueryValueExA(key, "Autostart", &type, &data, &size), 0);
    EXPECT_EQ(type, regtype::dword);
    EXPECT_EQ(data, std::string("\x01\x00\x00\x00", 4));
    gateway.RegCloseKey(key);
    // A value of another type reads as absent.
    EXPECT_EQ(store.getProfileString("Settings", "Autostart", "none"), "none");
}

} // namespace
} // namespace tolvane
