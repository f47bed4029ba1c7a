#include "modules/CModuleUserSet.h"

#include "tests/modules/ModuleFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using CModuleUserSetTest = test::ModuleTest<CModuleUserSet>;

TEST_F(CModuleUserSetTest, EntersClassesAndInstallerKeys) {
    setText(hkeyCurrentUser, "Software\\Classes\\Kind", "Icon", "C:\\Gone\\icon.txt");
    setText(hkeyCurrentUser, "Software\\Vendor\\Installer", "Cache", "C:\\Gone\\cache");

    EXPECT_EQ(
        test::fieldOf(module.Scan(), &ProblemRecord::secondaryName),
        (std::vector<std::string>{"Software\\Classes\\Kind\\", "Software\\Vendor\\Installer\\"}));
}

} // namespace
} // namespace tolvane
