// The system regedit under Wine: its "/e" works, its "/a" is refused (exit code 0, no file),
// so these tests see both roads: regedit's own file, and the fallback taking over.
#include "platform/win32/RegeditRegistryEditor.h"

#include "tests/support/TempDir.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

// Stands in for the built-in editor: remembers what it was asked and writes a file that
// tells it apart from regedit's.
class RecordingEditor final : public RegistryEditor {
public:
    Result<void> exportKey(const fs::path& file, std::string_view keyText) override {
        return record(file, "exportKey " + std::string(keyText));
    }
    Result<void> exportRegistry(const fs::path& file) override {
        return record(file, "exportRegistry");
    }
    Result<void> importRegFile(const fs::path& file) override {
        calls.push_back("importRegFile " + file.filename().string());
        return fail ? Result<void>(makeError("refused")) : Result<void>();
    }

    std::vector<std::string> calls;
    bool fail = false;

private:
    Result<void> record(const fs::path& file, std::string call) {
        calls.push_back(call);
        if (fail) {
            return makeError("cannot write");
        }
        test::writeFile(file, "written by the fallback: " + call);
        return {};
    }
};

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

std::string utf16(std::string_view ascii) {
    std::string bytes;
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(RegeditRegistryEditorTest, ParametersQuoteTheFileAndTheKeyVerbatim) {
    const fs::path file = L"C:\\Backup\\06.12.2026 22_40_01_123\\apppath.reg";
    struct Case {
        std::string_view switchText;
        std::optional<std::string_view> key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"/a", "HKEY_LOCAL_MACHINE\\Software\\100%s %n\\",
         R"(/a "C:\Backup\06.12.2026 22_40_01_123\apppath.reg" "HKEY_LOCAL_MACHINE\Software\100%s %n")"},
        {"/e", std::nullopt, R"(/e "C:\Backup\06.12.2026 22_40_01_123\apppath.reg")"},
        {"/a", "HKEY_CURRENT_USER\\Say \"hi\"", std::nullopt},
        {"/a", "\\\\", std::nullopt},
        {"/a", "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegeditRegistryEditor::parameters(c.switchText, file, c.key), c.expected)
            << c.key.value_or("(no key)");
    }
    EXPECT_EQ(RegeditRegistryEditor::parameters("/e", L"C:\\dir\\", std::nullopt), std::nullopt)
        << "a trailing backslash would escape the closing quote";
}

TEST(RegeditRegistryEditorTest, KeyExportFallsBackWhenRegeditWritesNoFile) {
    test::TempDir dir;
    RecordingEditor fallback;
    RegeditRegistryEditor editor(fallback);
    const fs::path file = dir / "com.reg";

    ASSERT_TRUE(editor.exportKey(file, "HKEY_CURRENT_USER\\Software").ok());

    EXPECT_EQ(fallback.calls, std::vector<std::string>{"exportKey HKEY_CURRENT_USER\\Software"});
    EXPECT_EQ(dir.read("com.reg"),
              "written by the fallback: exportKey HKEY_CURRENT_USER\\Software");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"com.reg"}) << "no scratch file left";
}

TEST(RegeditRegistryEditorTest, RegistryExportIsRegeditsOwnVersion5File) {
    test::TestRegistry registry;
    ASSERT_EQ(registry.gateway().RegSetValueExA(registry.scratch(), "Marker", regtype::sz,
                                                "seen by regedit"),
              0);
    test::TempDir dir;
    dir.write("main.reg", "an older backup");
    RecordingEditor fallback;
    RegeditRegistryEditor editor(fallback);

    const Result<void> result = editor.exportRegistry(dir / "main.reg");

    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_TRUE(fallback.calls.empty());
    const std::string text = dir.read("main.reg");
    EXPECT_EQ(text.rfind("\xFF\xFE" + utf16("Windows Registry Editor Version 5.00\r\n"), 0), 0u);
    EXPECT_NE(text.find(utf16("\r\n[HKEY_LOCAL_MACHINE]\r\n")), std::string::npos);
    EXPECT_NE(text.find(utf16("\"Marker\"=\"seen by regedit\"")), std::string::npos);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"main.reg"});
}

TEST(RegeditRegistryEditorTest, AnEditorThatCannotStartLeavesEverythingToTheFallback) {
    test::TempDir dir;
    RecordingEditor fallback;
    RegeditRegistryEditor editor(fallback, "tolvane-no-such-editor.exe");

    EXPECT_TRUE(editor.exportRegistry(dir / "main.reg").ok());
    EXPECT_TRUE(editor.exportKey(dir / "key.reg", "HKEY_USERS\\.Default").ok());
    EXPECT_EQ(fallback.calls,
              (std::vector<std::string>{"exportRegistry", "exportKey HKEY_USERS\\.Default"}));
    EXPECT_EQ(dir.read("main.reg"), "written by the fallback: exportRegistry");

    // When the fallback fails as well, an older file at the target stays as it was.
    fallback.fail = true;
    const Result<void> failed = editor.exportRegistry(dir / "main.reg");
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.message(), "cannot write");
    EXPECT_EQ(dir.read("main.reg"), "written by the fallback: exportRegistry");
    EXPECT_EQ(filesIn(dir.path()).size(), 2u);
}

TEST(RegeditRegistryEditorTest, ImportsAlwaysGoToTheFallbackWhichReportsTheResult) {
    test::TempDir dir;
    const fs::path file = dir.write("restore.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n");
    RecordingEditor fallback;
    RegeditRegistryEditor editor(fallback);

    EXPECT_TRUE(editor.importRegFile(file).ok());
    fallback.fail = true;
    EXPECT_FALSE(editor.importRegFile(file).ok());
    EXPECT_EQ(fallback.calls,
              (std::vector<std::string>{"importRegFile restore.reg", "importRegFile restore.reg"}));
}

} // namespace
} // namespace tolvane
