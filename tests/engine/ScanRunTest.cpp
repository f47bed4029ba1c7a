#include "engine/ScanRun.h"

#include "engine/ModuleSet.h"
#include "platform/base/TimeText.h"
#include "platform/services/RegKey.h"
#include "platform/services/RegistryProfileStore.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TestPlatform.h"

#include <condition_variable>
#include <future>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Walks the scratch key's sub-keys, one problem per sub-key; with `blocking` it holds a key
// open and waits for the stop request after its first problem, as a long walk would.
class WalkingModule final : public CModule {
public:
    WalkingModule(ModuleSet& owner, int id, RegistryGateway& registry, bool blocking,
                  std::promise<void>* started)
        : CModule(&owner, id), registry_(registry), blocking_(blocking), started_(started) {}

    ProblemList Scan() override {
        resetList();
        RegistryGateway& gateway = registry_;
        RegKey key;
        RegKey::open(gateway, hkeyCurrentUser, "Test\\keys", key);
        std::string name;
        for (std::uint32_t i = 0;
             !stopRequested() &&
             gateway.RegEnumKeyA(key.get(), i, name, maxPath) == winerr::success;
             ++i) {
            setStatusText(name);
            addProblem(entrykind::ordinary, "Missing or Invalid Path", "bad " + name, name, "");
            if (blocking_ && started_ != nullptr) {
                started_->set_value();
                started_ = nullptr;
                while (!stopRequested()) {
                    std::this_thread::yield();
                }
            }
        }
        return takeList();
    }
    bool Fix(std::span<ProblemRecord>, bool) override { return true; }
    std::vector<FixTarget> fixTargets(const ProblemRecord&) const override { return {}; }

private:
    RegistryGateway& registry_;
    bool blocking_;
    std::promise<void>* started_;
};

class ScanRunTest : public ::testing::Test {
protected:
    ScanRunTest()
        : profile(test.registry(), hkeyCurrentUser, "Software\\Tolvane\\tolvane"),
          modules([this](int id, ModuleSet& owner) {
              return std::make_unique<WalkingModule>(owner, id, test.registry(),
                                                     id == blockingModule, &started);
          }),
          run(modules, test.platform(), profile, busy) {
        test.importReg("REGEDIT4\n\n[HKEY_CURRENT_USER\\Test\\keys\\a]\n\n"
                       "[HKEY_CURRENT_USER\\Test\\keys\\b]\n\n"
                       "[HKEY_CURRENT_USER\\Test\\keys\\c]\n");
    }

    // Runs a scan to its end and returns the merged count the completion step saw.
    std::size_t scanToEnd(std::array<bool, moduleCount> enabled) {
        std::promise<std::size_t> done;
        EXPECT_TRUE(run.start(enabled, &progress, [&done, this](ProblemList& results) {
            EXPECT_EQ(busy.load(), 0) << "busy is cleared before the completion step";
            EXPECT_NE(profile.getProfileString("UI", "Last Scan", "none"), "none");
            done.set_value(results.count());
        }));
        auto result = done.get_future().get();
        run.wait();
        return result;
    }

    static std::array<bool, moduleCount> only(std::initializer_list<int> ids) {
        std::array<bool, moduleCount> enabled{};
        for (const int id : ids) {
            enabled[static_cast<std::size_t>(id)] = true;
        }
        return enabled;
    }

    test::TestPlatform test;
    RegistryProfileStore profile;
    test::RecordingProgress progress;
    std::atomic<int> busy{0};
    int blockingModule = -1;
    std::promise<void> started;
    ModuleSet modules;
    ScanRun run;
};

TEST_F(ScanRunTest, OnlyTickedModulesRunAndHistoryIsWrittenOnCompletion) {
    EXPECT_EQ(scanToEnd(only({9})), 3u);
    EXPECT_EQ(progress.counterHistory(9), (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(progress.counter(0), "0");
    EXPECT_EQ(progress.total(), "3");
    EXPECT_EQ(profile.getProfileString("UI", "Last Scan Result", "none"), "3");
    EXPECT_EQ(profile.getProfileString("UI", "Last Scan", "none"),
              historyTimeText(test.clock().now()));
}

TEST_F(ScanRunTest, SecondRunStartsFromZeroAndKeepsNothingOfTheFirst) {
    EXPECT_EQ(scanToEnd(only({1, 2})), 6u);
    EXPECT_EQ(scanToEnd(only({2})), 3u);
    EXPECT_EQ(progress.counter(1), "0");
    EXPECT_EQ(modules.results().count(), 3u);
}

TEST_F(ScanRunTest, NothingTickedCompletesWithAnEmptyList) {
    EXPECT_EQ(scanToEnd(only({})), 0u);
    EXPECT_EQ(profile.getProfileString("UI", "Last Scan Result", "none"), "0");
}

TEST_F(ScanRunTest, StopMidScanResetsCountersWritesNoHistoryAndLeavesNoHandleOpen) {
    blockingModule = 4;
    const std::size_t handlesBefore = test.registry().openHandleCount();
    bool completed = false;
    ASSERT_TRUE(
        run.start(only({4, 5}), &progress, [&completed](ProblemList&) { completed = true; }));
    EXPECT_FALSE(run.start(only({4}), &progress, {})) << "one run at a time";
    started.get_future().wait();
    EXPECT_EQ(progress.counter(4), "1");

    EXPECT_TRUE(run.stop());

    EXPECT_FALSE(completed);
    EXPECT_EQ(busy.load(), 0);
    EXPECT_EQ(progress.counter(4), "0");
    EXPECT_EQ(progress.total(), "0");
    EXPECT_EQ(progress.status(), "");
    EXPECT_EQ(test.registry().openHandleCount(), handlesBefore);
    EXPECT_EQ(profile.getProfileString("UI", "Last Scan", "none"), "none");
    EXPECT_FALSE(run.stop()) << "nothing left to stop";

    blockingModule = -1;
    EXPECT_EQ(scanToEnd(only({5})), 3u) << "a new run starts at once";
}

} // namespace
} // namespace tolvane
