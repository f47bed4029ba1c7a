#include "platform/services/PathChecks.h"

#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"
#include "tests/support/PathWatchingFileSystem.h"
#include "tests/support/TestFileSystem.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

// Counts the file tests, to show which tests a routine makes.
class CountingFileSystem : public test::PathWatchingFileSystem {
public:
    using PathWatchingFileSystem::PathWatchingFileSystem;

    std::vector<std::string> tested;

private:
    void pathTested(std::string_view path) override { tested.emplace_back(path); }
};

class PathChecksTest : public ::testing::Test {
protected:
    PathChecksTest() : fixture(registry.gateway()), counting(fixture.files()) {
        for (const char* file : {"C:\\App\\a.exe", "C:\\App Dir\\tool.exe", "C:\\App\\x.dll",
                                 "C:\\windows\\system32\\shell32.dll", "C:\\windows\\notepad.exe",
                                 "C:\\windows\\tolvanetest.exe"}) {
            fixture.addFile(file);
        }
        fixture.addFolder("C:\\windows\\tolvanefolder.exe");
    }

    std::string windowsDirectory() {
        std::string folder;
        fixture.files().GetWindowsDirectoryA(folder, maxPath);
        return folder;
    }

    test::TestRegistry registry;
    test::TestFileSystem fixture;
    CountingFileSystem counting;
    PathChecks checks{counting, registry.gateway()};
};

// A key HKEY_CLASSES_ROOT\Applications\<name> for the life of the object.
class RegisteredApplication {
public:
    RegisteredApplication(RegistryGateway& registry, std::string name)
        : registry_(registry), path_("Applications\\" + std::move(name)) {
        RegKey key;
        EXPECT_EQ(RegKey::create(registry_, hkeyClassesRoot, path_, key), winerr::success);
    }
    RegisteredApplication(const RegisteredApplication&) = delete;
    RegisteredApplication& operator=(const RegisteredApplication&) = delete;
    ~RegisteredApplication() { DeleteKeyTree(registry_, hkeyClassesRoot, path_); }

private:
    RegistryGateway& registry_;
    std::string path_;
};

TEST(HasDrivePath, ExtractsThePathAndLowerCasesUnquotedText) {
    struct Case {
        std::string text;
        bool result;
        std::string out;
        std::string textAfter;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\App\\App.exe\" /x", true, "C:\\Program Files\\App\\App.exe",
         "\"C:\\Program Files\\App\\App.exe\" /x"},
        {"C:\\Tools\\Tool.EXE -min", true, "c:\\tools\\tool.exe", "c:\\tools\\tool.exe -min"},
        // The blank that ends the path is looked for from "exe" on, so blanks in folders stay.
        {"C:\\My Tools\\Run.exe /s", true, "c:\\my tools\\run.exe", "c:\\my tools\\run.exe /s"},
        {"C:\\My Tools\\run.dll x", true, "c:\\my", "c:\\my tools\\run.dll x"},
        // "exe" ends a path only where a file name ends.
        {"C:\\Program Files\\Flexera Software\\uninst.exe", true,
         "c:\\program files\\flexera software\\uninst.exe",
         "c:\\program files\\flexera software\\uninst.exe"},
        {"C:\\Exe Tools\\a.exe.bak\\b.exe -q", true, "c:\\exe tools\\a.exe.bak\\b.exe",
         "c:\\exe tools\\a.exe.bak\\b.exe -q"},
        {"%SystemRoot%\\x.exe", false, "%systemroot%\\x.exe", "%systemroot%\\x.exe"},
        {"tool.exe", false, "tool.exe", "tool.exe"},
        {"C:", false, "c:", "c:"},
        {"", false, "", ""},
        {"\"C:\\unclosed.exe", false, "     ", "\"C:\\unclosed.exe"},
        // Only ASCII letters are lowered; the UTF-8 bytes of "Ä" stay as they are.
        {"C:\\\xC3\x84PP\\X.EXE", true, "c:\\\xC3\x84pp\\x.exe", "c:\\\xC3\x84pp\\x.exe"},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        std::string out = "stale";
        EXPECT_EQ(HasDrivePath(text, out), c.result) << c.text;
        EXPECT_EQ(out, c.out) << c.text;
        EXPECT_EQ(text, c.textAfter) << c.text;
    }
}

TEST(CommandTokens, FirstTokenAndCutAfterExtension) {
    struct Case {
        void (*routine)(std::string&);
        std::string text;
        std::string result;
    };
    const Case cases[] = {
        {TakeFirstToken, "\"C:\\App Dir\\tool.exe\" \"%1\"", "C:\\App Dir\\tool.exe"},
        {TakeFirstToken, "\"C:\\unclosed dir\\tool.exe", "C:\\unclosed dir\\tool.exe"},
        {TakeFirstToken, "notepad.exe %1", "notepad.exe"},
        {TakeFirstToken, "", ""},
        {CutAfterExtension, "C:\\App Dir\\tool.exe %1", "C:\\App Dir\\tool.exe"},
        {CutAfterExtension, "\"C:\\App Dir\\tool.exe\" %1", "\"C:\\App Dir\\tool.exe\""},
        {CutAfterExtension, "C:\\dir.d\\prog arg", "C:\\dir.d\\prog"},
        {CutAfterExtension, "C:\\noext %1", "C:\\noext %1"},
        {CutAfterExtension, "myapp %1", "myapp.exe"},
        {CutAfterExtension, "my.app %1", "my.app"},
    };
    for (const auto& c : cases) {
        std::string work = c.text;
        c.routine(work);
        EXPECT_EQ(work, c.result) << c.text;
    }
}

TEST_F(PathChecksTest, NormalizeServerPathCutsArgumentsAndExpandsVariables) {
    const std::pair<std::string, std::string> cases[] = {
        {"%SystemRoot%\\System32\\x.dll", windowsDirectory() + "\\System32\\x.dll"},
        {"x.dll,1", "x.dll"},
        {"\"C:\\App\\a.exe\" /automation", "C:\\App\\a.exe"},
        {"C:\\App\\a.exe /Embedding", "C:\\App\\a.exe"},
        {"C:/App/a.exe", "C:"},
        // Every reference is expanded, and nothing after one is lost.
        {"%SystemRoot%x.dll", windowsDirectory() + "x.dll"},
        {"%SystemRoot%", windowsDirectory()},
        {"%SystemRoot%\\%SystemRoot%", windowsDirectory() + "\\" + windowsDirectory()},
        {"%TolvaneNoSuchVariable%\\x.dll", "%TolvaneNoSuchVariable%\\x.dll"},
        {"100%\\x.dll", "100%\\x.dll"},
    };
    for (const auto& [text, normalized] : cases) {
        std::string work = text;
        checks.NormalizeServerPath(work);
        EXPECT_EQ(work, normalized) << text;
    }
    // An expansion that does not fit 260 bytes is not made.
    const std::string longText = std::string(250, 'a') + "%SystemRoot%\\x.dll";
    std::string work = longText;
    checks.NormalizeServerPath(work);
    EXPECT_EQ(work, longText);
}

TEST_F(PathChecksTest, FileExistsInSystemDirsLooksInTheWindowsAndSystemFolders) {
    EXPECT_TRUE(checks.FileExistsInSystemDirs("shell32.dll"));
    EXPECT_TRUE(checks.FileExistsInSystemDirs("notepad.exe"));
    EXPECT_TRUE(checks.FileExistsInSystemDirs("C:\\App\\a.exe"));
    EXPECT_TRUE(checks.FileExistsInSystemDirs("C:\\App"));
    EXPECT_TRUE(checks.FileExistsInSystemDirs("C:\\WINNT\\system32\\shell32.dll"));
    EXPECT_FALSE(checks.FileExistsInSystemDirs("tolvane-missing.dll"));

    counting.tested.clear();
    EXPECT_FALSE(checks.FileExistsInSystemDirs("x"));
    EXPECT_TRUE(counting.tested.empty());

    // Joined paths that would not fit 260 bytes are not tested at all.
    const std::string longName = std::string(250, 'a') + ".dll";
    EXPECT_FALSE(checks.FileExistsInSystemDirs(longName));
    EXPECT_EQ(counting.tested, std::vector<std::string>{longName});
}

TEST_F(PathChecksTest, ExistsTrimmingTailShedsArgumentsCharacterByCharacter) {
    EXPECT_TRUE(checks.ExistsTrimmingTail("C:\\App\\a.exe -Embedding"));
    EXPECT_TRUE(checks.ExistsTrimmingTail("C:\\App\\a.exe"));
    EXPECT_FALSE(checks.ExistsTrimmingTail("C:\\App\\missing.exe -x"));

    // Without a dot the text is tried once only.
    counting.tested.clear();
    checks.FileExistsInSystemDirs("C:\\App\\missing -x");
    const auto once = counting.tested;
    counting.tested.clear();
    EXPECT_FALSE(checks.ExistsTrimmingTail("C:\\App\\missing -x"));
    EXPECT_EQ(counting.tested, once);

    // Arguments with dots of their own are shed as well, up to the program's own.
    fixture.addFile("C:\\Program Files\\Good\\good.exe");
    std::string server = "\"C:\\Program Files\\Good\\good.exe\" -Embedding -log good.log";
    checks.NormalizeServerPath(server);
    EXPECT_TRUE(checks.ExistsTrimmingTail(server));

    // A text longer than the 260-byte work buffer counts as not found.
    EXPECT_FALSE(checks.ExistsTrimmingTail("C:\\App\\a.exe " + std::string(260, 'x')));
}

TEST_F(PathChecksTest, ExistsTrimmingTailTestsEveryShorterTextInEveryFolder) {
    std::string system;
    fixture.files().GetSystemDirectoryA(system, maxPath);
    const std::string windows = windowsDirectory();
    std::vector<std::string> expected;
    for (const char* text :
         {"C:\\App\\q.dll", "C:\\App\\q.dl", "C:\\App\\q.d", "C:\\App\\q.", "C:\\App\\q"}) {
        expected.emplace_back(text);
        expected.push_back(windows + "\\" + text);
        expected.push_back(system + "\\" + text);
    }
    // The same answers and the same tests when asked a second time.
    for (int round = 0; round < 2; ++round) {
        counting.tested.clear();
        EXPECT_FALSE(checks.ExistsTrimmingTail("C:\\App\\q.dll"));
        EXPECT_EQ(counting.tested, expected);
    }
}

// Answers "no Windows folder" once asked to.
class FolderlessFileSystem : public CountingFileSystem {
public:
    using CountingFileSystem::CountingFileSystem;
    std::uint32_t GetWindowsDirectoryA(std::string& buffer, std::uint32_t size) override {
        return failWindowsFolder ? 0 : CountingFileSystem::GetWindowsDirectoryA(buffer, size);
    }
    bool failWindowsFolder = false;
};

TEST_F(PathChecksTest, AFailedFolderQueryLeavesTheFolderOutEvenAfterASuccessfulOne) {
    FolderlessFileSystem files(fixture.files());
    PathChecks folderless(files, registry.gateway());
    EXPECT_TRUE(folderless.FileExistsInSystemDirs("notepad.exe"));
    files.failWindowsFolder = true;
    files.tested.clear();
    // Whether the system folder holds it too differs between prefixes; what matters is which
    // paths were tested.
    (void)folderless.FileExistsInSystemDirs("notepad.exe");
    ASSERT_GE(files.tested.size(), 2U);
    EXPECT_EQ(files.tested[1], "\\notepad.exe");
}

TEST_F(PathChecksTest, CommandTargetExistsFindsTheProgramOfAnOpenCommand) {
    EXPECT_TRUE(checks.CommandTargetExists("notepad.exe %1"));
    EXPECT_TRUE(checks.CommandTargetExists("\"C:\\App Dir\\tool.exe\" \"%1\""));
    EXPECT_TRUE(checks.CommandTargetExists("C:\\App Dir\\tool.exe %1"));
    EXPECT_TRUE(checks.CommandTargetExists("tolvanetest /x"));
    EXPECT_FALSE(checks.CommandTargetExists("tolvane-missing /x"));
    EXPECT_FALSE(checks.CommandTargetExists("C:\\App Dir\\missing.exe %1"));
    // A folder is not a program.
    EXPECT_FALSE(checks.CommandTargetExists("tolvanefolder.exe %1"));
    EXPECT_FALSE(checks.CommandTargetExists(std::string(300, 'a')));
}

TEST_F(PathChecksTest, RegisteredApplicationsCountAndAnEmptyNameDoesNot) {
    const RegisteredApplication folderApp(registry.gateway(), "tolvanefolder.exe");
    EXPECT_TRUE(checks.CommandTargetExists("tolvanefolder.exe %1"));
    EXPECT_TRUE(checks.IsFileOrRegisteredApp("tolvanefolder.exe"));
    // "Applications\" alone names the parent key, which exists now.
    EXPECT_FALSE(checks.FindFileOrApp(""));
    EXPECT_FALSE(checks.CommandTargetExists("\"\" %1"));
}

// A key for the life of the object.
class ScratchKey {
public:
    ScratchKey(RegistryGateway& registry, HKey root, std::string path)
        : registry_(registry), root_(root), path_(std::move(path)) {
        RegKey key;
        EXPECT_EQ(RegKey::create(registry_, root_, path_, key), winerr::success);
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    ~ScratchKey() { DeleteKeyTree(registry_, root_, path_); }

private:
    RegistryGateway& registry_;
    HKey root_;
    std::string path_;
};

TEST_F(PathChecksTest, CommandLinesResolveAsWindowsStartsThem) {
    fixture.addFile("C:\\Program Files\\App\\app.exe");
    fixture.addFile("C:\\Program Files\\Flexera Software\\uninst.exe");
    fixture.addFile("C:\\windows\\system32\\rundll32.exe");
    fixture.addFile("C:\\windows\\system32\\msiexec.exe");
    const std::pair<std::string, PathState> cases[] = {
        {"%ProgramFiles%\\App\\app.exe /sync", PathState::exists},
        {"\"%ProgramFiles%\\App\\app.exe\" /sync", PathState::exists},
        {"%SystemRoot%\\NOTEPAD.EXE %1", PathState::exists},
        {"\"C:\\windows\\notepad.exe\" -min", PathState::exists},
        {"C:\\Program Files\\Flexera Software\\uninst.exe", PathState::exists},
        {"C:\\Program Files\\App\\app /sync", PathState::exists},
        {"notepad %1", PathState::exists},
        {"\"C:\\Program Files\\App\\gone.exe\" -min", PathState::missing},
        {"C:\\Program Files\\App\\gone.exe \"%1\" %*", PathState::missing},
        {"tolvane-missing.exe /x", PathState::missing},
        {"\"\" %1", PathState::missing},
        // Cannot tell: a variable the system does not set, the document itself, a network
        // path, a relative path, no path at all.
        {"%TolvaneNoSuchVariable%\\app.exe", PathState::unknown},
        {"C:\\Program Files\\%TolvaneNoSuchVariable%\\app.exe", PathState::unknown},
        {"\"%1\" %*", PathState::unknown},
        {"%1 %*", PathState::unknown},
        {"\\\\server\\share\\app.exe /s", PathState::unknown},
        {"bin\\app.exe", PathState::unknown},
        {"http://example.invalid/app", PathState::unknown},
        {"", PathState::unknown},
        // rundll32 and msiexec: the program and what it is given.
        {"rundll32.exe shell32.dll,Control_RunDLL", PathState::exists},
        {"rundll32.exe tolvane-gone.dll,Control_RunDLL", PathState::missing},
        {"rundll32.exe C:\\App\\x.dll,Entry", PathState::exists},
        {"RUNDLL32 \"C:\\App\\gone.dll\",Entry", PathState::missing},
        {"rundll32.exe %TolvaneNoSuchVariable%\\x.dll,Entry", PathState::unknown},
        {"MsiExec.exe /X{12345678-9ABC-DEF0-1234-56789ABCDEF0}", PathState::missing},
        {"msiexec /i \"C:\\App\\a.exe\"", PathState::exists},
        {"msiexec /x{not-a-code}", PathState::unknown},
    };
    for (const auto& [text, state] : cases) {
        EXPECT_EQ(checks.CommandState(text), state) << text;
    }
    // The old name answers the same: only a missing program fails it.
    EXPECT_TRUE(checks.CommandTargetExists("%ProgramFiles%\\App\\app.exe /sync"));
    EXPECT_TRUE(checks.CommandTargetExists("\"%1\" %*"));
    EXPECT_FALSE(checks.CommandTargetExists("C:\\Program Files\\App\\gone.exe %1"));
}

TEST_F(PathChecksTest, BareProgramsAndProductsAreFoundWhereWindowsKeepsThem) {
    const std::string appPath =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tolvaneregistered.exe";
    {
        const ScratchKey registered(registry.gateway(), hkeyLocalMachine, appPath);
        RegKey entry;
        ASSERT_EQ(RegKey::open(registry.gateway(), hkeyLocalMachine, appPath, entry),
                  winerr::success);
        // The entry counts where it names a program that is there.
        EXPECT_EQ(checks.CommandState("tolvaneregistered /x"), PathState::missing);
        for (const std::string program : {"tolvaneregistered.exe", "C:\\App\\gone.exe"}) {
            ASSERT_EQ(registry.gateway().RegSetValueA(entry.get(), "", regtype::sz, program),
                      winerr::success);
            EXPECT_EQ(checks.CommandState("tolvaneregistered /x"), PathState::missing) << program;
        }
        ASSERT_EQ(registry.gateway().RegSetValueA(entry.get(), "", regtype::sz,
                                                  "\"%SystemRoot%\\notepad.exe\""),
                  winerr::success);
        EXPECT_EQ(checks.CommandState("tolvaneregistered /x"), PathState::exists);
        // Installers also write the program unquoted with its arguments.
        ASSERT_EQ(
            registry.gateway().RegSetValueA(entry.get(), "", regtype::sz, "C:\\App\\a.exe -tool"),
            winerr::success);
        EXPECT_EQ(checks.CommandState("tolvaneregistered /x"), PathState::exists);
        ASSERT_EQ(registry.gateway().RegSetValueA(entry.get(), "", regtype::sz,
                                                  "%TolvaneNoSuchVariable%\\a.exe"),
                  winerr::success);
        EXPECT_EQ(checks.CommandState("tolvaneregistered /x"), PathState::unknown);
    }
    EXPECT_EQ(checks.CommandState("tolvaneregistered /x"), PathState::missing);

    fixture.addFile("C:\\windows\\system32\\msiexec.exe");
    const std::string code = "{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
    EXPECT_EQ(checks.ProductState(code), PathState::missing);
    {
        const ScratchKey product(registry.gateway(), hkeyCurrentUser,
                                 "Software\\Microsoft\\Installer\\Products\\"
                                 "87654321CBA90FED21436587A9CBED0F");
        EXPECT_EQ(checks.ProductState(code), PathState::exists);
        EXPECT_EQ(checks.CommandState("MsiExec.exe /X" + code), PathState::exists);
        // The code's digits are no case matter.
        EXPECT_EQ(checks.ProductState("{12345678-9abc-def0-1234-56789abcdef0}"), PathState::exists);
    }
    EXPECT_EQ(checks.ProductState("{12345678-9ABC-DEF0-1234-56789ABCDEF0"), PathState::unknown);
    EXPECT_EQ(checks.ProductState("{12345678-9ABC-DEF0-1234-56789ABCDEFG}"), PathState::unknown);
}

TEST_F(PathChecksTest, FilesAndIconsAreUnquotedExpandedAndCutAtTheirIndex) {
    const std::pair<std::string, PathState> files[] = {
        {"\"C:\\App\\a.exe\"", PathState::exists},
        {"%SystemRoot%\\notepad.exe", PathState::exists},
        {"  C:\\App  ", PathState::exists},
        {"C:\\App\\gone.wav", PathState::missing},
        {"\"C:\\App\\gone.wav\"", PathState::missing},
        {"gone.wav", PathState::unknown},
        {"%TolvaneNoSuchVariable%\\a.wav", PathState::unknown},
        {"\\\\server\\a.wav", PathState::unknown},
    };
    for (const auto& [text, state] : files) {
        EXPECT_EQ(checks.FileState(text), state) << text;
    }
    const std::pair<std::string, PathState> icons[] = {
        {"C:\\App\\a.exe,0", PathState::exists},
        {"\"C:\\App\\a.exe\",-101", PathState::exists},
        {"\"C:\\App\\a.exe,1\"", PathState::exists},
        {"C:\\App\\a.exe", PathState::exists},
        {"shell32.dll,3", PathState::exists},
        {"%SystemRoot%\\system32\\shell32.dll,-12", PathState::exists},
        {"C:\\App\\gone.ico,0", PathState::missing},
        {"gone.dll,2", PathState::missing},
        {"%1", PathState::unknown},
        {"\"%1\"", PathState::unknown},
        {"", PathState::unknown},
    };
    for (const auto& [text, state] : icons) {
        EXPECT_EQ(checks.IconState(text), state) << text;
    }
    EXPECT_EQ(checks.LibraryState("shell32"), PathState::exists);
    EXPECT_EQ(checks.LibraryState("C:\\App\\x"), PathState::exists);
    EXPECT_EQ(checks.LibraryState("C:\\App\\gone.dll"), PathState::missing);
}

TEST_F(PathChecksTest, ServerPathsTellWhatTheyCannotKnow) {
    fixture.addFile("C:\\Program Files\\Good\\good.exe");
    const std::pair<std::string, PathState> cases[] = {
        {"\"C:\\Program Files\\Good\\good.exe\" -Embedding -log good.log", PathState::exists},
        {"C:\\Program Files\\Good\\good.exe -Embedding -log good.log", PathState::exists},
        {"%SystemRoot%\\system32\\shell32.dll", PathState::exists},
        {"C:\\Program Files\\Good\\gone.dll", PathState::missing},
        {"%TolvaneNoSuchVariable%\\x.dll", PathState::unknown},
        {"\\\\server\\share\\x.dll", PathState::unknown},
    };
    for (const auto& [text, state] : cases) {
        std::string work = text;
        EXPECT_EQ(checks.ServerState(work), state) << text;
    }
}

#ifndef _WIN32
TEST(PathChecksSearch, BareNamesAreSearchedAlongThePathOfTheCleanedSystem) {
    test::TestRegistry registry;
    {
        RegKey environment;
        ASSERT_EQ(RegKey::create(registry.gateway(), hkeyCurrentUser, "Environment", environment),
                  winerr::success);
        // Stored with its NUL, as Windows programs store texts.
        const std::string path = std::string("C:\\Tools;relative\\bin") + '\0';
        ASSERT_EQ(registry.gateway().RegSetValueExA(environment.get(), "PATH", regtype::sz, path),
                  winerr::success);
    }
    test::TestFileSystem fixture(registry.gateway());
    fixture.addFile("C:\\Tools\\tool.exe");
    fixture.addFile("C:\\Tools\\helper.dll");
    PathChecks checks(fixture.files(), registry.gateway());
    EXPECT_EQ(checks.CommandState("tool -x"), PathState::exists);
    EXPECT_EQ(checks.CommandState("tool.exe \"%1\""), PathState::exists);
    EXPECT_EQ(checks.LibraryState("helper"), PathState::exists);
    EXPECT_EQ(checks.CommandState("bin.exe"), PathState::missing);
}
#endif

} // namespace
} // namespace tolvane
