// The defragmentation's flush: which keys it flushes in which order, its pauses, a stop, and a
// registry that could not be stored.
#include "maintenance/HiveFlusher.h"

#include "tests/support/ProbeRegistry.h"
#include "tests/support/TestPlatform.h"

#include <chrono>
#include <gtest/gtest.h>
#include <stop_token>
#include <string>
#include <vector>

namespace tolvane {
namespace {

constexpr std::string_view hiveList = "SYSTEM\\CurrentControlSet\\Control\\hivelist";

class HiveFlusherTest : public ::testing::Test {
protected:
    // A hive list value for each name, in this order.
    void hives(const std::vector<std::string>& names) {
        std::string reg = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + std::string(hiveList) + "]\n";
        for (const std::string& name : names) {
            std::string escaped;
            for (const char c : name) {
                escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
            }
            reg += "\"" + escaped + "\"=\"\"\n";
        }
        test.importReg(reg);
    }

    Result<void> flush(std::stop_token stop = {}) {
        return HiveFlusher(probe, test.storage(), test.clock()).flushRegistryHives(stop);
    }

    test::TestPlatform test;
    test::ProbeRegistry probe{test.registry()};
};

using Flushes = std::vector<std::string>;

TEST_F(HiveFlusherTest, WithoutAHiveListOnlyTheThreeRootsAreFlushedEachWithItsPause) {
    ASSERT_TRUE(flush());

    EXPECT_EQ(probe.flushes, (Flushes{"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"}));
    EXPECT_EQ(test.clock().waits(), std::vector<std::chrono::milliseconds>(3, HiveFlusher::pause));
    EXPECT_EQ(test.storage().saves, 3) << "every flush stores the registry";
}

TEST_F(HiveFlusherTest, UserHivesFlushTheUserRootsAndMachineHivesTheirOwnKey) {
    test.importReg("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n[HKEY_LOCAL_MACHINE\\System]\n");
    hives({"\\REGISTRY\\MACHINE\\SYSTEM", "\\REGISTRY\\USER\\S-1-5-21",
           "\\REGISTRY\\MACHINE\\SOFTWARE", "\\REGISTRY\\MACHINE\\BCD00000000"});

    ASSERT_TRUE(flush());

    // Values enumerate sorted: BCD (no word matches and nothing is chosen yet: skipped),
    // SOFTWARE, SYSTEM, then the user hive. A later value without a match would flush the
    // last choice again.
    EXPECT_EQ(probe.flushes,
              (Flushes{"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS", "software",
                       "HKEY_LOCAL_MACHINE", "system", "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",
                       "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_LOCAL_MACHINE"}));
    EXPECT_EQ(test.clock().waits().size(), probe.flushes.size());
    EXPECT_EQ(test.registry().openHandleCount(), 0u) << "every key it opened is closed";
}

TEST_F(HiveFlusherTest, ANameWithoutAMatchFlushesTheEarlierChoiceAgainAndAMissingKeyIsSkipped) {
    test.importReg("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n");
    // "SAM" has no key here: skipped without a pause. "Z-OTHER" matches no word and takes the
    // choice made before it, which is "sam" again.
    hives({"A\\SOFTWARE", "B\\SAM", "Z-OTHER"});

    ASSERT_TRUE(flush());

    EXPECT_EQ(probe.flushes, (Flushes{"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS",
                                      "software", "HKEY_LOCAL_MACHINE"}));
    EXPECT_EQ(test.clock().waits().size(), 5u);
}

TEST_F(HiveFlusherTest, TheLastMatchingWordInTheTableOrderChoosesTheKey) {
    test.importReg("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\System]\n[HKEY_LOCAL_MACHINE\\Sam]\n");
    // Holds HARDWARE, SAM and SYSTEM: SYSTEM comes last in the table.
    hives({"HARDWARE-SAM-SYSTEM"});

    ASSERT_TRUE(flush());

    EXPECT_EQ(probe.flushes, (Flushes{"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS",
                                      "system", "HKEY_LOCAL_MACHINE"}));
}

TEST_F(HiveFlusherTest, AStopEndsItAtTheNextPause) {
    hives({"\\REGISTRY\\USER\\S-1-5-21"});
    std::stop_source stop;
    stop.request_stop();

    ASSERT_TRUE(flush(stop.get_token()));

    EXPECT_EQ(probe.flushes, (Flushes{"HKEY_LOCAL_MACHINE"}));
}

TEST_F(HiveFlusherTest, ARegistryThatCannotBeStoredIsReportedAfterEveryFlushWasTried) {
    hives({"\\REGISTRY\\USER\\S-1-5-21"});
    test.storage().failSaves = true;

    const auto flushed = flush();

    ASSERT_FALSE(flushed);
    EXPECT_NE(flushed.message().find("the registry could not be stored"), std::string::npos)
        << flushed.message();
    EXPECT_EQ(probe.flushes.size(), 7u) << "a failed store does not end the flush";
}

} // namespace
} // namespace tolvane
