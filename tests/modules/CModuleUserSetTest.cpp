#include "modules/CModuleUserSet.h"

#include "tests/modules/ModuleTestBed.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

class CModuleUserSetTest : public ::testing::Test {
protected:
    test::ModuleTestBed bed;
    CModuleUserSet module{bed.owner(), bed.platform()};
};

TEST_F(CModuleUserSetTest, EntersClassesAndInstallerKeys) {
    bed.setText(hkeyCurrentUser, "Software\\Classes\\Kind", "Icon", "C:\\Gone\\icon.txt");
    bed.setText(hkeyCurrentUser, "Software\\Vendor\\Installer", "Cache", "C:\\Gone\\cache");

    EXPECT_EQ(
        test::fieldOf(module.Scan(), &ProblemRecord::secondaryName),
        (std::vector<std::string>{"Software\\Classes\\Kind\\", "Software\\Vendor\\Installer\\"}));
}

} // namespace
} // namespace tolvane
