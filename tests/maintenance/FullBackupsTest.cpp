// Whole-registry backups of a Wine prefix: what they keep, where they are listed, what a
// restore puts back.
#include "maintenance/FullBackups.h"

#include "platform/RegistryEditor.h"
#include "platform/RegistryStorage.h"
#include "platform/prefix/PrefixPlatform.h"
#include "platform/services/BackupLocation.h"
#include "platform/services/BackupManifest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::TempDir;

std::string fileHeader(std::string_view root) {
    return "WINE REGISTRY Version 2\n;; All keys relative to " + std::string(root) +
           "\n\n#arch=win64\n";
}

class FullBackupsTest : public ::testing::Test {
protected:
    FullBackupsTest() {
        scratch.write("prefix/system.reg",
                      fileHeader("\\\\Machine") + "\n[Software\\\\Kept] 1700000000\n\"a\"=\"1\"\n");
        scratch.write("prefix/user.reg", fileHeader("\\\\User\\\\S-1-5-21-0-0-0-1000") +
                                             "\n[Software\\\\Mine] 1700000000\n\"b\"=\"2\"\n");
        scratch.write("prefix/userdef.reg", fileHeader("\\\\User\\\\.Default"));
        reopen();
    }

    void reopen() {
        auto opened = prefix::PrefixPlatform::open(
            scratch / "prefix",
            {scratch / "work", scratch / "config", "/usr/bin/tolvane", scratch / "data"});
        ASSERT_TRUE(opened) << opened.message();
        platform = std::move(opened.value());
    }

    Platform& p() { return platform->platform(); }

    TempDir scratch;
    std::unique_ptr<prefix::PrefixPlatform> platform;
};

TEST_F(FullBackupsTest, BackupsLiveInAFolderOfThePrefixByItsCanonicalPath) {
    const auto root = FullBackups(p()).root();
    EXPECT_EQ(root.parent_path(), scratch / "data" / "tolvane");
    // The same prefix however it is named; another prefix of the same folder name elsewhere
    // gets another folder.
    EXPECT_EQ(BackupLocation::forPrefix(scratch / "data", scratch / "work" / ".." / "prefix" / ""),
              root);
    EXPECT_NE(BackupLocation::forPrefix(scratch / "data", scratch / "work" / "prefix"), root);
    EXPECT_EQ(root.filename().string().substr(0, 7), "prefix-");
}

TEST_F(FullBackupsTest, ABackupKeepsTheFilesAndARestorePutsExactlyThoseBack) {
    FullBackups backups(p());
    const auto created = backups.create();
    ASSERT_TRUE(created) << created.message();
    const auto folder = backups.root() / *created;
    for (const char* name : {"main.reg", "backup-origin.txt", "registry/system.reg",
                             "registry/user.reg", "registry/userdef.reg"}) {
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    }
    const std::string userBefore = test::readFile(scratch / "prefix" / "user.reg");

    HKey key = HKey::null;
    ASSERT_EQ(p().registry.RegCreateKeyA(hkeyCurrentUser, "Software\\Added Later", key),
              winerr::success);
    p().registry.RegCloseKey(key);
    ASSERT_TRUE(p().storage.save());

    ASSERT_TRUE(backups.restore(*created));
    EXPECT_EQ(test::readFile(scratch / "prefix" / "user.reg"), userBefore);
    // The tree in memory is the restored one too, and the storage accepts the next save.
    EXPECT_EQ(p().registry.RegOpenKeyA(hkeyCurrentUser, "Software\\Added Later", key),
              winerr::fileNotFound);
    ASSERT_EQ(p().registry.RegOpenKeyA(hkeyCurrentUser, "Software\\Mine", key), winerr::success);
    p().registry.RegCloseKey(key);
    EXPECT_TRUE(p().storage.ensureWritable());
}

TEST_F(FullBackupsTest, ABackupIsRefusedWhenWineChangedTheFilesSinceTheyWereRead) {
    scratch.write("prefix/user.reg", fileHeader("\\\\User\\\\S-1-5-21-0-0-0-1000") +
                                         "\n[Software\\\\Wine Wrote This] 1700000000\n");
    FullBackups backups(p());
    const auto created = backups.create();
    ASSERT_FALSE(created);
    EXPECT_NE(created.message().find("user.reg has changed on disk"), std::string::npos)
        << created.message();
    EXPECT_TRUE(std::filesystem::is_empty(backups.root()));
}

TEST_F(FullBackupsTest, BackupsOfAnotherRegistryAreNotListedNorRestoredUnlessAsked) {
    FullBackups backups(p());
    const auto created = backups.create();
    ASSERT_TRUE(created);
    const auto foreign = backups.root() / "01.01.2026 10_00_00_000";
    std::filesystem::copy(backups.root() / *created, foreign,
                          std::filesystem::copy_options::recursive);
    ASSERT_TRUE(BackupManifest("the Wine prefix /elsewhere", {}, {}).writeTo(foreign));

    const auto listed = backups.list();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.front().folderName, *created);
    EXPECT_EQ(backups.otherOrigin("01.01.2026 10_00_00_000"), "the Wine prefix /elsewhere");
    EXPECT_EQ(backups.otherOrigin(*created), std::nullopt);
    const auto refused = backups.restore("01.01.2026 10_00_00_000");
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("/elsewhere"), std::string::npos);
    EXPECT_TRUE(backups.restore("01.01.2026 10_00_00_000", true));
    // Hidden names are never backups.
    EXPECT_FALSE(backups.restore(".partial-0123"));
}

TEST_F(FullBackupsTest, ARestoreOfMalformedFilesChangesNothing) {
    FullBackups backups(p());
    const auto created = backups.create();
    ASSERT_TRUE(created);
    test::writeFile(backups.root() / *created / "registry" / "user.reg", "garbage\n");
    const std::string systemBefore = test::readFile(scratch / "prefix" / "system.reg");
    const std::string userBefore = test::readFile(scratch / "prefix" / "user.reg");
    EXPECT_FALSE(backups.restore(*created));
    EXPECT_EQ(test::readFile(scratch / "prefix" / "system.reg"), systemBefore);
    EXPECT_EQ(test::readFile(scratch / "prefix" / "user.reg"), userBefore);
}

TEST_F(FullBackupsTest, BackupsAreListedNewestFirstWithTheirKindKeysAndOrigin) {
    FullBackups backups(p());
    const auto root = backups.root();
    // A year's turn: as text "01.01.2027" would come before "31.12.2025".
    test::writeFile(
        root / "31.12.2025 23_59_59_999" / "main.reg",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\A]\n\n[HKEY_CURRENT_USER\\Software\\B]"
        "\n\"[not a key]\"=\"x\"\n");
    test::writeFile(root / "01.01.2027 00_00_00_000" / "Startup.reg",
                    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Run]\r\n\"a\"=\"b\"\r\n");
    // The second run of the same second sorts by its milliseconds.
    test::writeFile(root / "01.01.2027 00_00_00_010" / "Fonts.reg", "REGEDIT4\n");
    test::writeFile(root / "kept by hand" / "main.reg", "REGEDIT4\n");
    // Windows' own export: UTF-16LE with a byte-order mark.
    std::u16string wide = u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\x]\r\n"
                          u"@=\"[\"\r\n\r\n[HKEY_USERS\\y]\r\n";
    std::string bytes;
    for (const char16_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    test::writeFile(root / "15.06.2026 12_00_00_000" / "Fonts.reg", bytes);
    ASSERT_TRUE(BackupManifest::current(p()).writeTo(root / "15.06.2026 12_00_00_000"));

    const auto listed = backups.list();
    std::vector<std::string> names;
    for (const auto& entry : listed) {
        names.push_back(entry.folderName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"01.01.2027 00_00_00_010", "01.01.2027 00_00_00_000",
                                               "15.06.2026 12_00_00_000", "31.12.2025 23_59_59_999",
                                               "kept by hand"}));
    EXPECT_EQ(listed[1].kind, BackupEntry::Kind::fixRun);
    EXPECT_EQ(listed[1].keys, 1u);
    EXPECT_EQ(listed[2].keys, 2u);
    EXPECT_EQ(listed[2].origin, BackupManifest::current(p()).describe());
    EXPECT_EQ(listed[3].kind, BackupEntry::Kind::wholeRegistry);
    EXPECT_EQ(listed[3].keys, 2u);
    EXPECT_EQ(listed[3].origin, "");
    EXPECT_FALSE(listed[4].made.has_value());
}

TEST_F(FullBackupsTest, DeletingTakesOnlyABackupOfThisFolderNamedByItself) {
    FullBackups backups(p());
    const auto created = backups.create();
    ASSERT_TRUE(created);
    test::writeFile(backups.root() / ".partial-0123" / "main.reg", "REGEDIT4\n");

    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "../" + backups.root().filename().string(), "/tmp",
                                  *created + "/main.reg", ".partial-0123"}) {
        EXPECT_FALSE(backups.remove(name)) << name;
    }
    const auto missing = backups.remove("01.01.2020 10_00_00_000");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.message().find("does not exist"), std::string::npos) << missing.message();
    EXPECT_TRUE(std::filesystem::exists(backups.root() / *created / "main.reg"));
    EXPECT_TRUE(std::filesystem::exists(backups.root() / ".partial-0123"));
    EXPECT_TRUE(std::filesystem::exists(scratch / "prefix" / "system.reg"));

    ASSERT_TRUE(backups.remove(*created));
    EXPECT_FALSE(std::filesystem::exists(backups.root() / *created));
    EXPECT_TRUE(backups.list().empty());
}

TEST_F(FullBackupsTest, OnlyPartialBackupsUntouchedForTheIdleTimeAreCleanedUp) {
    FullBackups backups(p());
    const auto root = backups.root();
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    const auto age = [&](const std::filesystem::path& path) {
        std::filesystem::last_write_time(path, hourAgo);
    };
    // Left by a crash an hour ago.
    test::writeFile(root / ".partial-old" / "registry" / "system.reg", "x");
    age(root / ".partial-old" / "registry" / "system.reg");
    age(root / ".partial-old" / "registry");
    age(root / ".partial-old");
    // Another process is still writing into this one: an old folder with a fresh file inside.
    test::writeFile(root / ".partial-busy" / "registry" / "user.reg", "x");
    age(root / ".partial-busy" / "registry");
    age(root / ".partial-busy");
    test::writeFile(root / ".partial-new" / "main.reg", "x");
    // An old finished backup is no partial one.
    test::writeFile(root / "01.01.2020 10_00_00_000" / "main.reg", "REGEDIT4\n");
    age(root / "01.01.2020 10_00_00_000" / "main.reg");
    age(root / "01.01.2020 10_00_00_000");

    EXPECT_EQ(backups.removeStale(std::chrono::seconds(120)), 1u);

    EXPECT_FALSE(std::filesystem::exists(root / ".partial-old"));
    EXPECT_TRUE(std::filesystem::exists(root / ".partial-busy" / "registry" / "user.reg"));
    EXPECT_TRUE(std::filesystem::exists(root / ".partial-new" / "main.reg"));
    EXPECT_TRUE(std::filesystem::exists(root / "01.01.2020 10_00_00_000" / "main.reg"));
}

TEST_F(FullBackupsTest, AnOlderVersionsBackupsAreCopiedOnceAndRecordedAsMadeHere) {
    FullBackups backups(p());
    const auto legacy = scratch / "work" / "Backup";
    test::writeFile(legacy / "01.01.2020 10_00_00_000" / "main.reg",
                    "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Old]\n");
    test::writeFile(legacy / "02.01.2020 10_00_00_000" / "Startup.reg", "REGEDIT4\n");
    test::writeFile(legacy / ".hidden" / "main.reg", "REGEDIT4\n");
    test::writeFile(legacy / "no reg files" / "notes.txt", "x");
    test::writeFile(legacy / "loose.reg", "REGEDIT4\n");
    test::writeFile(legacy / "of another prefix" / "main.reg", "REGEDIT4\n");
    ASSERT_TRUE(
        BackupManifest("the Wine prefix /elsewhere", {}, {}).writeTo(legacy / "of another prefix"));

    const auto imported = backups.importLegacy(legacy);

    ASSERT_TRUE(imported) << imported.message();
    EXPECT_EQ(*imported, 2u);
    std::vector<std::string> names;
    for (const auto& entry : backups.list()) {
        names.push_back(entry.folderName);
        EXPECT_EQ(entry.origin, BackupManifest::current(p()).describe()) << entry.folderName;
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"02.01.2020 10_00_00_000", "01.01.2020 10_00_00_000"}));
    EXPECT_EQ(test::readFile(backups.root() / "01.01.2020 10_00_00_000" / "main.reg"),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Old]\n");
    EXPECT_TRUE(std::filesystem::exists(legacy / "01.01.2020 10_00_00_000" / "main.reg"))
        << "the old folder stays";
    EXPECT_FALSE(std::filesystem::exists(legacy / "01.01.2020 10_00_00_000" / "backup-origin.txt"))
        << "nothing is written into the old folder";

    EXPECT_EQ(backups.importLegacy(legacy).value(), 0u) << "what is here already is not copied";
    EXPECT_FALSE(backups.importLegacy(scratch / "work" / "none"));
}

TEST(FullBackupsNames, OnlyRealTimeStampsGiveATime) {
    using namespace std::chrono;
    EXPECT_EQ(FullBackups::timeOf("29.02.2028 13_14_15_016"), sys_days(year(2028) / February / 29) +
                                                                  hours(13) + minutes(14) +
                                                                  seconds(15) + milliseconds(16));
    for (const char* name :
         {"29.02.2027 13_14_15_016", "32.01.2026 10_00_00_000", "01.13.2026 10_00_00_000",
          "01.01.2026 24_00_00_000", "01.01.2026 10:00:00:000", "01.01.2026 10_00_00_00", "",
          "1.01.2026 10_00_00_0000"}) {
        EXPECT_FALSE(FullBackups::timeOf(name).has_value()) << name;
    }
}

} // namespace
} // namespace tolvane
