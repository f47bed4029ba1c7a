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

TEST_F(CModuleUserSetTest, ReportsAUserValueWithItsOwnTexts) {
    bed.setText(hkeyCurrentUser, "Software\\Vendor\\App", "LastFile", "C:\\Data\\report.txt");

    const ProblemList found = module.Scan();

    ASSERT_EQ(found.count(), 1u);
    EXPECT_EQ(found[0], (ProblemRecord{1, entrykind::ordinary, "Missing or Invalid Path",
                                       "The key under HKCU_CURRENT_USER\\Software\\ contains a "
                                       "bad path c:\\data\\report.txt",
                                       "LastFile", "Software\\Vendor\\App\\", 0}));
    EXPECT_EQ(bed.progress.counter(1), "1");
}

TEST_F(CModuleUserSetTest, EntersClassesAndInstallerKeys) {
    bed.setText(hkeyCurrentUser, "Software\\Classes\\Kind", "Icon", "C:\\Gone\\icon.txt");
    bed.setText(hkeyCurrentUser, "Software\\Vendor\\Installer", "Cache", "C:\\Gone\\cache");

    EXPECT_EQ(
        test::fieldOf(module.Scan(), &ProblemRecord::secondaryName),
        (std::vector<std::string>{"Software\\Classes\\Kind\\", "Software\\Vendor\\Installer\\"}));
}

} // namespace
} // namespace tolvane
