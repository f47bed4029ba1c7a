#include "platform/win32/Win32FileSystem.h"

#include "platform/RegistryTypes.h"
#include "platform/win32/Win32Text.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace tolvane {
namespace {

std::string ansi(const std::filesystem::path& path) {
    const auto text = wideToAnsi(path.native());
    EXPECT_TRUE(text.has_value());
    return text.value_or("");
}

TEST(Win32FileSystemTest, TextBuffersFollowTheWin32SizeRules) {
    Win32FileSystem files;
    using Call = std::function<std::uint32_t(std::string&, std::uint32_t)>;
    struct Case {
        const char* what;
        Call call;
    };
    const Case cases[] = {
        {"windows",
         [&](std::string& b, std::uint32_t s) { return files.GetWindowsDirectoryA(b, s); }},
        {"system",
         [&](std::string& b, std::uint32_t s) { return files.GetSystemDirectoryA(b, s); }},
        {"temp", [&](std::string& b, std::uint32_t s) { return files.GetTempPathA(b, s); }},
        {"variable",
         [&](std::string& b, std::uint32_t s) {
             return files.GetEnvironmentVariableA("WINDIR", b, s);
         }},
    };
    for (const Case& c : cases) {
        std::string full;
        const std::uint32_t length = c.call(full, 1000);
        ASSERT_GT(length, 0u) << c.what;
        ASSERT_EQ(full.size(), length) << c.what;

        std::string exact = "untouched";
        EXPECT_EQ(c.call(exact, length + 1), length) << c.what;
        EXPECT_EQ(exact, full) << c.what;
        for (const std::uint32_t small : {length, 1u, 0u}) {
            std::string buffer = "untouched";
            EXPECT_EQ(c.call(buffer, small), length + 1) << c.what << " offered " << small;
            EXPECT_EQ(buffer, "untouched") << c.what;
        }
    }
    std::string windows;
    files.GetWindowsDirectoryA(windows, maxPath);
    std::string variable;
    files.GetEnvironmentVariableA("windir", variable, maxPath);
    EXPECT_EQ(variable, windows) << "names are case-insensitive";
    std::string temp;
    files.GetTempPathA(temp, maxPath);
    EXPECT_EQ(temp.back(), '\\');

    std::string unset = "untouched";
    EXPECT_EQ(files.GetEnvironmentVariableA("TOLVANE_NO_SUCH_VARIABLE", unset, maxPath), 0u);
    EXPECT_EQ(files.GetEnvironmentVariableA(std::string_view("WINDIR\0X", 8), unset, maxPath), 0u);
    EXPECT_EQ(unset, "untouched");
}

TEST(Win32FileSystemTest, ExpansionCountsTheNulAndKeepsUnknownReferences) {
    Win32FileSystem files;
    std::string windows;
    files.GetWindowsDirectoryA(windows, maxPath);
    const std::string source = "%SystemRoot%\\x;%TOLVANE_NO_SUCH_VARIABLE%;100%";
    const std::string expected = windows + "\\x;%TOLVANE_NO_SUCH_VARIABLE%;100%";
    const auto needed = static_cast<std::uint32_t>(expected.size() + 1);

    std::string buffer;
    EXPECT_EQ(files.ExpandEnvironmentStringsA(source, buffer, maxPath), needed);
    EXPECT_EQ(buffer, expected);
    buffer = "untouched";
    EXPECT_EQ(files.ExpandEnvironmentStringsA(source, buffer, needed), needed);
    EXPECT_EQ(buffer, expected);
    buffer = "untouched";
    EXPECT_GE(files.ExpandEnvironmentStringsA(source, buffer, needed - 1), needed);
    EXPECT_EQ(buffer, "untouched");
}

TEST(Win32FileSystemTest, ExistenceOfFilesAndFolders) {
    Win32FileSystem files;
    test::TempDir dir;
    const std::string folder = ansi(dir.path());
    const std::string file = ansi(dir.write("a file.txt", "x"));
    const std::string missing = folder + "\\missing.txt";
    struct Case {
        std::string path;
        bool exists;
        bool directory;
    };
    const Case cases[] = {
        {folder, true, true},
        {file, true, false},
        {missing, false, false},
        // Cut at the NUL the path would name the folder; it names nothing.
        {folder + std::string("\0\\missing", 9), false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(files.PathFileExistsA(c.path), c.exists) << c.path;
        EXPECT_EQ(files.PathIsDirectoryA(c.path), c.directory) << c.path;
        const std::uint32_t attributes = files.GetFileAttributesA(c.path);
        if (!c.exists) {
            EXPECT_EQ(attributes, invalidFileAttributes) << c.path;
        } else {
            EXPECT_EQ((attributes & fileAttributeDirectory) != 0, c.directory) << c.path;
        }
    }
}

TEST(Win32FileSystemTest, TempFileNamesAreUniqueAndCreatedOnRequest) {
    Win32FileSystem files;
    test::TempDir dir;
    const std::string folder = ansi(dir.path());

    std::string first;
    std::string second;
    ASSERT_NE(files.GetTempFileNameA(folder, "rbc", 0, first), 0u);
    ASSERT_NE(files.GetTempFileNameA(folder, "rbc", 0, second), 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(folder + "\\rbc", 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 4), ".tmp");
    EXPECT_TRUE(files.PathFileExistsA(first));

    std::string named;
    EXPECT_EQ(files.GetTempFileNameA(folder, "rbc", 0xABC, named), 0xABCu);
    // Windows writes the number in upper case, Wine in lower case.
    std::transform(named.begin(), named.end(), named.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string expected = folder + "\\rbcabc.tmp";
    std::transform(expected.begin(), expected.end(), expected.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(named, expected);
    EXPECT_FALSE(files.PathFileExistsA(named)) << "a given number creates nothing";

    std::string untouched = "untouched";
    EXPECT_EQ(files.GetTempFileNameA(folder + "\\" + std::string(250, 'd'), "rbc", 0, untouched),
              0u);
    EXPECT_EQ(untouched, "untouched");
}

} // namespace
} // namespace tolvane
