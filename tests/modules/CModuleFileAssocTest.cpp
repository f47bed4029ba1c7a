#include "modules/CModuleFileAssoc.h"

#include "platform/services/RegKey.h"
#include "platform/services/RegistryRoutines.h"
#include "tests/modules/ModuleFixture.h"
#include "tests/support/ModuleTestHelpers.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace tolvane {
namespace {

using test::occurrences;

class CModuleFileAssocTest : public test::ModuleTest<CModuleFileAssoc> {
protected:
    CModuleFileAssocTest() { test.addFile("C:\\windows\\notepad.exe"); }

    bool classKeyExists(std::string_view path) { return keyExists(hkeyClassesRoot, path); }
};

TEST_F(CModuleFileAssocTest, JudgesEachFileTypeOnceWhateverItsSpellingAndReportsBadCommands) {
    reg(R"([HKEY_CLASSES_ROOT\.txt]
@="txtfile"
[HKEY_CLASSES_ROOT\TxtFile\shell\open\command]
@="notepad.exe %1"
[HKEY_CLASSES_ROOT\.bad]
@="BadFile"
[HKEY_CLASSES_ROOT\.bad2]
@="badfile"
[HKEY_CLASSES_ROOT\badFILE\shell\open\command]
@="C:\\Gone\\app.exe %1"
[HKEY_CLASSES_ROOT\Lonely.Type\shell\open\command]
@="\"C:\\Gone\\lonely.exe\" /x"
[HKEY_CLASSES_ROOT\.noshell]
@="noshellfile"
[HKEY_CLASSES_ROOT\noshellfile]
"x"="y"
[HKEY_CLASSES_ROOT\.noopen]
@="noopenfile"
[HKEY_CLASSES_ROOT\noopenfile\shell\edit\command]
@="C:\\Gone\\edit.exe"
[HKEY_CLASSES_ROOT\.untyped]
"Content Type"="text/plain"
)");

    // txtfile is judged through .txt only, and found in the Windows folder; badFILE is judged
    // once per extension that names it and never by its own name.
    EXPECT_EQ(test::recordLines(module.Scan()),
              (std::vector<std::string>{
                  "8/0 Missing or Invalid Path | The Filetype .bad under HKEY_CLASSES_ROOT is "
                  "associated to non-existent BadFile | .bad | BadFile",
                  "8/0 Missing or Invalid Path | The Filetype .bad2 under HKEY_CLASSES_ROOT is "
                  "associated to non-existent badfile | .bad2 | badfile",
                  "8/0 Missing or Invalid Path | The Filetype Lonely.Type under HKEY_CLASSES_ROOT "
                  "is associated to non-existent Lonely.Type | Lonely.Type | ",
              }));
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

TEST_F(CModuleFileAssocTest, IconsAreJudgedInEveryFormAndOnlyAMissingFileIsReported) {
    test.addFile("C:\\Program Files\\App\\app.exe");
    test.addFile("C:\\Program Files\\App\\doc.ico");
    test.addFile("C:\\windows\\system32\\shell32.dll");
    reg(R"([HKEY_CLASSES_ROOT\.a1]
@="Index.File"
[HKEY_CLASSES_ROOT\Index.File\DefaultIcon]
@="C:\\Program Files\\App\\app.exe,1"
[HKEY_CLASSES_ROOT\Quoted.Resource\DefaultIcon]
@="\"C:\\Program Files\\App\\app.exe\",-101"
[HKEY_CLASSES_ROOT\Plain.Icon\DefaultIcon]
@="C:\\Program Files\\App\\doc.ico"
[HKEY_CLASSES_ROOT\Expanded.Icon\DefaultIcon]
@=hex(2):25,50,72,6f,67,72,61,6d,46,69,6c,65,73,25,5c,41,70,70,5c,61,70,70,2e,65,78,65,2c,30,00
[HKEY_CLASSES_ROOT\System.Icon\DefaultIcon]
@="shell32.dll,3"
[HKEY_CLASSES_ROOT\PerFile.Icon\DefaultIcon]
@="%1"
[HKEY_CLASSES_ROOT\Unset.Icon\DefaultIcon]
@="%TolvaneNoSuchVariable%\\x.ico,0"
[HKEY_CLASSES_ROOT\Empty.Icon\DefaultIcon]
@=""
[HKEY_CLASSES_ROOT\Gone.Index\DefaultIcon]
@="C:\\Program Files\\Gone\\app.exe,0"
[HKEY_CLASSES_ROOT\Gone.Quoted\DefaultIcon]
@="\"%ProgramFiles%\\Gone\\doc.ico\""
[HKEY_CLASSES_ROOT\.g1]
@="Gone.Typed"
[HKEY_CLASSES_ROOT\.g2]
@="GONE.TYPED"
[HKEY_CLASSES_ROOT\Gone.Typed\DefaultIcon]
@="C:\\Gone\\typed.ico,-2"
[HKEY_CLASSES_ROOT\Gone.Typed\shell\open\command]
@="\"C:\\Program Files\\App\\app.exe\" \"%1\""
)");

    // A type that two extensions name is reported once, under its own name.
    EXPECT_EQ(test::recordLines(module.Scan()),
              (std::vector<std::string>{
                  "8/0 Missing or Invalid Path | The Filetype Gone.Typed under HKEY_CLASSES_ROOT "
                  "is associated to non-existent C:\\Gone\\typed.ico,-2 | Gone.Typed\\DefaultIcon "
                  "| ",
                  "8/0 Missing or Invalid Path | The Filetype Gone.Index under HKEY_CLASSES_ROOT "
                  "is associated to non-existent C:\\Program Files\\Gone\\app.exe,0 | "
                  "Gone.Index\\DefaultIcon | ",
                  "8/0 Missing or Invalid Path | The Filetype Gone.Quoted under HKEY_CLASSES_ROOT "
                  "is associated to non-existent \"%ProgramFiles%\\Gone\\doc.ico\" | "
                  "Gone.Quoted\\DefaultIcon | ",
              }));
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

TEST_F(CModuleFileAssocTest, AMissingIconCostsOnlyTheIconKey) {
    reg(R"([HKEY_CLASSES_ROOT\.gi]
@="GoneIcon.File"
"Content Type"="x/y"
[HKEY_CLASSES_ROOT\GoneIcon.File]
@="A document"
[HKEY_CLASSES_ROOT\GoneIcon.File\DefaultIcon]
@="C:\\Gone\\doc.ico,0"
[HKEY_CLASSES_ROOT\GoneIcon.File\shell\open\command]
@="notepad.exe %1"
[HKEY_CLASSES_ROOT\.bad]
@="BadCommand.File"
[HKEY_CLASSES_ROOT\BadCommand.File\DefaultIcon]
@="C:\\Gone\\bad.ico,0"
[HKEY_CLASSES_ROOT\BadCommand.File\shell\open\command]
@="C:\\Gone\\bad.exe %1"
)");
    // The bad command takes its type's whole key, icon and all: no record of its own for that.
    ASSERT_EQ(test::recordLines(module.Scan()),
              (std::vector<std::string>{
                  "8/0 Missing or Invalid Path | The Filetype .bad under HKEY_CLASSES_ROOT is "
                  "associated to non-existent BadCommand.File | .bad | BadCommand.File",
                  "8/0 Missing or Invalid Path | The Filetype GoneIcon.File under "
                  "HKEY_CLASSES_ROOT is associated to non-existent C:\\Gone\\doc.ico,0 | "
                  "GoneIcon.File\\DefaultIcon | ",
              }));
    auto records = scanAndSelect(module);
    EXPECT_EQ(
        module.fixTargets(records[1]),
        (std::vector<FixTarget>{FixTarget{hkeyClassesRoot, "GoneIcon.File\\DefaultIcon", {}}}));
    records.erase(records.begin());

    fix(module, records, true);

    EXPECT_FALSE(classKeyExists("GoneIcon.File\\DefaultIcon"));
    EXPECT_TRUE(classKeyExists("GoneIcon.File\\shell\\open\\command"));
    EXPECT_TRUE(classKeyExists(".gi"));
    {
        RegKey type;
        ASSERT_EQ(RegKey::open(test.registry(), hkeyClassesRoot, "GoneIcon.File", type),
                  winerr::success);
        std::string text;
        std::int32_t size = maxPath;
        ASSERT_EQ(test.registry().RegQueryValueA(type.get(), "", &text, size), winerr::success);
        EXPECT_EQ(text, "A document");
    }
    EXPECT_TRUE(classKeyExists("BadCommand.File\\DefaultIcon")) << "its record was not ticked";
    const std::string saved = backupText("fileassoc.reg");
    EXPECT_EQ(occurrences(saved, "[HKEY_CLASSES_ROOT\\GoneIcon.File\\DefaultIcon]"), 1u);
    EXPECT_EQ(occurrences(saved, "[HKEY_CLASSES_ROOT\\GoneIcon.File]"), 0u);
    EXPECT_EQ(scanAndSelect(module).size(), 1u) << "a rescan finds only the unticked record";
}

TEST_F(CModuleFileAssocTest, EmptyOpenAndCommandKeys) {
    reg(R"([HKEY_CLASSES_ROOT\aEmptyOpen\shell\open]
[HKEY_CLASSES_ROOT\bOpenWithValue\shell\open]
"x"="y"
[HKEY_CLASSES_ROOT\cEmptyCommand\shell\open\command]
[HKEY_CLASSES_ROOT\dCommandWithOtherValue\shell\open\command]
"DelegateExecute"="{00000000-0000-0000-0000-000000000001}"
[HKEY_CLASSES_ROOT\eCommandWithEmptyDefault\shell\open\command]
@=""
[HKEY_CLASSES_ROOT\fCommandWithSubKey\shell\open\command\deeper]
)");

    EXPECT_EQ(test::recordLines(module.Scan()),
              (std::vector<std::string>{
                  "8/0 Key is Empty | The key aEmptyOpen\\shell\\open is empty | "
                  "aEmptyOpen\\shell\\open | ",
                  "8/0 Key is Empty | The key cEmptyCommand\\shell\\open\\command is empty | "
                  "cEmptyCommand\\shell\\open\\command | ",
              }));
}

TEST_F(CModuleFileAssocTest, ClassReferences) {
    reg(R"([HKEY_CLASSES_ROOT\CLSID\{11111111-2222-3333-4444-555555555555}]
[HKEY_CLASSES_ROOT\Good.Braced\CLSID]
@="{11111111-2222-3333-4444-555555555555}"
[HKEY_CLASSES_ROOT\Good.Bare\CLSID]
@="11111111-2222-3333-4444-555555555555"
[HKEY_CLASSES_ROOT\Missing.Bare\CLSID]
@="99999999-2222-3333-4444-555555555555"
[HKEY_CLASSES_ROOT\Missing.Braced\CLSID]
@="{99999999-2222-3333-4444-555555555555}"
[HKEY_CLASSES_ROOT\Empty.Class\CLSID]
@=""
[HKEY_CLASSES_ROOT\NoDefault.Class\CLSID]
"other"="x"
)");

    // A CLSID key without a default value reads as empty, as the registry answers it.
    EXPECT_EQ(
        test::recordLines(module.Scan()),
        (std::vector<std::string>{
            "8/1 Empty CLSID | The CLSID is empty in HKEY_CLASSES_ROOT\\Empty.Class key  | "
            "Empty.Class\\CLSID | ",
            "8/1 Missing CLSID | The HKEY_CLASSES_ROOT\\Missing.Bare key points to the missing "
            "CLSID HKEY_CLASSES_ROOT\\CLSID\\{99999999-2222-3333-4444-555555555555} | "
            "Missing.Bare | ",
            "8/1 Missing CLSID | The HKEY_CLASSES_ROOT\\Missing.Braced key points to the missing "
            "CLSID HKEY_CLASSES_ROOT\\CLSID\\{99999999-2222-3333-4444-555555555555} | "
            "Missing.Braced | ",
            "8/1 Empty CLSID | The CLSID is empty in HKEY_CLASSES_ROOT\\NoDefault.Class key  | "
            "NoDefault.Class\\CLSID | ",
        }));
}

TEST_F(CModuleFileAssocTest, ExecutableTypesAreNeverExaminedButOtherSpellingsAre) {
    std::string body;
    for (const char* name : {".bat", ".com", ".exe", ".cmd", ".pif", ".scr", "batfile", "comfile",
                             "cmdfile", "exefile", "piffile", "scrfile"}) {
        body += std::string("[HKEY_CLASSES_ROOT\\") + name +
                "\\CLSID]\n@=\"\"\n"
                "[HKEY_CLASSES_ROOT\\" +
                name + "\\shell\\open\\command]\n@=\"C:\\\\Gone\\\\x.exe\"\n";
    }
    reg(body);
    EXPECT_EQ(module.Scan().count(), 0u);

    // The names compare exactly: the same key spelled otherwise is examined.
    DeleteKeyTree(test.registry(), hkeyClassesRoot, "exefile");
    reg("[HKEY_CLASSES_ROOT\\ExeFile\\CLSID]\n@=\"\"\n");
    EXPECT_EQ(test::recordLines(module.Scan()),
              (std::vector<std::string>{
                  "8/1 Empty CLSID | The CLSID is empty in HKEY_CLASSES_ROOT\\ExeFile key  | "
                  "ExeFile\\CLSID | ",
              }));
}

TEST_F(CModuleFileAssocTest, PathsThatDoNotFitTheBuffersAreKeysThatDoNotOpen) {
    // 245 characters: "<type>\shell\open" fits 260 bytes, "...\command" does not.
    const std::string longType = "t" + std::string(244, 'x');
    // A name of 130 two-byte characters needs 261 bytes: it is not read, and the walk goes on.
    std::string wideName;
    for (int i = 0; i < 130; ++i) {
        wideName += "\xC3\xA9";
    }
    reg("[HKEY_CLASSES_ROOT\\" + longType +
        "\\shell\\open\\command]\n@=\"C:\\\\Gone\\\\x.exe\"\n"
        "[HKEY_CLASSES_ROOT\\a" +
        wideName +
        "\\CLSID]\n@=\"\"\n"
        "[HKEY_CLASSES_ROOT\\zLast\\CLSID]\n@=\"\"\n");

    EXPECT_EQ(test::recordLines(module.Scan()),
              (std::vector<std::string>{
                  "8/1 Empty CLSID | The CLSID is empty in HKEY_CLASSES_ROOT\\zLast key  | "
                  "zLast\\CLSID | ",
              }));
}

TEST_F(CModuleFileAssocTest, ShowsEveryTenthExaminedName) {
    std::string body = "[HKEY_CLASSES_ROOT\\.exe]\n[HKEY_CLASSES_ROOT\\.k00]\n@=\"k05\"\n";
    for (int i = 1; i <= 21; ++i) {
        body +=
            "[HKEY_CLASSES_ROOT\\k" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "]\n";
    }
    reg(body);

    module.Scan();

    // .exe and k05 (seen through .k00) are skipped and not counted: the 1st, 11th and 21st
    // examined names are .k00, k11 and k21.
    EXPECT_EQ(progress.statusHistory(),
              (std::vector<std::string>{"HKEY_CLASSES_ROOT\\.k00", "HKEY_CLASSES_ROOT\\k11",
                                        "HKEY_CLASSES_ROOT\\k21"}));
}

TEST_F(CModuleFileAssocTest, EachScanStartsWithNoTypesSeen) {
    reg(R"([HKEY_CLASSES_ROOT\.old]
@="oldfile"
[HKEY_CLASSES_ROOT\oldfile\shell\open\command]
@="C:\\Gone\\old.exe"
)");
    ASSERT_EQ(module.Scan().count(), 1u);
    test.registry().RegDeleteKeyA(hkeyClassesRoot, ".old");

    EXPECT_EQ(test::recordLines(module.Scan()),
              (std::vector<std::string>{
                  "8/0 Missing or Invalid Path | The Filetype oldfile under HKEY_CLASSES_ROOT is "
                  "associated to non-existent oldfile | oldfile | ",
              }));
}

TEST_F(CModuleFileAssocTest, AStopEndsTheWalkAtTheNextKeyAndLeavesNoKeyOpen) {
    std::string body;
    for (const char* name : {"a", "b", "c", "d"}) {
        body += std::string("[HKEY_CLASSES_ROOT\\") + name + "\\CLSID]\n@=\"\"\n";
    }
    reg(body);
    progress.stopAfterStatusTexts(1);
    module.setStopToken(progress.stopToken());

    const ProblemList found = module.Scan();

    ASSERT_EQ(found.count(), 1u);
    EXPECT_EQ(found[0].primaryName, "a\\CLSID");
    EXPECT_EQ(test.registry().openHandleCount(), 0u);
}

TEST_F(CModuleFileAssocTest, FixDeletesBothTreesOfABadCommandAndOnlyTheEmptyClassKey) {
    reg(R"([HKEY_CLASSES_ROOT\.bad]
@="badfile"
"Content Type"="x/y"
[HKEY_CLASSES_ROOT\.bad\OpenWithProgids]
[HKEY_CLASSES_ROOT\badfile\shell\open\command]
@="C:\\Gone\\app.exe %1"
[HKEY_CLASSES_ROOT\badfile\DefaultIcon]
@="x.ico"
[HKEY_CLASSES_ROOT\Empty.Class\CLSID]
@=""
[HKEY_CLASSES_ROOT\Empty.Class\CurVer]
@="Empty.Class.1"
)");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 2u);
    fix(module, records, true);

    EXPECT_FALSE(classKeyExists(".bad"));
    EXPECT_FALSE(classKeyExists("badfile"));
    EXPECT_FALSE(classKeyExists("Empty.Class\\CLSID"));
    EXPECT_TRUE(classKeyExists("Empty.Class\\CurVer"));
    EXPECT_EQ(module.keptForBackup(), 0u);
    const std::string saved = backupText("fileassoc.reg");
    EXPECT_EQ(occurrences(saved, "REGEDIT4"), 1u);
    for (const char* section :
         {"[HKEY_CLASSES_ROOT\\.bad]", "[HKEY_CLASSES_ROOT\\.bad\\OpenWithProgids]",
          "[HKEY_CLASSES_ROOT\\badfile\\DefaultIcon]",
          "[HKEY_CLASSES_ROOT\\badfile\\shell\\open\\command]",
          "[HKEY_CLASSES_ROOT\\Empty.Class\\CLSID]"}) {
        EXPECT_EQ(occurrences(saved, section), 1u) << section;
    }
    EXPECT_EQ(occurrences(saved, "CurVer"), 0u);
    EXPECT_LT(saved.find("[HKEY_CLASSES_ROOT\\.bad]"), saved.find("[HKEY_CLASSES_ROOT\\badfile"))
        << "the extension is saved before its file type";

    // Restoring the backup brings every deleted key back.
    test.importReg(saved);
    EXPECT_TRUE(classKeyExists("badfile\\DefaultIcon"));
    EXPECT_TRUE(classKeyExists(".bad\\OpenWithProgids"));
    EXPECT_TRUE(classKeyExists("Empty.Class\\CLSID"));
}

TEST_F(CModuleFileAssocTest, FixTouchesOnlyTickedRecordsOfItsOwnKinds) {
    reg(R"([HKEY_CLASSES_ROOT\Kept.Unticked]
[HKEY_CLASSES_ROOT\Kept.Fixed]
[HKEY_CLASSES_ROOT\Kept.OtherModule]
[HKEY_CLASSES_ROOT\Kept.OtherKind]
[HKEY_CLASSES_ROOT\Gone.Ordinary]
[HKEY_CLASSES_ROOT\Gone.Association]
)");
    std::vector<ProblemRecord> records{
        {8, entrykind::ordinary, "Key is Empty", "", "Kept.Unticked", "", 0},
        {8, entrykind::fixed, "Key is Empty", "", "Kept.Fixed", "", 1},
        {5, entrykind::ordinary, "Key is Empty", "", "Kept.OtherModule", "", 1},
        {8, entrykind::explorerExtension, "Key is Empty", "", "Kept.OtherKind", "", 1},
        {8, entrykind::ordinary, "Key is Empty", "", "", "", 1},
        {8, entrykind::ordinary, "Key is Empty", "", "Gone.Ordinary", "", 1},
        {8, entrykind::fileAssociation, "Missing CLSID", "", "Gone.Association", "", 1},
    };
    fix(module, records, false);

    for (const char* kept : {"Kept.Unticked", "Kept.Fixed", "Kept.OtherModule", "Kept.OtherKind"}) {
        EXPECT_TRUE(classKeyExists(kept)) << kept;
    }
    EXPECT_FALSE(classKeyExists("Gone.Ordinary"));
    EXPECT_FALSE(classKeyExists("Gone.Association"));
    EXPECT_FALSE(backupExists("fileassoc.reg")) << "no backup was asked for";
}

TEST_F(CModuleFileAssocTest, AFailedBackupKeepsTheRecordsKeysAMissingKeyIsNoFailure) {
    reg(R"([HKEY_CLASSES_ROOT\.bad]
@="badfile"
[HKEY_CLASSES_ROOT\badfile\shell\open\command]
@="C:\\Gone\\app.exe"
)");
    auto records = scanAndSelect(module);
    ASSERT_EQ(records.size(), 1u);
    // A folder that does not exist cannot take the backup file.
    module.setBackupFolder((test.workingDirectory() / "Backup" / "missing" / "").string());

    EXPECT_TRUE(module.Fix(records, true));

    EXPECT_TRUE(classKeyExists(".bad"));
    EXPECT_TRUE(classKeyExists("badfile\\shell\\open\\command"));
    EXPECT_EQ(records[0].selected, 0) << "kept records are unticked, so they stay listed";
    EXPECT_EQ(module.keptForBackup(), 1u);

    // A record fixed before this one took the file type already: nothing to save, no failure.
    records = {{8, entrykind::ordinary, "Key is Empty", "", "badfile", "", 1}, records[0]};
    records[1].selected = 1;
    module.clearKeptForBackup();
    fix(module, records, true);

    EXPECT_FALSE(classKeyExists(".bad"));
    EXPECT_EQ(module.keptForBackup(), 0u);
    EXPECT_EQ(occurrences(backupText("fileassoc.reg"), "[HKEY_CLASSES_ROOT\\badfile]"), 1u);
}

} // namespace
} // namespace tolvane
