#include "platform/prefix/PrefixFileSystem.h"

#include "platform/prefix/WineRegistry.h"
#include "platform/services/RegKey.h"
#include "tests/support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tolvane::prefix {
namespace {

namespace fs = std::filesystem;

enum class Kind { missing, file, folder };

Kind kindOf(std::uint32_t attributes) {
    if (attributes == invalidFileAttributes) {
        return Kind::missing;
    }
    return (attributes & fileAttributeDirectory) != 0 ? Kind::folder : Kind::file;
}

// A prefix as wineboot lays it out, with a few programs, drive D: linked to a folder outside
// it and the working directory at C:\App.
class PrefixFileSystemTest : public ::testing::Test {
protected:
    PrefixFileSystemTest() {
        const auto& root = prefix.path();
        fs::create_directories(root / "dosdevices");
        fs::create_directories(root / "drive_c" / "windows" / "system32");
        fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        fs::create_directory_symlink(elsewhere.path(), root / "dosdevices" / "d:");
        fs::create_directory_symlink("/", root / "dosdevices" / "z:");
        for (const char* file :
             {"App/a.exe", "App/.hidden", "App/ro.txt", "App/a*b", "App/\xC3\x84rger.txt",
              "Program Files/MyApp/Tool.EXE", "Sp ace/f.txt", "App../b.exe"}) {
            prefix.write(std::string("drive_c/") + file, "x");
        }
        fs::permissions(root / "drive_c" / "App" / "ro.txt",
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        fs::create_symlink(root / "nowhere", root / "drive_c" / "App" / "dangling");
        ::mkfifo((root / "drive_c" / "App" / "pipe").c_str(), 0600);
        elsewhere.write("data.txt", "x");
    }

    PrefixFileSystem make(const PrefixFileSystemOptions& options) {
        return PrefixFileSystem(prefix.path(), registry, options);
    }
    PrefixFileSystem make() {
        return make({prefix.path() / "drive_c" / "App", prefix.path() / "tmp", "tester", {}});
    }

    test::TempDir prefix;
    test::TempDir elsewhere;
    WineRegistry registry;
};

using Variables = std::vector<std::pair<const char*, const char*>>;

void expectVariables(FileSystem& files, const Variables& expected) {
    for (const auto& [name, value] : expected) {
        std::string buffer;
        files.GetEnvironmentVariableA(name, buffer, maxPath);
        EXPECT_EQ(buffer, value) << name;
    }
}

struct PathCase {
    std::string path;
    Kind kind;
};

// Each checked against Wine 8 (GetFileAttributesA in a prefix laid out the same way).
const PathCase pathCases[] = {
    {"C:\\App\\a.exe", Kind::file},
    {"c:\\app\\A.EXE", Kind::file},
    {"C:/App/a.exe", Kind::file},
    {"C:\\App\\\\a.exe", Kind::file},
    {"C:\\App\\.\\a.exe", Kind::file},
    {"C:\\App\\..\\App\\a.exe", Kind::file},
    {"C:\\..\\..\\App\\a.exe", Kind::file},
    {"C:\\App\\a.exe\\..", Kind::folder},
    {"C:\\App\\a.exe\\.", Kind::file},
    {"C:\\program files\\myapp\\tool.exe", Kind::file},
    // Trailing dots and blanks leave the last name; one dot leaves each folder name.
    {"C:\\App\\a.exe. . ", Kind::file},
    {"C:\\App\\...", Kind::folder},
    {"C:\\Sp ace ", Kind::folder},
    {"C:\\App.\\a.exe", Kind::file},
    {"C:\\App..\\a.exe", Kind::missing},
    {"C:\\App..\\b.exe", Kind::missing},
    {"C:\\App...\\b.exe", Kind::file},
    {"C:\\App \\a.exe", Kind::missing},
    {"C:\\Sp ace \\f.txt", Kind::missing},
    {"C:\\App\\...\\App\\a.exe", Kind::missing},
    // A separator at the end asks for a folder.
    {"C:\\App\\", Kind::folder},
    {"C:\\App\\a.exe\\", Kind::missing},
    {"C:\\App\\a.exe/", Kind::missing},
    // Relative to the working directory C:\App, or to the root of its drive.
    {"a.exe", Kind::file},
    {"..\\App\\a.exe", Kind::file},
    {".", Kind::folder},
    {"\\App\\a.exe", Kind::file},
    {"C:a.exe", Kind::file},
    {"C:", Kind::folder},
    {"   .", Kind::folder},
    // Other drives: "X:" alone is their root; D: is read from its link.
    {"D:\\data.txt", Kind::file},
    {"d:\\DATA.TXT", Kind::file},
    {"D:data.txt", Kind::file},
    {"D:..\\data.txt", Kind::file},
    {"E:\\data.txt", Kind::missing},
    {"1:\\data.txt", Kind::missing},
    // Device forms.
    {"\\\\?\\C:\\App\\A.EXE", Kind::file},
    {"\\\\?\\C:\\App\\", Kind::folder},
    {"\\\\?\\C:\\App\\..\\App\\a.exe", Kind::missing},
    {"\\\\?\\C:\\App\\a.exe.", Kind::missing},
    {"\\\\?\\C:/App/a.exe", Kind::missing},
    {"\\\\?\\C:", Kind::missing},
    {"\\\\.\\C:\\App\\..\\App\\a.exe", Kind::file},
    {"\\\\.\\C:\\..\\App", Kind::missing},
    {"\\\\.\\C:", Kind::missing},
    // Nothing is found on a network, in an empty or blank path, or through a bad name.
    {"\\\\server\\share\\App\\a.exe", Kind::missing},
    {"//server/share", Kind::missing},
    {"\\\\?\\UNC\\server\\share", Kind::missing},
    {"\\\\", Kind::missing},
    {"", Kind::missing},
    {"   ", Kind::missing},
    {" C:\\App\\a.exe", Kind::missing},
    {"C:\\App\\a*b", Kind::missing},
    {"C:\\App\\a?exe", Kind::missing},
    {"C:\\App\\a.exe:stream", Kind::missing},
    {"C:\\App\\a.exe::$DATA", Kind::missing},
    {"C:\\App\\a|b", Kind::missing},
    {std::string("C:\\App\\a\x01.exe"), Kind::missing},
    {"C:\\App\\dangling", Kind::missing},
    // Wine's made-up 8.3 names ("Program Files" is PROG~FBU); not those of Windows.
    {"C:\\PROG~FBU\\MyApp\\Tool.EXE", Kind::file},
    {"c:\\prog~fbu\\myapp\\tool.exe", Kind::file},
    {"C:\\SP_A~IJX\\f.txt", Kind::file},
    {"C:\\PROGRA~1\\MyApp\\Tool.EXE", Kind::missing},
    // DOS devices are found in every folder that exists, but not through a device path.
    {"C:\\App\\nul", Kind::file},
    {"c:\\NUL", Kind::file},
    {"nul", Kind::file},
    {"C:/App/Nul.TXT.bak", Kind::file},
    {"C:\\App\\con.log", Kind::file},
    {"C:\\App\\nul .txt", Kind::file},
    {"C:\\App\\nul:.txt", Kind::file},
    {"C:\\App\\lpt1::", Kind::file},
    {"C:\\App\\nul. ", Kind::file},
    {"C:\\App\\COM9", Kind::file},
    {"C:\\App\\prn.tar.gz", Kind::file},
    {"C:\\App\\conout$ ", Kind::file},
    {"C:\\App\\x\\..\\aux", Kind::file},
    {"C:\\Gone\\nul", Kind::missing},
    {"C:\\App\\a.exe\\nul", Kind::missing},
    {"C:\\App\\nul\\", Kind::missing},
    {"C:\\App\\nul\\x", Kind::missing},
    {"C:\\App\\com0", Kind::missing},
    {"C:\\App\\com10", Kind::missing},
    {"C:\\App\\ nul", Kind::missing},
    {"C:\\App\\nulx", Kind::missing},
    {"\\\\?\\C:\\App\\nul", Kind::missing},
    {"\\\\.\\C:\\App\\nul", Kind::missing},
    {"\\\\.\\nul", Kind::missing},
    // "\\?\" written with any '/' is a device path.
    {"//?/C:/App/a.exe", Kind::file},
    {"\\\\?/C:/App/../App/a.exe.", Kind::file},
    {"/\\?\\C:\\App\\a.exe", Kind::file},
    {"//./C:/App/a.exe", Kind::file},
    {"//?/C:/Gone/a.exe", Kind::missing},
    // Wine finds only files and folders.
    {"C:\\App\\pipe", Kind::missing},
    {"Z:\\dev\\null", Kind::missing},
    {"Z:\\dev", Kind::folder},
    // Names of other scripts fold too.
    {"C:\\App\\\xC3\xA4rger.txt", Kind::file},
    {"C:\\APP\\\xC3\x84RGER.TXT", Kind::file},
};

TEST_F(PrefixFileSystemTest, ResolvesWindowsPathsAsWineDoes) {
    auto files = make();
    ASSERT_EQ(files.workingDirectory(), "C:\\App");
    for (const auto& c : pathCases) {
        EXPECT_EQ(kindOf(files.GetFileAttributesA(c.path)), c.kind) << '"' << c.path << '"';
        EXPECT_EQ(files.PathFileExistsA(c.path), c.kind != Kind::missing) << c.path;
        EXPECT_EQ(files.PathIsDirectoryA(c.path), c.kind == Kind::folder) << c.path;
    }
    // The scan's cached look-ups give the same answers.
    const FileSystem::ScanScope scan(files);
    for (const auto& c : pathCases) {
        EXPECT_EQ(kindOf(files.GetFileAttributesA(c.path)), c.kind) << "in a scan: " << c.path;
    }
}

TEST_F(PrefixFileSystemTest, ReportsAttributesAsWineDoes) {
    auto files = make();
    EXPECT_EQ(files.GetFileAttributesA("C:\\App\\a.exe"), 0x20u);
    EXPECT_EQ(files.GetFileAttributesA("C:\\App\\.hidden"), 0x22u);
    EXPECT_EQ(files.GetFileAttributesA("C:\\App\\RO.TXT"), 0x21u);
    EXPECT_EQ(files.GetFileAttributesA("C:\\App"), fileAttributeDirectory);
    EXPECT_EQ(files.GetFileAttributesA("c:\\"), fileAttributeDirectory);
    // Links to folders and mount points are reparse points.
    fs::create_directory_symlink("../Program Files", prefix.path() / "drive_c" / "App" / "linked");
    EXPECT_EQ(files.GetFileAttributesA("C:\\App\\Linked"), 0x410u);
    EXPECT_EQ(files.GetFileAttributesA("C:\\App\\Linked\\MyApp"), fileAttributeDirectory);
    EXPECT_EQ(files.GetFileAttributesA("Z:\\"), 0x410u);
}

TEST_F(PrefixFileSystemTest, PathsLongerThan260CharactersDoNotExist) {
    auto files = make();
    const std::string folder(200, 'd');
    // "C:\App\" + folder + "\" + name: 260 characters with a 52-character name.
    for (const std::size_t nameLength : {52u, 53u}) {
        prefix.write("drive_c/App/" + folder + "/" + std::string(nameLength, 'f'), "x");
        const std::string path = "C:\\App\\" + folder + "\\" + std::string(nameLength, 'f');
        EXPECT_EQ(files.PathFileExistsA(path), path.size() <= 260) << path.size();
    }
    // The limit holds for the path as written, before ".." shortens it.
    const std::string detour =
        "C:\\App\\" + folder + "\\..\\" + folder + "\\" + std::string(52, 'f');
    EXPECT_FALSE(files.PathFileExistsA(detour));
    // Characters count, not bytes: two-byte letters in names of 120 + 120 + 11 or 12.
    std::string letters;
    for (int i = 0; i < 120; ++i) {
        letters += "\xC3\xA9";
    }
    for (const std::size_t nameLength : {11u, 12u}) {
        std::string name;
        for (std::size_t i = 0; i < nameLength; ++i) {
            name += "\xC3\xA9";
        }
        prefix.write("drive_c/App/" + letters + "/" + letters + "/" + name, "x");
        const std::string path = "C:\\App\\" + letters + "\\" + letters + "\\" + name;
        EXPECT_EQ(files.PathFileExistsA(path), nameLength == 11) << nameLength;
    }
}

TEST_F(PrefixFileSystemTest, WorkingDirectoryIsSeenThroughTheDriveThatHoldsIt) {
    EXPECT_EQ(make({prefix.path() / "drive_c" / "App" / "", {}, "tester", {}}).workingDirectory(),
              "C:\\App");
    EXPECT_EQ(make({elsewhere.path(), {}, "tester", {}}).workingDirectory(), "D:\\");
    const std::string outside = make({"/usr/share", {}, "tester", {}}).workingDirectory();
    EXPECT_EQ(outside, "Z:\\usr\\share");
    fs::remove(prefix.path() / "dosdevices" / "z:");
    EXPECT_EQ(make({"/usr/share", {}, "tester", {}}).workingDirectory(), "C:\\windows");
}

TEST_F(PrefixFileSystemTest, FontsAreFoundInWinesOwnFolders) {
    test::TempDir wineFonts;
    wineFonts.write("coure.fon", "x");
    wineFonts.write("Serife.FON", "x");
    auto files = make({{}, {}, "tester", {{prefix.path() / "no such folder", wineFonts.path()}}});
    EXPECT_EQ(files.FindLoaderFont("coure.fon"), PathState::exists);
    EXPECT_EQ(files.FindLoaderFont("serife.fon"), PathState::exists);
    EXPECT_EQ(files.FindLoaderFont("smalle.fon"), PathState::missing);
    EXPECT_EQ(files.FindLoaderFont("..\\coure.fon"), PathState::missing);
    // Without any of Wine's font folders nobody can tell.
    auto folderless = make({{}, {}, "tester", {{prefix.path() / "no such folder"}}});
    EXPECT_EQ(folderless.FindLoaderFont("coure.fon"), PathState::unknown);
}

TEST_F(PrefixFileSystemTest, ListingsAreCachedOnlyDuringAScan) {
    auto files = make();
    EXPECT_FALSE(files.PathFileExistsA("C:\\App\\NEW.TXT"));
    prefix.write("drive_c/App/new.txt", "x");
    EXPECT_TRUE(files.PathFileExistsA("C:\\App\\NEW.TXT"));

    files.beginScan();
    EXPECT_FALSE(files.PathFileExistsA("C:\\App\\LATER.TXT"));
    prefix.write("drive_c/App/later.txt", "x");
    files.beginScan();
    files.endScan();
    // Still inside the outer scan: the listing read before is used again.
    EXPECT_FALSE(files.PathFileExistsA("C:\\App\\LATER.TXT"));
    files.endScan();
    EXPECT_TRUE(files.PathFileExistsA("C:\\App\\LATER.TXT"));
}

TEST_F(PrefixFileSystemTest, EnvironmentOfAPrefixWithoutRegistryValues) {
    auto files = make();
    expectVariables(files,
                    {
                        {"WINDIR", "C:\\windows"},
                        {"SystemRoot", "C:\\windows"},
                        {"SystemDrive", "C:"},
                        {"PATH", "C:\\windows\\system32;C:\\windows;C:\\windows\\system32\\wbem;"
                                 "C:\\windows\\system32\\WindowsPowershell\\v1.0"},
                        {"ProgramFiles", "C:\\Program Files"},
                        {"programfiles(x86)", "C:\\Program Files (x86)"},
                        {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
                        {"USERNAME", "tester"},
                        {"USERPROFILE", "C:\\users\\tester"},
                        {"APPDATA", "C:\\users\\tester\\AppData\\Roaming"},
                        {"LOCALAPPDATA", "C:\\users\\tester\\AppData\\Local"},
                        {"TEMP", "C:\\users\\tester\\Temp"},
                        {"ProgramData", "C:\\ProgramData"},
                        {"ALLUSERSPROFILE", "C:\\ProgramData"},
                        {"PUBLIC", "C:\\users\\Public"},
                    });
    std::string buffer = "untouched";
    EXPECT_EQ(files.GetEnvironmentVariableA("TOLVANE_NOT_SET", buffer, maxPath), 0u);
    EXPECT_EQ(files.GetEnvironmentVariableA("", buffer, maxPath), 0u);
    EXPECT_EQ(buffer, "untouched");
}

TEST_F(PrefixFileSystemTest, EnvironmentComesFromTheRegistryInWineOrder) {
    const auto setValue = [this](HKey root, const char* path, const char* name, std::uint32_t type,
                                 std::string data) {
        RegKey key;
        ASSERT_EQ(RegKey::create(registry, root, path, key), winerr::success);
        data.push_back('\0');
        ASSERT_EQ(registry.RegSetValueExA(key.get(), name, type, data), winerr::success);
    };
    const char* system = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    setValue(hkeyLocalMachine, system, "PATH", regtype::expandSz, "%SystemRoot%\\system32");
    setValue(hkeyLocalMachine, system, "TEMP", regtype::expandSz, "%SystemRoot%\\temp");
    setValue(hkeyLocalMachine, system, "windir", regtype::expandSz, "%SystemRoot%");
    // Expanded when read, before the user's values exist.
    setValue(hkeyLocalMachine, system, "EARLY", regtype::expandSz, "%USERPROFILE%\\x");
    setValue(hkeyLocalMachine, system, "COUNT", regtype::dword, "abc");
    setValue(hkeyCurrentUser, "Environment", "TEMP", regtype::sz, "C:\\users\\me\\Temp");
    setValue(hkeyCurrentUser, "Environment", "Path", regtype::sz, "C:\\Tools");
    setValue(hkeyCurrentUser, "Volatile Environment", "USERPROFILE", regtype::sz, "C:\\users\\me");
    setValue(hkeyCurrentUser, "Volatile Environment", "USERNAME", regtype::sz, "me");
    setValue(hkeyCurrentUser, "Volatile Environment", "HOMESHARE", regtype::sz, "");
    setValue(hkeyLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
             "ProgramData", regtype::expandSz, "%SystemDrive%\\Shared");
    setValue(hkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
             regtype::sz, "C:\\Progs");
    setValue(hkeyLocalMachine, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
             "ComputerName", regtype::sz, "BOX");
    auto files = make();
    expectVariables(files, {
                               {"PATH", "C:\\windows\\system32;C:\\Tools"},
                               {"TEMP", "C:\\users\\me\\Temp"},
                               {"EARLY", "%USERPROFILE%\\x"},
                               {"USERNAME", "me"},
                               {"APPDATA", "C:\\users\\me\\AppData\\Roaming"},
                               {"ALLUSERSPROFILE", "C:\\Shared"},
                               {"ProgramData", "C:\\Shared"},
                               {"ProgramFiles", "C:\\Progs"},
                               {"ProgramW6432", "C:\\Progs"},
                               {"COMPUTERNAME", "BOX"},
                           });
    std::string buffer;
    EXPECT_EQ(files.GetEnvironmentVariableA("HOMESHARE", buffer, maxPath), 0u);
    EXPECT_EQ(files.GetEnvironmentVariableA("COUNT", buffer, maxPath), 0u);
}

TEST_F(PrefixFileSystemTest, ExpandsVariablesAsWineDoes) {
    auto files = make();
    const std::pair<const char*, const char*> cases[] = {
        {"%SystemRoot%\\x", "C:\\windows\\x"},
        {"%systemroot%", "C:\\windows"},
        {"%ProgramFiles(x86)%\\A", "C:\\Program Files (x86)\\A"},
        {"%FOO%SystemRoot%", "%FOO%SystemRoot%"},
        {"%%SystemRoot%", "%%SystemRoot%"},
        {"100%", "100%"},
        {"a%%b", "a%%b"},
        {"%SystemRoot", "%SystemRoot"},
        {"", ""},
    };
    for (const auto& [source, expanded] : cases) {
        std::string buffer;
        EXPECT_EQ(files.ExpandEnvironmentStringsA(source, buffer, maxPath),
                  std::string(expanded).size() + 1)
            << source;
        EXPECT_EQ(buffer, expanded) << source;
    }
}

TEST_F(PrefixFileSystemTest, FollowsWin32SizeRules) {
    auto files = make();
    struct Case {
        const char* what;
        std::function<std::uint32_t(std::string&, std::uint32_t)> call;
        std::uint32_t fits;    // the smallest size that is enough
        std::uint32_t success; // what a large enough buffer returns
    };
    const Case cases[] = {
        {"GetWindowsDirectoryA",
         [&](std::string& b, std::uint32_t s) { return files.GetWindowsDirectoryA(b, s); }, 11, 10},
        {"GetSystemDirectoryA",
         [&](std::string& b, std::uint32_t s) { return files.GetSystemDirectoryA(b, s); }, 20, 19},
        {"GetEnvironmentVariableA",
         [&](std::string& b, std::uint32_t s) {
             return files.GetEnvironmentVariableA("windir", b, s);
         },
         11, 10},
        // Counts the NUL in both cases.
        {"ExpandEnvironmentStringsA",
         [&](std::string& b, std::uint32_t s) {
             return files.ExpandEnvironmentStringsA("%windir%", b, s);
         },
         11, 11},
    };
    for (const auto& c : cases) {
        for (const std::uint32_t size : {0u, c.fits - 1}) {
            std::string buffer = "untouched";
            EXPECT_EQ(c.call(buffer, size), c.fits) << c.what << ' ' << size;
            EXPECT_EQ(buffer, "untouched") << c.what << ' ' << size;
        }
        std::string buffer;
        EXPECT_EQ(c.call(buffer, c.fits), c.success) << c.what;
        EXPECT_NE(buffer, "") << c.what;
    }
}

TEST_F(PrefixFileSystemTest, TempFilesAreHostFiles) {
    auto files = make();
    const std::string folder = (prefix.path() / "tmp").string() + "/";
    std::string buffer;
    EXPECT_EQ(files.GetTempPathA(buffer, maxPath), folder.size());
    EXPECT_EQ(buffer, folder);
    EXPECT_EQ(files.GetTempPathA(buffer, 3), folder.size() + 1);
    fs::create_directories(folder);

    std::string first;
    std::string second;
    const std::uint32_t number = files.GetTempFileNameA(folder, "regexport", 0, first);
    ASSERT_NE(number, 0u);
    EXPECT_TRUE(fs::is_regular_file(first));
    char hex[8];
    std::snprintf(hex, sizeof hex, "%x", number);
    EXPECT_EQ(first, folder + "reg" + hex + ".tmp");
    ASSERT_NE(files.GetTempFileNameA((prefix.path() / "tmp").string(), "reg", 0, second), 0u);
    EXPECT_NE(first, second);
    EXPECT_TRUE(fs::is_regular_file(second));

    // A number of the caller's names a file without making it; only its low 16 bits count.
    std::string named;
    EXPECT_EQ(files.GetTempFileNameA(folder, "tol", 0x1234, named), 0x1234u);
    EXPECT_EQ(named, folder + "tol1234.tmp");
    EXPECT_FALSE(fs::exists(named));
    EXPECT_EQ(files.GetTempFileNameA(folder,
                                     "\xC3\x84"
                                     "bcd",
                                     0x10005, named),
              5u);
    EXPECT_EQ(named, folder + "\xC3\x84"
                              "bc5.tmp");

    std::string untouched = "untouched";
    EXPECT_EQ(files.GetTempFileNameA(folder + "missing", "tol", 0, untouched), 0u);
    EXPECT_EQ(files.GetTempFileNameA(folder + "missing", "tol", 7, untouched), 0u);
    EXPECT_EQ(untouched, "untouched");
}

} // namespace
} // namespace tolvane::prefix

namespace tolvane::prefix {
namespace {

// Proton links s: to the Steam library and t: to its own files (relative and absolute links);
// every dosdevices/x: link is a drive, not only c: and z:.
TEST(PrefixDrivesTest, EveryDosDevicesLinkIsADrive) {
    test::TempDir prefix;
    test::TempDir library;
    test::TempDir runtime;
    const auto& root = prefix.path();
    fs::create_directories(root / "dosdevices");
    fs::create_directories(root / "drive_c" / "windows" / "system32");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    fs::create_directory_symlink(library.path(), root / "dosdevices" / "s:");
    fs::create_symlink("../../" + runtime.path().filename().string(), root / "dosdevices" / "t:");
    library.write("steamapps/common/Game/game.exe", "x");
    runtime.write("bin/wine64", "x");
    fs::create_directory_symlink(root / "missing", root / "dosdevices" / "u:");
    WineRegistry registry;
    // The prefix and the runtime folder are siblings in the temporary folder.
    ASSERT_EQ(root.parent_path(), runtime.path().parent_path());
    PrefixFileSystem files(root, registry, {root / "drive_c", root / "tmp", "tester"});
    EXPECT_TRUE(files.PathFileExistsA("S:\\steamapps\\common\\Game\\game.exe"));
    EXPECT_TRUE(files.PathFileExistsA("s:\\STEAMAPPS\\Common\\game\\GAME.EXE"));
    EXPECT_TRUE(files.PathFileExistsA("T:\\bin\\wine64"));
    EXPECT_FALSE(files.PathFileExistsA("S:\\steamapps\\common\\Other\\game.exe"));
    EXPECT_FALSE(files.PathFileExistsA("U:\\anything"));
    EXPECT_FALSE(files.PathFileExistsA("V:\\anything"));
}

} // namespace
} // namespace tolvane::prefix
