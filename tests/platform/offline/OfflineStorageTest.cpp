// The gates before an offline installation's hives are written, and how a commit replaces a
// hive: each refusal or failure leaves every hive file as it was.
#include "platform/services/RegKey.h"
#include "tests/support/HiveImage.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowsTree.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane {
namespace {

using Step = offline::HiveFile::CommitStep;

class OfflineStorageTest : public ::testing::Test {
protected:
    void SetUp() override { reopen(); }

    void reopen() {
        platform.reset();
        auto opened = tree.open();
        ASSERT_TRUE(opened) << opened.message();
        platform = std::move(opened.value());
    }

    RegistryStorage& storage() { return platform->storage(); }

    void change() {
        RegKey key;
        ASSERT_EQ(RegKey::create(platform->registry(), hkeyLocalMachine, "SOFTWARE\\Vendor", key),
                  winerr::success);
        ASSERT_EQ(platform->registry().RegSetValueExA(key.get(), "x", regtype::dword,
                                                      std::string(4, '\1')),
                  winerr::success);
    }

    // The save is refused with `message`, and no hive file changed.
    void expectRefused(std::string_view message) {
        const std::string before = test::readFile(tree.hive("SOFTWARE"));
        const auto writable = storage().ensureWritable();
        ASSERT_FALSE(writable);
        EXPECT_NE(writable.message().find(message), std::string::npos) << writable.message();
        const auto saved = storage().save();
        ASSERT_FALSE(saved);
        EXPECT_EQ(saved.message(), writable.message());
        EXPECT_EQ(test::readFile(tree.hive("SOFTWARE")), before);
    }

    static void makeDirty(const std::filesystem::path& hive) {
        std::string bytes = test::readFile(hive);
        test::HiveImage::setSequenceNumbers(bytes, 9, 7);
        test::writeFile(hive, bytes);
    }

    // Temporary files of commits left in the config folder.
    std::size_t leftovers() const {
        std::size_t count = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(tree.hive("SOFTWARE").parent_path())) {
            count += entry.path().filename().string().find(offline::HiveFile::temporaryInfix) !=
                     std::string::npos;
        }
        return count;
    }

    test::WindowsTree tree;
    std::unique_ptr<offline::OfflinePlatform> platform;
};

TEST_F(OfflineStorageTest, AReadOnlyMountIsRefused) {
    change();
    tree.volume.readOnlyMount = true;
    expectRefused("is mounted read-only: nothing can be changed there");
}

TEST_F(OfflineStorageTest, AHibernatedOrFastStartupVolumeIsRefused) {
    change();
    for (const char* marker : {"hibr", "HIBR", "wake", "WaKe"}) {
        test::writeFile(tree.mount() / "HiberFil.sys", std::string(marker) + std::string(60, '\0'));
        expectRefused("Windows is hibernated or was shut down with Fast Startup");
    }
    // Windows clears the file after a resume.
    test::writeFile(tree.mount() / "hiberfil.sys", std::string(64, '\0'));
    std::filesystem::remove(tree.mount() / "HiberFil.sys");
    EXPECT_TRUE(storage().ensureWritable());
    EXPECT_TRUE(storage().save());
}

TEST_F(OfflineStorageTest, ADirtyHiveIsScannedButNotWritten) {
    makeDirty(tree.hive("NTUSER.DAT"));
    reopen();
    // Reading is fine: the user's keys are there.
    RegKey key;
    EXPECT_EQ(RegKey::open(platform->registry(), hkeyCurrentUser, "Software\\Microsoft", key),
              winerr::success);
    change();
    expectRefused("has changes that Windows has not written into it yet (pending .LOG1/.LOG2 "
                  "entries: sequence numbers");
}

TEST_F(OfflineStorageTest, AHiveChangedUnderneathIsNotOverwritten) {
    change();
    EXPECT_FALSE(storage().changedOnDisk());
    {
        auto other = tree.open();
        ASSERT_TRUE(other);
        RegKey key;
        ASSERT_EQ(
            RegKey::create(other.value()->registry(), hkeyLocalMachine, "SOFTWARE\\Other", key),
            winerr::success);
        key.close();
        ASSERT_TRUE(other.value()->storage().save());
    }
    EXPECT_TRUE(storage().changedOnDisk());
    expectRefused("was changed by another program since it was read");
}

TEST_F(OfflineStorageTest, AnInterruptedCommitLeavesTheOldHive) {
    // What a killed commit left is removed by the next one.
    test::writeFile(tree.hive("SOFTWARE").parent_path() /
                        ("SOFTWARE" + std::string(offline::HiveFile::temporaryInfix) + "dead.tmp"),
                    "partial");
    change();
    const std::string before = test::readFile(tree.hive("SOFTWARE"));
    for (const Step step : {Step::written, Step::verified, Step::synced}) {
        platform->storage().setCommitFailure([step](Step at) { return at == step; });
        const auto saved = storage().save();
        ASSERT_FALSE(saved);
        EXPECT_NE(saved.message().find("commit stopped"), std::string::npos) << saved.message();
        EXPECT_EQ(test::readFile(tree.hive("SOFTWARE")), before);
        EXPECT_EQ(leftovers(), 0u);
        EXPECT_TRUE(platform->registry().hasUnsavedChanges());
        test::writeFile(
            tree.hive("SOFTWARE").parent_path() /
                ("SOFTWARE" + std::string(offline::HiveFile::temporaryInfix) + "dead.tmp"),
            "partial");
    }
    EXPECT_EQ(leftovers(), 1u);
    platform->storage().setCommitFailure({});
    ASSERT_TRUE(storage().save());
    EXPECT_EQ(leftovers(), 0u);
    EXPECT_FALSE(storage().changedOnDisk());
    reopen();
    RegKey key;
    EXPECT_EQ(RegKey::open(platform->registry(), hkeyLocalMachine, "SOFTWARE\\Vendor", key),
              winerr::success);
}

TEST_F(OfflineStorageTest, TheFirstChangeCopiesTheHiveAndItsLogsFirst) {
    test::writeFile(tree.hive("SOFTWARE").parent_path() / "software.LOG1", "log one");
    const std::string before = test::readFile(tree.hive("SOFTWARE"));
    change();
    ASSERT_TRUE(storage().save());
    const auto folder = platform->storage().hiveBackupFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(test::readFile(folder / "SOFTWARE"), before);
    EXPECT_EQ(test::readFile(folder / "SOFTWARE.LOG1"), "log one");
    // Only the hives that changed.
    EXPECT_FALSE(std::filesystem::exists(folder / "SYSTEM"));
    EXPECT_NE(test::readFile(tree.hive("SOFTWARE")), before);
    // A later change of the same run keeps the first copy.
    change();
    ASSERT_TRUE(storage().save());
    EXPECT_EQ(test::readFile(folder / "SOFTWARE"), before);
}

TEST_F(OfflineStorageTest, OneProcessChangesAnInstallationAtATime) {
    ASSERT_TRUE(platform->storage().holdForLifetime());
    auto other = tree.open();
    ASSERT_TRUE(other);
    const auto refused = other.value()->storage().holdChangeLock();
    ASSERT_FALSE(refused);
    EXPECT_NE(
        refused.message().find("another Tolvane process is changing the Windows installation"),
        std::string::npos)
        << refused.message();
    // A fix's own hold and release inside the session keep the session's lock.
    ASSERT_TRUE(storage().holdChangeLock());
    storage().releaseChangeLock();
    EXPECT_FALSE(other.value()->storage().holdChangeLock());
    platform.reset();
    EXPECT_TRUE(other.value()->storage().holdChangeLock());
}

TEST_F(OfflineStorageTest, KeptHivesComeBackWithRestore) {
    test::TempDir kept;
    ASSERT_TRUE(storage().keepFiles(kept.path()));
    const std::string before = test::readFile(tree.hive("SOFTWARE"));
    change();
    ASSERT_TRUE(storage().save());
    RegKey key;
    ASSERT_EQ(RegKey::open(platform->registry(), hkeyLocalMachine, "SOFTWARE\\Vendor", key),
              winerr::success);
    tree.volume.readOnlyMount = true;
    EXPECT_FALSE(storage().restoreFiles(kept.path()));
    tree.volume.readOnlyMount = false;
    ASSERT_TRUE(storage().restoreFiles(kept.path()));
    EXPECT_EQ(test::readFile(tree.hive("SOFTWARE")), before);
    // The registry is read again: the old handle is gone with its key.
    EXPECT_EQ(platform->registry().RegSetValueExA(key.get(), "y", regtype::sz, "z"),
              winerr::keyDeleted);
    RegKey gone;
    EXPECT_EQ(RegKey::open(platform->registry(), hkeyLocalMachine, "SOFTWARE\\Vendor", gone),
              winerr::fileNotFound);
    EXPECT_EQ(leftovers(), 0u);
}

} // namespace
} // namespace tolvane
