#include "platform/services/CommandLineTarget.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

TEST(CommandLineTarget, SplitsProgramAndArgumentsAsWindowsDoes) {
    struct Case {
        std::string text;
        bool quoted;
        std::vector<std::string> programs;
        // The arguments after the last candidate.
        std::string lastArguments;
    };
    const Case cases[] = {
        {"\"C:\\windows\\notepad.exe\" -min", true, {"C:\\windows\\notepad.exe"}, "-min"},
        {"  \"C:\\Program Files\\A\\a.exe\"\"%1\"",
         true,
         {"C:\\Program Files\\A\\a.exe"},
         "\"%1\""},
        {"\"C:\\unclosed\\a.exe -x", true, {"C:\\unclosed\\a.exe -x"}, ""},
        {"\"\" %1", true, {""}, "%1"},
        {"C:\\Program Files\\Flexera Software\\uninst.exe",
         false,
         {"C:\\Program", "C:\\Program Files\\Flexera",
          "C:\\Program Files\\Flexera Software\\uninst.exe"},
         ""},
        // Blank runs and tabs separate once; trailing blanks end nothing.
        {"a b\t c  ", false, {"a", "a b", "a b\t c"}, ""},
        {"notepad.exe", false, {"notepad.exe"}, ""},
        // A switch or a quoted argument is no part of a program name.
        {"C:\\My App\\a.exe /s x", false, {"C:\\My", "C:\\My App\\a.exe"}, "/s x"},
        {"app.exe \"%1\" x", false, {"app.exe"}, "\"%1\" x"},
        {"", false, {}, ""},
        {"   ", false, {}, ""},
    };
    for (const auto& c : cases) {
        const CommandLineTarget target(c.text);
        EXPECT_EQ(target.quoted(), c.quoted) << c.text;
        std::vector<std::string> programs;
        for (const auto& candidate : target.candidates()) {
            programs.push_back(candidate.program);
        }
        EXPECT_EQ(programs, c.programs) << c.text;
        if (!target.candidates().empty()) {
            EXPECT_EQ(target.arguments(target.candidates().back()), c.lastArguments) << c.text;
        }
    }
    // Each unquoted candidate carries what follows it.
    const CommandLineTarget runDll("rundll32.exe shell32.dll,Control_RunDLL x.cpl");
    ASSERT_EQ(runDll.candidates().size(), 3U);
    EXPECT_EQ(runDll.arguments(runDll.candidates()[0]), "shell32.dll,Control_RunDLL x.cpl");
    EXPECT_EQ(runDll.arguments(runDll.candidates()[1]), "x.cpl");
}

TEST(CommandLineTarget, NamesTheFilesThatRundll32AndMsiexecAreGiven) {
    EXPECT_TRUE(CommandLineTarget::isProgram("C:\\windows\\system32\\RUNDLL32.EXE", "rundll32"));
    EXPECT_TRUE(CommandLineTarget::isProgram("MsiExec", "msiexec"));
    EXPECT_FALSE(CommandLineTarget::isProgram("C:\\x\\notmsiexec.exe", "msiexec"));
    EXPECT_FALSE(CommandLineTarget::isProgram("C:\\msiexec.exe\\a.exe", "msiexec"));

    const std::pair<std::string, std::string> libraries[] = {
        {"shell32.dll,Control_RunDLL", "shell32.dll"},
        {" \"C:\\Program Files\\A\\a b.dll\",Entry x", "C:\\Program Files\\A\\a b.dll"},
        {"C:\\Program Files\\A\\a.dll , Entry", "C:\\Program Files\\A\\a.dll"},
        {"", ""},
    };
    for (const auto& [arguments, library] : libraries) {
        EXPECT_EQ(CommandLineTarget::rundllLibrary(arguments), library) << arguments;
    }

    const std::string code = "{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
    const std::pair<std::string, std::string> targets[] = {
        {"/X" + code, code},
        {"/qb /x " + code, code},
        {"-I" + code, code},
        {"/uninstall " + code + " /quiet", code},
        {"/fomus " + code, code},
        {"/i \"C:\\Setup Files\\app.msi\" /qn", "C:\\Setup Files\\app.msi"},
        {"/package\"C:\\a.msi\"", "C:\\a.msi"},
        {"/qb /log x.log", ""},
        {"/x", ""},
        {"", ""},
    };
    for (const auto& [arguments, target] : targets) {
        EXPECT_EQ(CommandLineTarget::msiexecTarget(arguments), target) << arguments;
    }
}

} // namespace
} // namespace tolvane
