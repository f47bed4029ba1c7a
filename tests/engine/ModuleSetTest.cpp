#include "engine/ModuleSet.h"

#include "tests/support/RecordingProgress.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace tolvane {
namespace {

// A module that reports the problems it is given and remembers what Fix saw.
class ScriptedModule final : public CModule {
public:
    ScriptedModule(ModuleSet& owner, int id, std::vector<std::string> problems)
        : CModule(&owner, id), problems_(std::move(problems)) {}

    ProblemList Scan() override {
        resetList();
        ++scans;
        for (const auto& name : problems_) {
            if (stopRequested()) {
                break;
            }
            addProblem(entrykind::ordinary, "Missing or Invalid Path", "bad " + name, name, "");
        }
        return takeList();
    }

    bool Fix(std::span<ProblemRecord> records, bool backup) override {
        lastBackup = backup;
        for (auto& record : records) {
            if (isMine(record, {entrykind::ordinary})) {
                fixed.push_back(record.primaryName);
            }
        }
        return true;
    }

    // A problem's name is the key path below HKEY_CURRENT_USER that its fix would delete.
    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override {
        return {FixTarget{hkeyCurrentUser, record.primaryName, {}}};
    }

    int scans = 0;
    bool lastBackup = false;
    std::vector<std::string> fixed;

private:
    std::vector<std::string> problems_;
};

class ModuleSetTest : public ::testing::Test {
protected:
    ModuleSetTest()
        : set([this](int id, ModuleSet& owner) -> std::unique_ptr<CModule> {
              auto module = std::make_unique<ScriptedModule>(owner, id, problemsOf[id]);
              modules[id] = module.get();
              return module;
          }) {}

    void enableOnly(std::initializer_list<int> ids) {
        for (int id = 0; id < moduleCount; ++id) {
            set.setEnabled(id, false);
        }
        for (const int id : ids) {
            set.setEnabled(id, true);
        }
    }

    std::map<int, std::vector<std::string>> problemsOf;
    std::map<int, ScriptedModule*> modules;
    test::RecordingProgress progress;
    ModuleSet set;
};

TEST_F(ModuleSetTest, CountersCountUpPerRecordAndTotalsFollowEachModule) {
    problemsOf[9] = {"a", "b", "c"};
    problemsOf[2] = {"x"};
    set.bindTargets(&progress);
    ASSERT_TRUE(set.createModules());
    EXPECT_FALSE(set.createModules());
    enableOnly({2, 9});

    const ProblemList& merged = set.runScan();

    EXPECT_EQ(progress.counterHistory(9), (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(progress.counter(2), "1");
    EXPECT_EQ(progress.counter(0), "0");
    EXPECT_EQ(progress.total(), "4");
    ASSERT_EQ(merged.count(), 4u);
    // Grouped by module number, each module's records in the order found.
    EXPECT_EQ(merged[0].moduleId, 2);
    EXPECT_EQ(merged[1].primaryName, "a");
    EXPECT_EQ(merged[3].primaryName, "c");
    for (const auto& record : merged) {
        EXPECT_EQ(record.selected, 0);
    }
}

TEST_F(ModuleSetTest, SecondScanKeepsNothingOfTheFirst) {
    problemsOf[6] = {"one", "two"};
    set.bindTargets(&progress);
    set.createModules();
    enableOnly({6});
    set.runScan();
    set.bindTargets(&progress);
    EXPECT_EQ(progress.counter(6), "0");

    const ProblemList& second = set.runScan();

    EXPECT_EQ(second.count(), 2u);
    EXPECT_EQ(modules[6]->count(), 0u) << "the module handed its list over";
    EXPECT_EQ(progress.counterHistory(6).back(), "2");
}

TEST_F(ModuleSetTest, NothingEnabledCompletesEmptyWithTotalZero) {
    problemsOf[0] = {"p"};
    set.bindTargets(&progress);
    set.createModules();
    enableOnly({});

    EXPECT_TRUE(set.runScan().empty());
    EXPECT_EQ(progress.total(), "0");
    EXPECT_EQ(modules[0]->scans, 0);
}

TEST_F(ModuleSetTest, StopEndsTheRunBetweenModules) {
    problemsOf[1] = {"a"};
    problemsOf[3] = {"b"};
    set.createModules();
    enableOnly({1, 3});
    std::stop_source stop;
    stop.request_stop();

    EXPECT_TRUE(set.runScan(stop.get_token()).empty());
    EXPECT_EQ(modules[1]->scans, 0);
}

TEST_F(ModuleSetTest, FixReachesEveryModuleWhichTakesOnlyItsOwnUnfixedRecords) {
    set.createModules();
    std::vector<ProblemRecord> records{
        {5, entrykind::ordinary, "", "", "mine", "", 1},
        {5, entrykind::fixed, "", "", "done before", "", 1},
        {5, entrykind::ordinary, "", "", "unticked", "", 0},
        {7, entrykind::ordinary, "", "", "other module", "", 1},
    };
    const auto before = records;
    set.setBackupFolder("/tmp/Backup/x/");

    EXPECT_TRUE(set.runFix(records, true));

    EXPECT_EQ(modules[5]->fixed, (std::vector<std::string>{"mine"}));
    EXPECT_EQ(modules[7]->fixed, (std::vector<std::string>{"other module"}));
    EXPECT_TRUE(modules[12]->lastBackup) << "disabled modules are called too";
    EXPECT_EQ(modules[12]->backupFolder(), "/tmp/Backup/x/");
    EXPECT_EQ(records, before);
}

TEST_F(ModuleSetTest, ResetDisplayWithNothingBoundChangesNothing) {
    set.resetDisplay();
    set.bindTargets(nullptr);
    EXPECT_EQ(progress.status(), "unset");
    EXPECT_EQ(progress.barPosition(), -1);

    progress.setStatusText("HKEY_CLASSES_ROOT\\.txt");
    set.bindTargets(&progress);
    EXPECT_EQ(progress.status(), "");
    EXPECT_EQ(progress.barPosition(), 0);
    EXPECT_EQ(progress.total(), "0");
    EXPECT_EQ(progress.counter(12), "0");
}

// What is protected or ignored never reaches the list, and a fix never hands it to a module,
// whatever the list it is given says.
TEST_F(ModuleSetTest, TheScreenLeavesProtectedAndIgnoredRecordsOutOfScansAndFixes) {
    test::TestRegistry registry;
    problemsOf[9] = {"Software\\Vendor\\Gone", "Software\\Wine\\Gone", "Software\\Vendor\\Ignored"};
    problemsOf[3] = {"Software\\Vendor\\Ignored"};
    IgnoreList ignored;
    ASSERT_TRUE(ignored.add({9, "software\\vendor\\ignored", "", "/here"}));
    ASSERT_TRUE(set.createModules());
    set.setScreen(ProtectionList(registry.gateway()), ignored, "/here");
    enableOnly({3, 9});

    ProblemList& merged = set.runScan();

    std::vector<std::string> names;
    for (const auto& record : merged) {
        names.push_back(std::to_string(record.moduleId) + ":" + record.primaryName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"3:Software\\Vendor\\Ignored",
                                               "9:Software\\Vendor\\Gone"}));
    EXPECT_EQ(set.ignoredCount(), 1u);
    EXPECT_EQ(set.protectedCount(), 1u);

    std::vector<ProblemRecord> records(merged.begin(), merged.end());
    records.push_back(ProblemRecord{9, entrykind::ordinary, "", "", "Software\\Wine\\Gone", "", 1});
    records.push_back(
        ProblemRecord{9, entrykind::ordinary, "", "", "Software\\Vendor\\Ignored\\", "", 1});
    for (auto& record : records) {
        record.selected = 1;
    }
    set.runFix(records, false);

    EXPECT_EQ(modules[9]->fixed, (std::vector<std::string>{"Software\\Vendor\\Gone"}));
    EXPECT_EQ(modules[3]->fixed, (std::vector<std::string>{"Software\\Vendor\\Ignored"}));
    EXPECT_EQ(records[2].selected, 0) << "kept listed, not marked fixed";
    EXPECT_EQ(records[3].selected, 0);
}

// What the user ignores after a scan reaches the next fix, while the scan's count stays.
TEST_F(ModuleSetTest, AnIgnoreListSwappedInAfterTheScanKeepsItsRecordsFromTheFix) {
    test::TestRegistry registry;
    problemsOf[9] = {"Software\\Vendor\\Kept", "Software\\Vendor\\Later"};
    ASSERT_TRUE(set.createModules());
    set.setScreen(ProtectionList(registry.gateway()), IgnoreList(), "/here");
    enableOnly({9});
    ProblemList& merged = set.runScan();
    ASSERT_EQ(merged.count(), 2u);

    IgnoreList later;
    ASSERT_TRUE(later.add({9, "Software\\Vendor\\Later", "", "/here"}));
    set.setIgnoreList(later);
    EXPECT_EQ(set.place(), "/here");
    EXPECT_EQ(set.ignoredCount(), 0u);

    std::vector<ProblemRecord> records(merged.begin(), merged.end());
    for (auto& record : records) {
        record.selected = 1;
    }
    set.runFix(records, false);
    EXPECT_EQ(modules[9]->fixed, (std::vector<std::string>{"Software\\Vendor\\Kept"}));
    EXPECT_EQ(records[1].selected, 0);
}

} // namespace
} // namespace tolvane
