#include "modules/CModuleFileExt.h"

#include "tests/modules/ModuleFixture.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/ModuleTestHelpers.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace tolvane {
namespace {

using test::occurrences;
using test::recordLines;

const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const std::string userFileExts = "[HKEY_CURRENT_USER\\" + fileExts;

// The test platform's files, with a PATH of the test's choosing.
class PathOverride final : public test::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    // Nothing: PATH is not set.
    std::optional<std::string> path;

    std::uint32_t GetEnvironmentVariableA(std::string_view name, std::string& buffer,
                                          std::uint32_t size) override {
        if (name != "PATH") {
            return ForwardingFileSystem::GetEnvironmentVariableA(name, buffer, size);
        }
        if (!path || path->empty()) {
            return 0;
        }
        if (path->size() >= size) {
            return static_cast<std::uint32_t>(path->size() + 1);
        }
        buffer = *path;
        return static_cast<std::uint32_t>(path->size());
    }
};

class CModuleFileExtTest : public test::ModuleFixture {
protected:
    CModuleFileExtTest() {
        test.addFile("C:\\windows\\notepad.exe");
        test.addFile("C:\\Tools\\tool.exe");
        test.addFile("C:\\Tools\\editor.exe");
        test.addFile("C:\\Tools\\viewer.exe");
        std::string path;
        test.files().GetEnvironmentVariableA("PATH", path, 1000);
        files.path = path;
        test.importReg("REGEDIT4\n\n[HKEY_CLASSES_ROOT\\.txt]\n[HKEY_CLASSES_ROOT\\txtfile]\n");
    }

    bool userKeyExists(const std::string& path) { return keyExists(hkeyCurrentUser, path); }
    std::optional<std::string> userValue(const std::string& keyPath, const std::string& name) {
        return valueBytes(hkeyCurrentUser, keyPath, name);
    }

    PathOverride files{test.files()};
    Platform platform{
        test.registry(),           files,          test.platform().editor, test.clock(),
        test.platform().autostart, test.storage(), test.workingDirectory()};
    CModuleFileExt module{&owner, platform};
};

TEST_F(CModuleFileExtTest, AnUnknownExtensionIsReportedAloneAndFixedWithItsWholeKey) {
    const std::string tooLong = "." + std::string(199, 'l'); // its key path needs 261 bytes
    reg(userFileExts + "\\.foo\\OpenWithList]\n\"a\"=\"gone.exe\"\n" + userFileExts +
        "\\.foo\\OpenWithProgids]\n\"Gone.Id\"=hex(0):\n" + userFileExts +
        "\\.txt\\OpenWithList]\n\"a\"=\"notepad.exe\"\n" + userFileExts + "\\" + tooLong + "]\n");

    const ProblemList found = module.Scan();

    EXPECT_EQ(recordLines(found),
              (std::vector<std::string>{
                  "5/2 Missing or Invalid Path | The key .foo under " + fileExts +
                      " contains a bad path for the value | " + fileExts + "\\.foo | ",
              }));
    EXPECT_EQ(progress.statusHistory(),
              (std::vector<std::string>{"HKEY_CURRENT_USER\\" + fileExts + "\\.foo",
                                        "HKEY_CURRENT_USER\\" + fileExts + "\\.txt"}));
    std::vector<ProblemRecord> records(found.begin(), found.end());
    records[0].selected = 1;
    fix(module, records, true);

    EXPECT_FALSE(userKeyExists(fileExts + "\\.foo"));
    EXPECT_TRUE(userKeyExists(fileExts + "\\.txt\\OpenWithList"));
    const std::string saved = backupText("filext.reg");
    EXPECT_EQ(saved.rfind("REGEDIT4", 0), 0u);
    EXPECT_EQ(occurrences(saved, userFileExts + "\\.foo]"), 1u);
    EXPECT_EQ(occurrences(saved, userFileExts + "\\.foo\\OpenWithList]"), 1u);
    EXPECT_EQ(occurrences(saved, userFileExts + "\\.foo\\OpenWithProgids]"), 1u);
    EXPECT_EQ(occurrences(saved, ".txt"), 0u);
}

TEST_F(CModuleFileExtTest, OpenWithListProgramsAreLookedUpOnPathAndWhereTheyAreRegistered) {
    reg(userFileExts + R"(\.txt\OpenWithList]
"a"="notepad.exe"
"b"="gone.exe"
"c"="tool.exe"
"d"="stale.exe"
"e"="editor.exe"
"f"="bare.exe"
"g"="viewer.exe"
"ab"="never.exe"
"MRUList"="gfedcba"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\tool.exe]
@="C:\\Tools\\tool.exe"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\stale.exe]
@="C:\\Gone\\stale.exe"
[HKEY_CLASSES_ROOT\Applications\editor.exe\shell\edit\command]
@="C:\\Tools\\editor.exe %1"
[HKEY_CLASSES_ROOT\Applications\bare.exe]
"FriendlyAppName"="Bare"
[HKEY_CLASSES_ROOT\Applications\viewer.exe\shell\open\command]
@="\"C:\\Tools\\viewer.exe\" \"%1\""
)");

    const std::string prefix = "5/0 Missing or Invalid Path | The key OpenWithList under " +
                               fileExts + " contains a bad path ";
    const std::string key = " | " + fileExts + "\\.txt\\OpenWithList | ";
    EXPECT_EQ(recordLines(module.Scan()), (std::vector<std::string>{
                                              prefix + "gone.exe for the value b" + key + "b",
                                              prefix + "stale.exe for the value d" + key + "d",
                                              prefix + "bare.exe for the value f" + key + "f",
                                          }));
}

TEST_F(CModuleFileExtTest, OpenWithProgidsNamesMustBeClassKeys) {
    reg(userFileExts + R"(\.txt\OpenWithProgids]
@=""
"txtfile"=hex(0):
"TXTFILE"=hex(0):
"Gone.Id"=hex(0):
)");

    EXPECT_EQ(recordLines(module.Scan()),
              (std::vector<std::string>{
                  "5/0 Missing or Invalid Path | The key OpenWithProgids under " + fileExts +
                      "\\.txt contains a bad path Gone.Id for the value | " + fileExts +
                      "\\.txt\\OpenWithProgids | Gone.Id",
              }));
}

TEST_F(CModuleFileExtTest, PathSearch) {
    test.addFile("C:\\Tools\\prog.exe");
    reg(userFileExts + "\\.txt\\OpenWithList]\n\"a\"=\"prog.exe\"\n");
    std::string longPath;
    while (longPath.size() < 1200) {
        longPath += "C:\\Nowhere;";
    }
    struct Case {
        std::optional<std::string> path;
        bool found;
    };
    const std::vector<Case> cases{
        {"C:\\Nowhere;;C:\\Tools", true},
        {"C:\\Tools\\;", true},
        {";C:\\TOOLS;", true},
        {"C:\\Tools\\prog.exe;C:\\Nowhere", false},
        {";;", false},
        {std::nullopt, false},
        {longPath + "C:\\Tools", true},
    };
    for (const Case& c : cases) {
        files.path = c.path;
        EXPECT_EQ(module.Scan().count(), c.found ? 0u : 1u) << c.path.value_or("(unset)");
    }
}

TEST_F(CModuleFileExtTest, FixSavesTheListOncePerRecordAndKeepsItsOrderTextInStep) {
    reg(userFileExts + R"(\.txt\OpenWithList]
"a"="notepad.exe"
"b"="gone1.exe"
"c"="gone2.exe"
"d"="gone3.exe"
"MRUList"="dbcab"
)");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 3u);
    fix(module, records, true);

    const std::string list = fileExts + "\\.txt\\OpenWithList";
    EXPECT_EQ(userValue(list, "MRUList"), std::string("a\0", 2));
    EXPECT_TRUE(userValue(list, "a"));
    for (const char* gone : {"b", "c", "d"}) {
        EXPECT_FALSE(userValue(list, gone)) << gone;
    }
    const std::string saved = backupText("filext.reg");
    EXPECT_EQ(occurrences(saved, "REGEDIT4"), 1u);
    EXPECT_EQ(occurrences(saved, userFileExts + "\\.txt\\OpenWithList]"), 3u);
}

TEST_F(CModuleFileExtTest, ValueRemovalAndOrderTexts) {
    reg(userFileExts + R"(\.a\OpenWithProgids]
"Gone.Id"=hex(0):
"Other"=hex(0):
"MRUList"="Gone.IdOtherGone.Id"
)" + userFileExts +
        R"(\.b\OpenWithList]
"x"="gone.exe"
)" + userFileExts +
        R"(\.c\OpenWithList]
"x"="gone.exe"
"MRUList"=hex:78,79
)");
    std::vector<ProblemRecord> records;
    for (const auto& [key, value] :
         {std::pair{".a\\OpenWithProgids", "Gone.Id"}, std::pair{".b\\OpenWithList", "x"},
          std::pair{".c\\OpenWithList", "x"}}) {
        records.push_back({5, entrykind::ordinary, "", "", fileExts + "\\" + key, value, 1});
    }

    EXPECT_TRUE(module.Fix(records, false));

    EXPECT_EQ(userValue(fileExts + "\\.a\\OpenWithProgids", "MRUList"), std::string("Other\0", 6));
    EXPECT_FALSE(userValue(fileExts + "\\.a\\OpenWithProgids", "Gone.Id"));
    EXPECT_TRUE(userValue(fileExts + "\\.a\\OpenWithProgids", "Other"));
    EXPECT_FALSE(userValue(fileExts + "\\.b\\OpenWithList", "x"));
    EXPECT_FALSE(userValue(fileExts + "\\.b\\OpenWithList", "MRUList")) << "none is made";
    EXPECT_EQ(userValue(fileExts + "\\.c\\OpenWithList", "MRUList"), std::string("xy"))
        << "binary data is no order text";
}

TEST_F(CModuleFileExtTest, FixTouchesOnlyTickedRecordsOfItsOwnKinds) {
    std::string body;
    for (const char* name : {"Unticked", "Fixed", "OtherModule", "OtherKind", "Gone"}) {
        body += userFileExts + "\\." + name + "]\n\"v\"=\"1\"\n";
    }
    reg(body);
    const auto record = [](int module, int kind, const char* ext, int selected) {
        return ProblemRecord{module, kind, "", "", fileExts + "\\." + ext, "", selected};
    };
    std::vector<ProblemRecord> records{
        record(5, entrykind::explorerExtension, "Unticked", 0),
        record(5, entrykind::fixed, "Fixed", 1),
        record(8, entrykind::explorerExtension, "OtherModule", 1),
        record(5, entrykind::fileAssociation, "OtherKind", 1),
        record(5, entrykind::explorerExtension, "Gone", 1),
        {5, entrykind::explorerExtension, "", "", "", "", 1},
    };

    EXPECT_TRUE(module.Fix(records, false));

    for (const char* kept : {"Unticked", "Fixed", "OtherModule", "OtherKind"}) {
        EXPECT_TRUE(userKeyExists(fileExts + "\\." + kept)) << kept;
    }
    EXPECT_FALSE(userKeyExists(fileExts + "\\.Gone"));
}

TEST_F(CModuleFileExtTest, AFailedBackupChangesNothing) {
    reg(userFileExts + R"(\.foo\OpenWithList]
"a"="gone.exe"
)" + userFileExts +
        R"(\.txt\OpenWithList]
"a"="gone.exe"
"MRUList"="a"
)");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 2u);
    module.setBackupFolder((test.workingDirectory() / "Backup" / "missing" / "").string());

    EXPECT_TRUE(module.Fix(records, true));

    EXPECT_TRUE(userKeyExists(fileExts + "\\.foo\\OpenWithList"));
    EXPECT_TRUE(userValue(fileExts + "\\.txt\\OpenWithList", "a"));
    EXPECT_EQ(userValue(fileExts + "\\.txt\\OpenWithList", "MRUList"), std::string("a\0", 2));
    EXPECT_EQ(module.keptForBackup(), 2u);
    EXPECT_EQ(records[0].selected + records[1].selected, 0);
}

TEST_F(CModuleFileExtTest, NoFileExtsKeyOrAStopEndsTheScan) {
    EXPECT_EQ(module.Scan().count(), 0u);
    EXPECT_EQ(progress.statusHistory(), std::vector<std::string>{});

    std::string body;
    for (const char* ext : {".p", ".q", ".r"}) {
        body += userFileExts + "\\" + ext + "]\n";
    }
    reg(body);
    progress.stopAfterStatusTexts(1);
    module.setStopToken(progress.stopToken());

    const ProblemList found = module.Scan();

    ASSERT_EQ(found.count(), 1u);
    EXPECT_EQ(found[0].primaryName, fileExts + "\\.p");
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

} // namespace
} // namespace tolvane
