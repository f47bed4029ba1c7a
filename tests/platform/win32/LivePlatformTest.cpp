#include "platform/win32/LivePlatform.h"

#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace tolvane {
namespace {

TEST(LivePlatformTest, SettingsLiveUnderTheApplicationKeyOfTheCurrentUser) {
    LivePlatform live("tolvane");
    const std::string section = "Test " + std::to_string(GetCurrentProcessId());
    const std::string sectionPath = "Software\\Tolvane\\tolvane\\" + section;
    ASSERT_TRUE(live.settings().writeProfileInt(section, "Entry", 7));

    test::TestRegistry registry;
    RegistryGateway& gateway = registry.gateway();
    {
        RegKey key;
        ASSERT_EQ(RegKey::open(gateway, hkeyCurrentUser, sectionPath, key), winerr::success);
        std::uint32_t type = 0;
        std::string data;
        std::uint32_t size = 4;
        EXPECT_EQ(gateway.RegQueryValueExA(key.get(), "Entry", &type, &data, &size), 0);
        EXPECT_EQ(type, regtype::dword);
        EXPECT_EQ(data, std::string("\x07\0\0\0", 4));
    }
    DeleteKeyTree(gateway, hkeyCurrentUser, sectionPath);
}

TEST(LivePlatformTest, KeyExportsEndAsRegedit4FilesWhateverRegeditDoes) {
    test::TestRegistry registry;
    ASSERT_EQ(registry.gateway().RegSetValueExA(registry.scratch(), "Name", regtype::sz, "value"),
              0);
    LivePlatform live("tolvane");
    test::TempDir dir;
    const std::string keyText = "HKEY_CURRENT_USER\\" + registry.scratchPath();

    // Wine's regedit refuses "/a" and writes nothing; the built-in editor takes over.
    const Result<void> result = live.platform().editor.exportKey(dir / "key.reg", keyText);

    ASSERT_TRUE(result.ok()) << result.message();
    const std::string text = dir.read("key.reg");
    EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("\r\n[" + keyText + "]\r\n\"Name\"=\"value\"\r\n"), std::string::npos)
        << text;
}

TEST(LivePlatformTest, WorksWhereItWasStartedAndAutostartsThisExecutable) {
    LivePlatform live("tolvane");
    Platform& platform = live.platform();
    EXPECT_EQ(platform.workingDirectory, std::filesystem::current_path());
    EXPECT_EQ(platform.storage.describe(), "the live registry");
    EXPECT_TRUE(platform.storage.ensureWritable().ok());

    if (!test::TestRegistry::behavesLikeWine()) {
        GTEST_SKIP() << "the autostart check writes the machine's Run key";
    }
    ASSERT_FALSE(platform.autostart.IsAutostartSet());
    platform.autostart.SetAutostart(true);
    EXPECT_TRUE(platform.autostart.IsAutostartSet());
    RegKey run;
    ASSERT_EQ(RegKey::open(platform.registry, hkeyLocalMachine, RunKeyAutostart::runKeyPath, run),
              0);
    std::string path;
    std::uint32_t size = 1000;
    EXPECT_EQ(platform.registry.RegQueryValueExA(run.get(), RunKeyAutostart::valueName, nullptr,
                                                 &path, &size),
              0);
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
    EXPECT_NE(path.find("tolvane_tests.exe"), std::string::npos) << path;
    platform.autostart.SetAutostart(false);
    EXPECT_FALSE(platform.autostart.IsAutostartSet());
}

} // namespace
} // namespace tolvane
