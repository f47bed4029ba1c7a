#include "modules/SoftwareKeyWalk.h"

#include "engine/ModuleTable.h"
#include "modules/CModuleSysSet.h"
#include "modules/CModuleUserSet.h"
#include "tests/modules/ModuleFixture.h"
#include "tests/support/ModuleTestHelpers.h"
#include "tests/support/ProbeRegistry.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace tolvane {
namespace {

// The walk as each of the two software keys modules runs it.
struct Variant {
    const char* name;
    int moduleId;
    const char* descriptionPrefix;
    HKey root;
    const char* rootName;
    // The root and the backup file of the other module, which a fix must leave alone.
    HKey otherRoot;
    const char* otherBackupFile;
    std::function<std::unique_ptr<CModule>(ModuleSet*, const Platform&)> make;

    friend void PrintTo(const Variant& variant, std::ostream* out) { *out << variant.name; }
};

const Variant machine{"Machine",
                      2,
                      "The key under HKLM\\Software\\ contains a bad path ",
                      hkeyLocalMachine,
                      "HKEY_LOCAL_MACHINE",
                      hkeyCurrentUser,
                      "user.reg",
                      [](ModuleSet* owner, const Platform& platform) {
                          return std::make_unique<CModuleSysSet>(owner, platform);
                      }};
const Variant user{"User",
                   1,
                   "The key under HKCU_CURRENT_USER\\Software\\ contains a bad path ",
                   hkeyCurrentUser,
                   "HKEY_CURRENT_USER",
                   hkeyLocalMachine,
                   "system.reg",
                   [](ModuleSet* owner, const Platform& platform) {
                       return std::make_unique<CModuleUserSet>(owner, platform);
                   }};

class SoftwareKeyWalkTest : public test::ModuleFixture,
                            public ::testing::WithParamInterface<Variant> {
protected:
    SoftwareKeyWalkTest()
        : root(GetParam().root), probe(test.registry()), probed(probe.over(test.platform())),
          module(GetParam().make(&owner, probed)) {}

    void setText(std::string_view path, std::string_view name, std::string_view text) {
        ModuleFixture::setText(root, path, name, text);
    }

    ProblemList scan() {
        ProblemList found = module->Scan();
        EXPECT_EQ(test.registry().openHandleCount(), 0u) << "a scan leaves no key open";
        return found;
    }

    std::string backupFileName() const {
        return std::string(moduleTable[static_cast<std::size_t>(module->moduleId())].backupFile);
    }

    // "name@key" of each record, in order.
    static std::vector<std::string> places(const ProblemList& found) {
        std::vector<std::string> result;
        for (const ProblemRecord& record : found) {
            result.push_back(record.primaryName + "@" + record.secondaryName);
        }
        return result;
    }

    HKey root;
    test::ProbeRegistry probe;
    Platform probed;
    std::unique_ptr<CModule> module;
};

struct ValueCase {
    const char* name;
    std::uint32_t type;
    std::string data;
    bool reported;
};

TEST_P(SoftwareKeyWalkTest, ReportsNamedTextValuesHoldingAnAbsolutePathToNothing) {
    test.addFile("C:\\Vendor\\Present.txt");
    test.addFolder("C:\\Vendor\\Folder");
    const std::string dword("\x01\x00\x00\x00", 4);
    const std::vector<ValueCase> cases{
        {"MissingFolder", regtype::sz, "C:\\Vendor\\Gone", true},
        {"MissingProgram", regtype::sz, "C:\\Gone\\Tool.exe", true},
        {"Expandable", regtype::expandSz, "C:\\Gone\\report.txt", true},
        {"FitsTheBuffer", regtype::sz, "C:\\Gone\\" + std::string(251, 'y'), true},
        {"PresentFile", regtype::sz, "C:\\Vendor\\Present.txt", false},
        {"PresentFolder", regtype::sz, "C:\\VENDOR\\FOLDER", false},
        {"Quoted", regtype::sz, "\"C:\\Gone\\x.txt\"", false},
        {"ThreeCharacters", regtype::sz, "Q:\\", false},
        {"Relative", regtype::sz, "Vendor\\Gone.txt", false},
        {"Environment", regtype::sz, "%ProgramFiles%\\Gone\\x.txt", false},
        {"ExeBlank", regtype::sz, "C:\\Gone\\Tool.exe -min", false},
        {"ExeQuote", regtype::sz, "C:\\Gone\\App.EXE\" /s", false},
        {"ExeComma", regtype::sz, "C:\\Gone\\App.exe,1", false},
        {"DllComma", regtype::sz, "C:\\Gone\\lib.dll,3", false},
        {"DllBlank", regtype::sz, "C:\\Gone\\lib.dll arg", false},
        {"DllBackslash", regtype::sz, "C:\\Gone\\lib.dll\\sub", false},
        {"CplBlank", regtype::sz, "C:\\Gone\\x.cpl arg", false},
        {"CplBackslash", regtype::sz, "C:\\Gone\\x.cpl\\sub", false},
        {"CplComma", regtype::sz, "C:\\Gone\\x.cpl,2", false},
        {"ShortName", regtype::sz, "C:\\PROGRA~1\\Gone", false},
        {"ExeBackslash", regtype::sz, "C:\\Gone\\Tool.exe\\sub", true},
        {"DllQuote", regtype::sz, "C:\\Gone\\lib.dll\"x", true},
        {"CplAtTheEnd", regtype::sz, "C:\\Gone\\x.cpl", true},
        {"ExeInAName", regtype::sz, "C:\\Gone\\a.exec ute", true},
        {"List", regtype::sz, "C:\\Gone\\a.txt;x", false},
        {"TwoPaths", regtype::sz, "C:\\Gone\\a.txt C:\\Gone\\b.txt", false},
        {"", regtype::sz, "C:\\Gone\\default.txt", false},
        {"MultiString", regtype::multiSz, std::string("C:\\Gone\\m.txt\0\0", 15), false},
        {"Binary", regtype::binary, "C:\\Gone\\b.txt", false},
        {"Number", regtype::dword, dword, false},
        // 260 bytes with the NUL do not fit.
        {"TooLong", regtype::sz, "C:\\Gone\\" + std::string(252, 'z'), false},
    };
    std::vector<std::string> expected;
    for (const ValueCase& value : cases) {
        setValue(root, "Software\\Vendor\\App", value.name, value.type, value.data);
        if (value.reported) {
            expected.push_back(std::string(value.name) + "@Software\\Vendor\\App\\");
        }
    }
    const std::string longName(259, 'n');
    setText("Software\\Vendor\\App", longName, "C:\\Gone\\long-name.txt");
    setText("Software\\Vendor\\App", longName + "x", "C:\\Gone\\longer-name.txt");
    expected.push_back(longName + "@Software\\Vendor\\App\\");

    const ProblemList found = scan();

    EXPECT_EQ(test::sorted(places(found)), test::sorted(expected));
}

TEST_P(SoftwareKeyWalkTest, RecordsCarryTheLowerCasedDataAndTheKeyPathAsWritten) {
    setText("Software\\Vendor\\App", "InstallDir", "C:\\Vendor\\App");

    const ProblemList found = scan();

    ASSERT_EQ(found.count(), 1u);
    const int id = GetParam().moduleId;
    EXPECT_EQ(found[0],
              (ProblemRecord{id, entrykind::ordinary, "Missing or Invalid Path",
                             GetParam().descriptionPrefix + std::string("c:\\vendor\\app"),
                             "InstallDir", "Software\\Vendor\\App\\", 0}));
    EXPECT_EQ(progress.counter(id), "1");
}

// A prefix links Software\Wow6432Node\... keys to the 64-bit ones: the walk sees each value
// once, under the key it lives in.
TEST_P(SoftwareKeyWalkTest, ALinkedKeyIsSeenOnceUnderItsOwnPath) {
    setText("Software\\Vendor\\App", "InstallDir", "C:\\Vendor\\App");
    test.addLink(root, "Software\\Wow6432Node\\Vendor", "Software\\Vendor");
    test.addLink(root, "Software\\Vendor\\App\\Loop", "Software\\Vendor");

    const ProblemList found = scan();

    EXPECT_EQ(places(found), (std::vector<std::string>{"InstallDir@Software\\Vendor\\App\\"}));
}

TEST_P(SoftwareKeyWalkTest, DeeperKeysComeFirstAndTheUpperThreeLevelsAreShown) {
    setText("Software", "Top", "C:\\Gone\\top");
    setText("Software\\A", "A", "C:\\Gone\\a");
    setText("Software\\A\\B", "B", "C:\\Gone\\b");
    setText("Software\\A\\B\\C\\D", "D", "C:\\Gone\\d");
    setText("Software\\E", "E", "C:\\Gone\\e");

    const ProblemList found = scan();

    EXPECT_EQ(places(found),
              (std::vector<std::string>{"D@Software\\A\\B\\C\\D\\", "B@Software\\A\\B\\",
                                        "A@Software\\A\\", "E@Software\\E\\", "Top@Software\\"}));
    // The empty text is the display's reset when the test bound it.
    EXPECT_EQ(progress.statusHistory(),
              (std::vector<std::string>{"Software\\", "Software\\A\\", "Software\\A\\B\\",
                                        "Software\\E\\"}));
    EXPECT_EQ(probe.mostOpenHandles, 1u) << "one key open at a time";
}

TEST_P(SoftwareKeyWalkTest, AVeryDeepTreeIsWalkedUpToTheLongestPathThatFitsTheBuffer) {
    // "Software\" and 645 levels of "k\" make 1299 characters: the longest path that fits.
    constexpr int depth = 2000;
    std::string path = "Software";
    std::vector<std::string> levels;
    for (int level = 1; level <= depth; ++level) {
        path += "\\k";
        levels.push_back(path);
    }
    createKey(root, path);
    for (const int level : {644, 645, 646, depth}) {
        setText(levels[static_cast<std::size_t>(level - 1)], "Level" + std::to_string(level),
                "C:\\Gone\\deep.txt");
    }

    const ProblemList found = scan();

    ASSERT_EQ(found.count(), 2u);
    EXPECT_EQ(found[0].primaryName, "Level645");
    EXPECT_EQ(found[0].secondaryName.size(), SoftwareKeyWalk::workingBufferSize - 1);
    EXPECT_EQ(found[1].primaryName, "Level644");
    EXPECT_EQ(probe.mostOpenHandles, 1u);
}

TEST_P(SoftwareKeyWalkTest, SubKeysAreEnteredOnlyWhenAKeyReportsAtMostTheLimit) {
    struct Case {
        std::uint32_t reported;
        std::vector<std::string> places;
    };
    const std::vector<Case> cases{
        {SoftwareKeyWalk::maxSubKeys, {"Inner@Software\\Big\\Child\\", "Outer@Software\\Big\\"}},
        {SoftwareKeyWalk::maxSubKeys + 1, {"Outer@Software\\Big\\"}},
    };
    setText("Software\\Big", "Outer", "C:\\Gone\\outer");
    setText("Software\\Big\\Child", "Inner", "C:\\Gone\\inner");
    for (const Case& c : cases) {
        probe.reportedSubKeys["Software\\Big\\"] = c.reported;
        EXPECT_EQ(places(scan()), c.places) << c.reported << " sub-keys reported";
    }
}

TEST_P(SoftwareKeyWalkTest, AKeyThatCannotBeQueriedIsPassedOverButItsSiblingsAreNot) {
    setText("Software\\A", "A", "C:\\Gone\\a");
    setText("Software\\A\\Child", "Child", "C:\\Gone\\child");
    setText("Software\\B", "B", "C:\\Gone\\b");
    probe.failedQueries["Software\\A\\"] = winerr::accessDenied;

    EXPECT_EQ(places(scan()), (std::vector<std::string>{"B@Software\\B\\"}));
}

TEST_P(SoftwareKeyWalkTest, AStopEndsTheWalkAtOnceAndTheNextScanStartsAfresh) {
    for (char name = 'A'; name <= 'T'; ++name) {
        setText(std::string("Software\\") + name, std::string(1, name), "C:\\Gone\\x");
    }
    std::stop_source stop;
    module->setStopToken(stop.get_token());
    probe.onOpen = [&](std::string_view) {
        if (probe.opens == 4) {
            stop.request_stop();
        }
    };

    const std::size_t beforeStop = scan().count();
    module->setStopToken({});
    const std::size_t afterwards = scan().count();

    EXPECT_LE(beforeStop, 2u);
    EXPECT_EQ(afterwards, 20u);
}

TEST_P(SoftwareKeyWalkTest, FixSavesTheKeyOncePerRecordAndDeletesOnlyTheSelectedValues) {
    setText("Software\\Vendor\\App", "First", "C:\\Gone\\1");
    setText("Software\\Vendor\\App", "Second", "C:\\Gone\\2");
    setText("Software\\Vendor\\App", "Unticked", "C:\\Gone\\3");
    setText("Software\\Vendor\\App", "Fixed", "C:\\Gone\\4");
    ModuleFixture::setText(GetParam().otherRoot, "Software\\Vendor\\App", "First", "C:\\Gone\\1");
    ProblemList found = scan();
    ASSERT_EQ(found.count(), 4u);
    std::vector<ProblemRecord> records(found.begin(), found.end());
    for (ProblemRecord& record : records) {
        record.selected = record.primaryName != "Unticked";
        if (record.primaryName == "Fixed") {
            record.entryKind = entrykind::fixed;
        }
    }
    // Another module's record naming a value here, and a record whose key has gone.
    records.push_back({module->moduleId() == 1 ? 2 : 1, entrykind::ordinary, "", "", "Unticked",
                       "Software\\Vendor\\App\\", 1});
    records.push_back({module->moduleId(), entrykind::ordinary, "", "", "Gone",
                       "Software\\Vendor\\Removed\\", 1});
    fix(*module, records, true);

    const std::string backup = backupText(backupFileName());
    const std::string section = std::string("[") + GetParam().rootName + "\\Software\\Vendor\\App]";
    EXPECT_EQ(backup.rfind("REGEDIT4", 0), 0u);
    EXPECT_EQ(test::occurrences(backup, "REGEDIT4"), 1u);
    EXPECT_EQ(test::occurrences(backup, section), 2u) << backup;
    EXPECT_EQ(test::occurrences(backup, "Removed"), 0u);
    EXPECT_FALSE(valueText(root, "Software\\Vendor\\App", "First"));
    EXPECT_FALSE(valueText(root, "Software\\Vendor\\App", "Second"));
    EXPECT_TRUE(valueText(root, "Software\\Vendor\\App", "Unticked"));
    EXPECT_TRUE(valueText(root, "Software\\Vendor\\App", "Fixed"));
    EXPECT_EQ(module->keptForBackup(), 0u);
    EXPECT_TRUE(valueText(GetParam().otherRoot, "Software\\Vendor\\App", "First"));
    EXPECT_FALSE(backupExists(GetParam().otherBackupFile));
}

TEST_P(SoftwareKeyWalkTest, WithoutBackupNothingIsWrittenAndTheValueGoes) {
    setText("Software\\Vendor\\App", "LastFile", "C:\\Data\\report.txt");
    ProblemList found = scan();
    ASSERT_EQ(found.count(), 1u);
    found[0].selected = 1;
    std::vector<ProblemRecord> records(found.begin(), found.end());
    fix(*module, records, false);

    EXPECT_TRUE(std::filesystem::is_empty(backupFolder));
    EXPECT_FALSE(valueText(root, "Software\\Vendor\\App", "LastFile"));
    EXPECT_TRUE(test::keyExists(test.registry(), root, "Software\\Vendor\\App"));
}

TEST_P(SoftwareKeyWalkTest, AValueWhoseKeyCouldNotBeSavedIsKept) {
    setText("Software\\Vendor\\App", "First", "C:\\Gone\\1");
    setText("Software\\Vendor\\Other", "Second", "C:\\Gone\\2");
    std::vector<ProblemRecord> found = test::selectAll(scan());
    ASSERT_EQ(found.size(), 2u);
    fixWithBlockedBackup(*module, found, backupFileName());

    EXPECT_EQ(module->keptForBackup(), 2u);
    EXPECT_EQ(valueText(root, "Software\\Vendor\\App", "First"), "C:\\Gone\\1");
    EXPECT_EQ(valueText(root, "Software\\Vendor\\Other", "Second"), "C:\\Gone\\2");
}

INSTANTIATE_TEST_SUITE_P(BothRoots, SoftwareKeyWalkTest, ::testing::Values(machine, user),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvane
