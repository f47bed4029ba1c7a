#include "modules/CModuleSound.h"

#include "tests/modules/ModuleFixture.h"
#include "tests/support/ModuleTestHelpers.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

constexpr std::string_view apps = "AppEvents\\Schemes\\Apps\\";
constexpr std::string_view asterisk =
    "AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\.Current\\";

class CModuleSoundTest : public test::ModuleTest<CModuleSound> {
protected:
    void setSound(std::string_view key, std::string_view name, std::string_view path,
                  std::uint32_t type = regtype::expandSz) {
        setValue(hkeyCurrentUser, key, name, type, path);
    }

    std::optional<std::string> sound(std::string_view key, std::string_view name) {
        return valueText(hkeyCurrentUser, key, name);
    }
};

TEST_F(CModuleSoundTest, ReportsTheDefaultAndNamedValuesThatNameAMissingFile) {
    setSound(asterisk, "", "C:\\WINDOWS\\Media\\gone.wav");
    setSound(asterisk, "Alternative", "C:\\Media\\Gone.WAV");

    const ProblemList found = module.Scan();

    ASSERT_EQ(found.count(), 2u);
    const std::string key(asterisk);
    EXPECT_EQ(found[0], (ProblemRecord{10, entrykind::ordinary, "Missing or Invalid Path",
                                       "The key " + key +
                                           " under HKEY_CURRENT_USER contains a bad path for the "
                                           "default value",
                                       key, "", 0}));
    EXPECT_EQ(found[1], (ProblemRecord{10, entrykind::ordinary, "Missing or Invalid Path",
                                       "The key " + key +
                                           " under HKEY_CURRENT_USER contains a bad path for the "
                                           "value Alternative",
                                       key, "Alternative", 0}));
    EXPECT_EQ(progress.counter(10), "2");
    EXPECT_EQ(progress.statusHistory(), std::vector<std::string>{})
        << "the status line is not used by this module";
}

TEST_F(CModuleSoundTest, JudgesTheWholeValueTextWhateverItsType) {
    test.addFile("C:\\windows\\media\\ding.wav");
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string data;
        bool reported;
    };
    const std::vector<Case> cases{
        {"Missing", regtype::expandSz, "C:\\Media\\gone.wav", true},
        {"QuotedPresent", regtype::sz, "\"C:\\Windows\\Media\\ding.wav\"", false},
        {"QuotedMissing", regtype::sz, "\"C:\\Windows\\Media\\gone.wav\"", true},
        {"BinaryPath", regtype::binary, "C:\\Media\\gone.wav", true},
        {"Present", regtype::sz, "C:\\Windows\\Media\\Ding.wav", false},
        {"BareName", regtype::sz, "ding.wav", false},
        {"Environment", regtype::expandSz, "%SystemRoot%\\Media\\gone.wav", true},
        {"EnvironmentPresent", regtype::sz, "%SystemRoot%\\Media\\ding.wav", false},
        {"UnknownVariable", regtype::sz, "%TolvaneNoSuchVariable%\\gone.wav", false},
        {"Empty", regtype::sz, "", false},
        {"TooLong", regtype::sz, "C:\\Media\\" + std::string(260, 'x'), false},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        setSound("AppEvents\\Schemes\\Apps\\App\\Event\\.Current", c.name, c.data, c.type);
        if (c.reported) {
            expected.emplace_back(c.name);
        }
    }

    EXPECT_EQ(test::sorted(test::fieldOf(module.Scan(), &ProblemRecord::secondaryName)),
              test::sorted(expected));
}

TEST_F(CModuleSoundTest, DeeperKeysComeFirstAndPathsLongerThanTheBufferAreNotWalked) {
    // 23 characters of the Apps path, the name and a backslash: 259 fit, 260 do not.
    const std::string fits = std::string(apps) + std::string(235, 'f');
    const std::string tooLong = std::string(apps) + std::string(236, 't');
    setSound(apps, "Top", "C:\\Gone\\top.wav");
    setSound(std::string(apps) + "App", "App", "C:\\Gone\\app.wav");
    setSound(std::string(apps) + "App\\Event", "Event", "C:\\Gone\\event.wav");
    setSound(fits, "Fits", "C:\\Gone\\fits.wav");
    setSound(tooLong, "TooLong", "C:\\Gone\\long.wav");

    EXPECT_EQ(test::fieldOf(module.Scan(), &ProblemRecord::secondaryName),
              (std::vector<std::string>{"Event", "App", "Fits", "Top"}));
}

TEST_F(CModuleSoundTest, FixEmptiesTheSelectedValuesAfterOneBackupOfTheWholeTree) {
    setSound(asterisk, "", "C:\\WINDOWS\\Media\\gone.wav");
    setSound(asterisk, "Alternative", "C:\\Media\\gone.wav");
    setSound("AppEvents\\Schemes\\Apps\\App\\Open\\.Current", "", "C:\\Media\\open.wav");
    std::vector<ProblemRecord> found = test::selectAll(module.Scan());
    ASSERT_EQ(found.size(), 3u);
    ASSERT_EQ(found[2].primaryName, "AppEvents\\Schemes\\Apps\\App\\Open\\.Current\\");
    found[2].selected = 0;

    fix(module, found, true);

    EXPECT_EQ(sound(asterisk, ""), "");
    EXPECT_EQ(sound(asterisk, "Alternative"), "") << "the value stays, emptied";
    EXPECT_EQ(sound("AppEvents\\Schemes\\Apps\\App\\Open\\.Current", ""), "C:\\Media\\open.wav");
    const std::string backup = backupText("sound.reg");
    EXPECT_EQ(test::occurrences(backup, "REGEDIT4"), 1u);
    EXPECT_EQ(test::occurrences(backup, "[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps]"), 1u);
    EXPECT_NE(
        backup.find("[HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\."
                    "Current]\r\n@=hex(2):43,3a"),
        std::string::npos)
        << backup;
    EXPECT_EQ(module.Scan().count(), 1u) << "emptied values are not found again";
}

TEST_F(CModuleSoundTest, FixKeepsEveryRecordWhenTheTreeCouldNotBeSaved) {
    setSound(asterisk, "", "C:\\WINDOWS\\Media\\gone.wav");
    setSound(asterisk, "Alternative", "C:\\Media\\gone.wav");
    std::vector<ProblemRecord> found = test::selectAll(module.Scan());
    fixWithBlockedBackup(module, found, "sound.reg");

    EXPECT_EQ(module.keptForBackup(), 2u);
    EXPECT_EQ(sound(asterisk, ""), "C:\\WINDOWS\\Media\\gone.wav");
    EXPECT_EQ(sound(asterisk, "Alternative"), "C:\\Media\\gone.wav");
}

TEST_F(CModuleSoundTest, FixDoesNotMakeAKeyThatWentAwayAgain) {
    setSound(asterisk, "", "C:\\WINDOWS\\Media\\gone.wav");
    std::vector<ProblemRecord> found = test::selectAll(module.Scan());
    test.registry().RegDeleteKeyA(hkeyCurrentUser, asterisk);
    ASSERT_FALSE(test::keyExists(test.registry(), hkeyCurrentUser, asterisk));

    module.Fix(found, false);

    EXPECT_FALSE(test::keyExists(test.registry(), hkeyCurrentUser, asterisk));
}

} // namespace
} // namespace tolvane
