#include "modules/CModuleSysSet.h"

#include "tests/modules/ModuleFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using CModuleSysSetTest = test::ModuleTest<CModuleSysSet>;

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
        setText(hkeyLocalMachine, c.key, "Path", "C:\\Gone\\x.txt");
        if (c.entered) {
            expected.push_back(std::string(c.key) + "\\");
        }
    }

    EXPECT_EQ(test::sorted(test::fieldOf(module.Scan(), &ProblemRecord::secondaryName)),
              test::sorted(expected));
}

} // namespace
} // namespace tolvane
