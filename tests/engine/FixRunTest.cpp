#include "engine/FixRun.h"

#include "engine/ModuleSet.h"
#include "platform/services/CRegTools.h"
#include "platform/services/RegistryRoutines.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TestPlatform.h"

#include <future>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Each problem is a key below HKEY_CURRENT_USER\Test\<module>; Fix saves and deletes it.
class KeyModule final : public CModule {
public:
    KeyModule(ModuleSet& owner, int id, const Platform& platform)
        : CModule(&owner, id), platform_(platform) {}

    ProblemList Scan() override { return takeList(); }

    bool Fix(std::span<ProblemRecord> records, bool backup) override {
        CRegTools tools(platform_);
        for (auto& record : records) {
            if (!isMine(record, {entrykind::ordinary})) {
                continue;
            }
            if (backup && tools.backupKeyOutcome(backupFile(), hkeyCurrentUser,
                                                 record.primaryName) == BackupOutcome::failed) {
                keepForFailedBackup(record);
                continue;
            }
            DeleteKeyTree(platform_.registry, hkeyCurrentUser, record.primaryName);
        }
        return true;
    }

    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override {
        return {FixTarget{hkeyCurrentUser, record.primaryName, {}}};
    }

private:
    const Platform& platform_;
};

class FixRunTest : public ::testing::Test {
protected:
    FixRunTest()
        : modules([this](int id, ModuleSet& owner) {
              return std::make_unique<KeyModule>(owner, id, test.platform());
          }),
          run(modules, test.platform(), busy) {
        modules.createModules();
        std::string reg = "REGEDIT4\n";
        for (const auto& [module, key] : problems) {
            reg += "\n[HKEY_CURRENT_USER\\" + key + "]\n\"v\"=\"x\"\n";
            records.push_back({module, entrykind::ordinary, "Missing or Invalid Path",
                               "The key " + key, key, "", 1});
        }
        test.importReg(reg);
    }

    bool keyExists(const std::string& path) {
        HKey key = HKey::null;
        const bool exists = test.registry().RegOpenKeyA(hkeyCurrentUser, path, key) == 0;
        test.registry().RegCloseKey(key);
        return exists;
    }

    // Runs a fix with the given answer to the backup question and waits for its end.
    FixOutcome fix(bool answer) {
        std::promise<FixOutcome> done;
        bool askedWhileBusy = false;
        const auto started = run.start(
            records, &progress, [] {},
            [&] {
                askedWhileBusy = busy == 1;
                return answer ? BackupChoice::backup : BackupChoice::noBackup;
            },
            [&done](const FixOutcome& outcome) { done.set_value(outcome); });
        EXPECT_EQ(started, FixRun::Start::started) << run.failure();
        EXPECT_TRUE(askedWhileBusy);
        auto outcome = done.get_future().get();
        run.wait();
        EXPECT_EQ(busy.load(), 0);
        return outcome;
    }

    std::vector<std::filesystem::path> backupFolders() {
        std::vector<std::filesystem::path> folders;
        std::error_code missing;
        for (const auto& entry :
             std::filesystem::directory_iterator(test.workingDirectory() / "Backup", missing)) {
            folders.push_back(entry.path());
        }
        return folders;
    }

    const std::vector<std::pair<int, std::string>> problems{{6, "Test\\AppPaths\\one"},
                                                            {6, "Test\\AppPaths\\two"},
                                                            {9, "Test\\Run\\three"},
                                                            {9, "Test\\Run\\four"},
                                                            {12, "Test\\Help\\five"}};
    test::TestPlatform test;
    test::RecordingProgress progress;
    std::atomic<int> busy{0};
    ModuleSet modules;
    FixRun run;
    std::vector<ProblemRecord> records;
};

TEST_F(FixRunTest, AnsweringNoFixesTheTickedAndMakesNoBackupFolder) {
    records[1].selected = 0;
    records[3].selected = 0;

    const FixOutcome outcome = fix(false);

    EXPECT_EQ(outcome.fixed, 3u);
    EXPECT_FALSE(outcome.backupWanted);
    EXPECT_EQ(records[0].entryKind, entrykind::fixed);
    EXPECT_EQ(records[0].selected, 1) << "fixed records keep their tick";
    EXPECT_EQ(records[1].entryKind, entrykind::ordinary);
    EXPECT_FALSE(keyExists("Test\\AppPaths\\one"));
    EXPECT_TRUE(keyExists("Test\\AppPaths\\two"));
    EXPECT_FALSE(outcome.backupKept);
    EXPECT_TRUE(backupFolders().empty());
    EXPECT_EQ(test.storage().saves, 1);
}

TEST_F(FixRunTest, BackupsOfAFixThatCouldNotBeStoredAreNotKept) {
    test.storage().failSaves = true;
    const FixOutcome outcome = fix(true);
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_FALSE(outcome.backupKept);
    EXPECT_TRUE(backupFolders().empty());
}

TEST_F(FixRunTest, WithoutABackupFolderTheFixGoesOnOnlyWhenTheUserSaysSo) {
    // A file where the backup folder should be.
    std::filesystem::remove_all(test.workingDirectory() / "Backup");
    test::writeFile(test.workingDirectory() / "Backup", "a file");
    EXPECT_EQ(run.start(records, &progress, {}, [] { return BackupChoice::backup; }, {}),
              FixRun::Start::failed);
    EXPECT_NE(run.failure().find("cannot create the backup folder"), std::string::npos);
    EXPECT_TRUE(keyExists("Test\\Run\\three"));

    std::string reason;
    run.setWithoutBackupQuestion([&](const std::string& why) {
        reason = why;
        return false;
    });
    EXPECT_EQ(run.start(records, &progress, {}, [] { return BackupChoice::backup; }, {}),
              FixRun::Start::failed);
    EXPECT_NE(reason.find("cannot create the backup folder"), std::string::npos);

    run.setWithoutBackupQuestion([](const std::string&) { return true; });
    bool askedForBackup = false;
    std::promise<FixOutcome> done;
    ASSERT_EQ(run.start(
                  records, &progress, {},
                  [&] {
                      askedForBackup = true;
                      return BackupChoice::backup;
                  },
                  [&done](const FixOutcome& outcome) { done.set_value(outcome); }),
              FixRun::Start::started);
    const FixOutcome outcome = done.get_future().get();
    run.wait();
    EXPECT_FALSE(askedForBackup);
    EXPECT_FALSE(outcome.backupWanted);
    EXPECT_EQ(outcome.fixed, 5u);
}

TEST_F(FixRunTest, CancellingTheBackupQuestionCancelsTheFixAndLeavesNothingBehind) {
    bool working = false;
    const auto started = run.start(
        records, &progress, [&] { working = true; }, [] { return BackupChoice::cancel; },
        [](const FixOutcome&) { ADD_FAILURE() << "a cancelled fix completed"; });
    EXPECT_EQ(started, FixRun::Start::cancelled);
    EXPECT_TRUE(working);
    EXPECT_EQ(busy.load(), 0);
    EXPECT_TRUE(backupFolders().empty());
    for (const auto& [module, key] : problems) {
        EXPECT_TRUE(keyExists(key)) << key;
    }
    for (const auto& record : records) {
        EXPECT_NE(record.entryKind, entrykind::fixed);
    }
    EXPECT_EQ(test.storage().saves, 0);
}

TEST_F(FixRunTest, AnsweringYesSavesEachModulesKeysIntoItsOwnFile) {
    const FixOutcome outcome = fix(true);

    EXPECT_EQ(outcome.fixed, 5u);
    const std::filesystem::path folder(outcome.backupFolder);
    const std::string appPaths = test::readFile(folder / "apppath.reg");
    EXPECT_EQ(appPaths.rfind("REGEDIT4", 0), 0u);
    EXPECT_NE(appPaths.find("[HKEY_CURRENT_USER\\Test\\AppPaths\\one]"), std::string::npos);
    EXPECT_NE(appPaths.find("[HKEY_CURRENT_USER\\Test\\AppPaths\\two]"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder / "startup.reg"));
    EXPECT_TRUE(std::filesystem::exists(folder / "help.reg"));
    EXPECT_FALSE(std::filesystem::exists(folder / "com.reg"));
    EXPECT_TRUE(outcome.backupKept);
    EXPECT_TRUE(std::filesystem::exists(folder / "backup-origin.txt"));
    EXPECT_FALSE(keyExists("Test\\Help\\five"));
}

TEST_F(FixRunTest, NothingTickedDoesNothingAtAll) {
    for (auto& record : records) {
        record.selected = 0;
    }
    bool asked = false;
    EXPECT_EQ(run.start(records, &progress, {},
                        [&] {
                            asked = true;
                            return BackupChoice::backup;
                        },
                        {}),
              FixRun::Start::nothingSelected);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(backupFolders().empty());
    EXPECT_EQ(busy.load(), 0);
}

TEST_F(FixRunTest, RefusedWhileBusyOrWhileTheRegistryCannotBeChanged) {
    busy = 1;
    EXPECT_EQ(run.start(records, &progress, {}, {}, {}), FixRun::Start::busy);
    busy = 0;
    test.storage().refuseWrites = true;
    EXPECT_EQ(run.start(records, &progress, {}, {}, {}), FixRun::Start::failed);
    EXPECT_NE(run.failure().find("wineserver"), std::string::npos);
    EXPECT_TRUE(backupFolders().empty());
    EXPECT_TRUE(keyExists("Test\\Run\\three"));
}

TEST_F(FixRunTest, AKeyWhoseBackupFailedIsKeptListedAndCounted) {
    // A folder in the place of startup.reg makes that module's backup fail.
    std::promise<FixOutcome> done;
    ASSERT_EQ(run.start(
                  records, &progress,
                  [this] {
                      std::filesystem::create_directory(
                          std::filesystem::path(modules.backupFolder()) / "startup.reg");
                  },
                  [] { return BackupChoice::backup; },
                  [&done](const FixOutcome& outcome) { done.set_value(outcome); }),
              FixRun::Start::started);
    const FixOutcome outcome = done.get_future().get();
    run.wait();

    EXPECT_EQ(outcome.keptForBackup, 2u);
    EXPECT_EQ(outcome.fixed, 3u);
    EXPECT_EQ(records[2].entryKind, entrykind::ordinary);
    EXPECT_EQ(records[3].entryKind, entrykind::ordinary);
    EXPECT_TRUE(keyExists("Test\\Run\\three"));
    EXPECT_TRUE(keyExists("Test\\Run\\four"));
    EXPECT_FALSE(keyExists("Test\\AppPaths\\one"));
}

} // namespace
} // namespace tolvane
