// Host paths with characters beyond ASCII on Windows, where the program's 8-bit texts are
// UTF-8 and std::filesystem reads 8-bit paths in another encoding.
#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/CRegTools.h"
#include "platform/services/RunKeyAutostart.h"
#include "platform/win32/LiveRegistryStorage.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <windows.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

// Points TMP at `folder` while it lives.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const fs::path& folder) {
        const DWORD size = GetEnvironmentVariableW(L"TMP", nullptr, 0);
        if (size > 0) {
            old_ = std::wstring(size, L'\0');
            old_->resize(GetEnvironmentVariableW(L"TMP", old_->data(), size));
        }
        SetEnvironmentVariableW(L"TMP", folder.c_str());
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() { SetEnvironmentVariableW(L"TMP", old_ ? old_->c_str() : nullptr); }

private:
    std::optional<std::wstring> old_;
};

TEST(NonAsciiPathsTest, FixBackupsAppendThroughATemporaryFolderWithAnyName) {
    test::TestRegistry registry;
    RegistryGateway& gateway = registry.gateway();
    for (const char* name : {"A", "B"}) {
        HKey key = HKey::null;
        ASSERT_EQ(gateway.RegCreateKeyA(registry.scratch(), name, key), 0);
        ASSERT_EQ(gateway.RegSetValueExA(key, "v", regtype::sz, name), 0);
        gateway.RegCloseKey(key);
    }
    test::TempDir dir;
    const fs::path work = dir.path() / L"Tolvane caf\u00e9";
    const fs::path temp = dir.path() / L"temp \u00fc\u65e5";
    fs::create_directories(work);
    fs::create_directories(temp);
    const TemporaryFolder redirected(temp);

    Win32FileSystem files;
    BuiltinRegistryEditor editor(gateway);
    test::ManualClock clock;
    RunKeyAutostart autostart(gateway, "C:\\tolvane.exe");
    LiveRegistryStorage storage;
    const Platform platform{gateway, files, editor, clock, autostart, storage, work};
    CRegTools tools(platform);
    const fs::path backup = work / "apppath.reg";

    EXPECT_TRUE(tools.BackupKey(backup, hkeyCurrentUser, registry.scratchPath() + "\\A"));
    EXPECT_TRUE(tools.BackupKey(backup, hkeyCurrentUser, registry.scratchPath() + "\\B"));

    const std::string text = test::readFile(backup);
    EXPECT_NE(text.find("\\A]\r\n\"v\"=\"A\""), std::string::npos) << text;
    EXPECT_NE(text.find("\\B]\r\n\"v\"=\"B\""), std::string::npos) << text;
    EXPECT_TRUE(fs::is_empty(temp)) << "the temporary export is removed";
}

} // namespace
} // namespace tolvane
