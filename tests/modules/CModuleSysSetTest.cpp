#include "modules/CModuleSysSet.h"

#include "tests/modules/ModuleTestBed.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

class CModuleSysSetTest : public ::testing::Test {
protected:
    test::ModuleTestBed bed;
    CModuleSysSet module{bed.owner(), bed.platform()};
};

TEST_F(CModuleSysSetTest, ReportsAMachineValueWithItsOwnTexts) {
    bed.setText(hkeyLocalMachine, "Software\\Vendor\\App", "InstallDir", "C:\\Vendor\\App");

    const ProblemList found = module.Scan();

    ASSERT_EQ(found.count(), 1u);
    EXPECT_EQ(found[0], (ProblemRecord{2, entrykind::ordinary, "Missing or Invalid Path",
                                       "The key under HKLM\\Software\\ contains a bad path "
                                       "c:\\vendor\\app",
                                       "InstallDir", "Software\\Vendor\\App\\", 0}));
    EXPECT_EQ(bed.progress.counter(2), "1");
}

TEST_F(CModuleSysSetTest, KeysNamedWithClassesOrInstallerAreNotEnteredAtAnyDepth) {
    struct Case {
        const char* key;
        bool entered;
    };
    // The test is case-sensitive; the lower-case keys sit elsewhere, as names ignore case.
    const std::vector<Case> cases{
        {"Software\\Classes", false},           {"Software\\MyClassesStore", false},
        {"Software\\Vendor\\Installer", false}, {"Software\\Vendor\\OldInstallers\\Deep", false},
        {"Software\\Other\\classes", true},     {"Software\\Other\\installer", true},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        bed.setText(hkeyLocalMachine, c.key, "Path", "C:\\Gone\\x.txt");
        if (c.entered) {
            expected.push_back(std::string(c.key) + "\\");
        }
    }

    EXPECT_EQ(test::sorted(test::fieldOf(module.Scan(), &ProblemRecord::secondaryName)),
              test::sorted(expected));
}

} // namespace
} // namespace tolvane
