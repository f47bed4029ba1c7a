#include "platform/services/CRegTools.h"

#include "platform/services/BuiltinRegistryEditor.h"
#include "platform/services/RegistryRoutines.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/TestPlatform.h"

#include <barrier>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <thread>

namespace tolvane {
namespace {

using namespace std::chrono_literals;

// An editor whose exports hold no key section (a system editor that wrote only its header)
// or that fails outright; it imports through the built-in editor.
class FaultyEditor : public RegistryEditor {
public:
    explicit FaultyEditor(bool writesHeader) : writesHeader_(writesHeader) {}
    Result<void> exportKey(const std::filesystem::path& file, std::string_view) override {
        if (!writesHeader_) {
            return makeError("the editor did not start");
        }
        test::writeFile(file, "REGEDIT4\r\n\r\n");
        return {};
    }
    Result<void> exportRegistry(const std::filesystem::path& file) override {
        return exportKey(file, "");
    }
    Result<void> importRegFile(const std::filesystem::path&) override { return {}; }

private:
    bool writesHeader_;
};

class CRegToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test.clock().set(Clock::TimePoint(std::chrono::sys_days{std::chrono::December / 6 / 2026} +
                                          22h + 40min + 1s + 123ms));
    }

    // The same platform with another registry editor.
    Platform platformWith(RegistryEditor& editor) {
        Platform platform = test.platform();
        return Platform{platform.registry,        platform.files,     editor,
                        platform.clock,           platform.autostart, platform.storage,
                        platform.workingDirectory};
    }

    void setValue(std::string_view path, std::string_view name, std::string_view data) {
        HKey key = HKey::null;
        ASSERT_EQ(registry.RegCreateKeyA(hkeyCurrentUser, path, key), winerr::success);
        ASSERT_EQ(registry.RegSetValueExA(key, name, regtype::sz, data), winerr::success);
        registry.RegCloseKey(key);
    }

    bool keyExists(std::string_view path) {
        HKey key = HKey::null;
        const bool found = registry.RegOpenKeyA(hkeyCurrentUser, path, key) == winerr::success;
        registry.RegCloseKey(key);
        return found;
    }

    // Temporary files the tools left behind, in the temporary folder or beside the backups.
    std::vector<std::string> leftovers() {
        std::string folder;
        test.files().GetTempPathA(folder, maxPath);
        std::vector<std::string> names;
        for (const auto& place : {std::filesystem::path(folder), work.path()}) {
            for (const auto& entry : std::filesystem::directory_iterator(place)) {
                if (entry.path().extension() != ".reg") {
                    names.push_back(entry.path().filename().string());
                }
            }
        }
        return names;
    }

    test::TestPlatform test;
    RegistryGateway& registry = test.registry();
    test::TempDir work;
    CRegTools tools{test.platform()};
};

TEST_F(CRegToolsTest, FirstKeyMakesTheFileAndLaterKeysFollowFromTheirKeyLine) {
    setValue("Software\\First", "a", "1");
    setValue("Software\\First\\Child", "b", "2");
    setValue("Software\\Second", "c", "3");
    const auto file = work / "apppath.reg";

    EXPECT_EQ(tools.backupKeyOutcome(file, hkeyCurrentUser, "Software\\First\\"),
              BackupOutcome::saved);
    EXPECT_TRUE(tools.BackupKey(file, hkeyCurrentUser, "Software\\Second"));
    EXPECT_EQ(work.read("apppath.reg"), "REGEDIT4\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\First]\r\n"
                                        "\"a\"=\"1\"\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\First\\Child]\r\n"
                                        "\"b\"=\"2\"\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\Second]\r\n"
                                        "\"c\"=\"3\"\r\n\r\n");
    EXPECT_TRUE(leftovers().empty());

    // The fix deletes the keys; the backup brings them back.
    DeleteKeyTree(registry, hkeyCurrentUser, "Software\\First");
    DeleteKeyTree(registry, hkeyCurrentUser, "Software\\Second");
    ASSERT_TRUE(tools.ImportRegFile(file));
    EXPECT_TRUE(keyExists("Software\\First\\Child"));
    EXPECT_TRUE(keyExists("Software\\Second"));
}

TEST_F(CRegToolsTest, AKeyThatIsGoneIsNotSavedAndTheFileStaysAsItWas) {
    const auto file = work / "com.reg";
    EXPECT_EQ(tools.backupKeyOutcome(file, hkeyCurrentUser, "Software\\Gone"),
              BackupOutcome::keyMissing);
    EXPECT_FALSE(std::filesystem::exists(file));

    setValue("Software\\Here", "a", "1");
    ASSERT_TRUE(tools.BackupKey(file, hkeyCurrentUser, "Software\\Here"));
    const auto before = work.read("com.reg");
    EXPECT_FALSE(tools.BackupKey(file, hkeyCurrentUser, "Software\\Gone"));
    EXPECT_EQ(tools.backupKeyOutcome(file, HKey{0x80000004u}, "Software"), BackupOutcome::failed);
    EXPECT_EQ(work.read("com.reg"), before);
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(CRegToolsTest, AnExportWithoutKeySectionOrAFailedEditorLeavesTheFileUnchanged) {
    setValue("Software\\Here", "a", "1");
    const auto file = work / "fonts.reg";
    ASSERT_TRUE(tools.BackupKey(file, hkeyCurrentUser, "Software\\Here"));
    const auto before = work.read("fonts.reg");
    for (const bool writesHeader : {true, false}) {
        FaultyEditor faulty(writesHeader);
        const auto faultyPlatform = platformWith(faulty);
        CRegTools faultyTools(faultyPlatform);
        EXPECT_EQ(faultyTools.backupKeyOutcome(file, hkeyCurrentUser, "Software\\Here"),
                  BackupOutcome::failed);
        EXPECT_EQ(work.read("fonts.reg"), before);
        EXPECT_TRUE(leftovers().empty());
        // Nor is a first file made from a failed export.
        EXPECT_EQ(faultyTools.BackupKey(work / "new.reg", hkeyCurrentUser, "Software\\Here"),
                  writesHeader);
        std::filesystem::remove(work / "new.reg");
    }
}

// Every platform's temporary folder is the same one, as for two processes of one user.
class SharedTempFileSystem final : public test::ForwardingFileSystem {
public:
    SharedTempFileSystem(FileSystem& files, std::string folder)
        : ForwardingFileSystem(files), folder_(std::move(folder)) {}
    std::uint32_t GetTempPathA(std::string& buffer, std::uint32_t size) override {
        if (folder_.size() + 1 > size) {
            return static_cast<std::uint32_t>(folder_.size() + 1);
        }
        buffer = folder_;
        return static_cast<std::uint32_t>(folder_.size());
    }

private:
    std::string folder_;
};

// The editor as a separate program: it takes a moment to start before it writes its export.
class SlowStartingEditor final : public RegistryEditor {
public:
    explicit SlowStartingEditor(RegistryEditor& editor) : editor_(editor) {}
    Result<void> exportKey(const std::filesystem::path& file, std::string_view key) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return editor_.exportKey(file, key);
    }
    Result<void> exportRegistry(const std::filesystem::path& file) override {
        return editor_.exportRegistry(file);
    }
    Result<void> importRegFile(const std::filesystem::path& file) override {
        return editor_.importRegFile(file);
    }

private:
    RegistryEditor& editor_;
};

TEST_F(CRegToolsTest, TwoRegistriesBackingUpAtOnceNeverReadEachOthersExports) {
    const test::TempDir sharedTemp;
    constexpr int rounds = 60;
    // Both start each backup at the same moment, as two fix runs started together do.
    std::barrier together(2);
    const auto backUp = [&](const std::string& own, std::vector<BackupOutcome>& outcomes) {
        test::TestPlatform other;
        SharedTempFileSystem files(other.files(), sharedTemp.path().string() + "/");
        SlowStartingEditor editor(other.platform().editor);
        const Platform platform{other.registry(),
                                files,
                                editor,
                                other.platform().clock,
                                other.platform().autostart,
                                other.platform().storage,
                                other.workingDirectory()};
        std::string reg = "REGEDIT4\n";
        for (int i = 0; i < rounds; ++i) {
            reg += "\n[HKEY_CURRENT_USER\\" + own + "\\K" + std::to_string(i) + "]\n\"v\"=\"" +
                   own + "\"\n";
        }
        other.importReg(reg);
        CRegTools ownTools(platform);
        const auto file = other.workingDirectory() / "Backup" / (own + ".reg");
        for (int i = 0; i < rounds; ++i) {
            together.arrive_and_wait();
            outcomes.push_back(
                ownTools.backupKeyOutcome(file, hkeyCurrentUser, own + "\\K" + std::to_string(i)));
        }
        const std::string text = test::readFile(file);
        const std::string stranger = own == "Alpha" ? "Beta" : "Alpha";
        EXPECT_EQ(text.find(stranger), std::string::npos) << own << "'s backup holds other keys";
        for (int i = 0; i < rounds; ++i) {
            EXPECT_NE(text.find("\\" + own + "\\K" + std::to_string(i) + "]"), std::string::npos);
        }
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
            EXPECT_EQ(entry.path(), file) << "left behind beside the backup";
        }
    };
    std::vector<BackupOutcome> alpha;
    std::vector<BackupOutcome> beta;
    {
        std::jthread first([&] { backUp("Alpha", alpha); });
        std::jthread second([&] { backUp("Beta", beta); });
    }
    for (const auto* outcomes : {&alpha, &beta}) {
        EXPECT_EQ(std::count(outcomes->begin(), outcomes->end(), BackupOutcome::saved), rounds);
    }
    EXPECT_TRUE(std::filesystem::is_empty(sharedTemp.path()));
}

// The editor of one side of a staged race: `beforeWrite` runs once the export's file is
// named, `afterWrite` once the export is written.
class StagedEditor final : public RegistryEditor {
public:
    StagedEditor(RegistryEditor& editor, std::function<void()> beforeWrite,
                 std::function<void()> afterWrite)
        : editor_(editor), beforeWrite_(std::move(beforeWrite)),
          afterWrite_(std::move(afterWrite)) {}
    Result<void> exportKey(const std::filesystem::path& file, std::string_view key) override {
        if (staged) {
            beforeWrite_();
        }
        auto exported = editor_.exportKey(file, key);
        if (staged) {
            afterWrite_();
        }
        return exported;
    }
    Result<void> exportRegistry(const std::filesystem::path& file) override {
        return editor_.exportRegistry(file);
    }
    Result<void> importRegFile(const std::filesystem::path& file) override {
        return editor_.importRegFile(file);
    }

    bool staged = false;

private:
    RegistryEditor& editor_;
    std::function<void()> beforeWrite_;
    std::function<void()> afterWrite_;
};

// Two registries of one user back up a key each in the worst order: Beta names its export
// file while Alpha's is named but not yet written, at the same clock tick, and writes it after
// Alpha wrote and before Alpha reads back. An export file that the two could share (a
// temporary name searched from the clock in a shared folder) ends up holding Beta's keys when
// Alpha reads it.
TEST_F(CRegToolsTest, ABackupNeverReadsAnExportThatAnotherProcessWroteMeanwhile) {
    const test::TempDir sharedTemp;
    constexpr int rounds = 20;
    std::barrier step(2);
    const auto wait = [&step] { step.arrive_and_wait(); };

    struct Side {
        test::TestPlatform test;
        std::unique_ptr<SharedTempFileSystem> files;
        std::unique_ptr<StagedEditor> editor;
        std::unique_ptr<Platform> platform;
        std::filesystem::path backup;
    };
    const auto makeSide = [&](const std::string& own, std::function<void()> before,
                              std::function<void()> after) {
        auto side = std::make_unique<Side>();
        side->files = std::make_unique<SharedTempFileSystem>(side->test.files(),
                                                             sharedTemp.path().string() + "/");
        side->editor = std::make_unique<StagedEditor>(side->test.platform().editor,
                                                      std::move(before), std::move(after));
        side->platform = std::make_unique<Platform>(
            Platform{side->test.registry(), *side->files, *side->editor,
                     side->test.platform().clock, side->test.platform().autostart,
                     side->test.platform().storage, side->test.workingDirectory()});
        std::string reg = "REGEDIT4\n";
        for (int i = 0; i <= rounds; ++i) {
            reg += "\n[HKEY_CURRENT_USER\\" + own + "\\K" + std::to_string(i) + "]\n\"v\"=\"" +
                   own + "\"\n";
        }
        side->test.importReg(reg);
        side->backup = side->test.workingDirectory() / "Backup" / (own + ".reg");
        std::filesystem::create_directories(side->backup.parent_path());
        // The first key makes the file; the race is about the keys appended to it.
        EXPECT_EQ(CRegTools(*side->platform)
                      .backupKeyOutcome(side->backup, hkeyCurrentUser, own + "\\K0"),
                  BackupOutcome::saved);
        side->editor->staged = true;
        return side;
    };
    // Alpha: named -> (Beta named) -> writes -> (Beta writes) -> reads back.
    auto alpha = makeSide(
        "Alpha",
        [&] {
            wait();
            wait();
        },
        [&] {
            wait();
            wait();
        });
    // Beta starts once Alpha's file is named: named -> (Alpha writes) -> writes.
    auto beta = makeSide(
        "Beta",
        [&] {
            wait();
            wait();
        },
        [&] { wait(); });

    std::vector<BackupOutcome> alphaOutcomes;
    std::vector<BackupOutcome> betaOutcomes;
    {
        std::jthread first([&] {
            CRegTools tools(*alpha->platform);
            for (int i = 1; i <= rounds; ++i) {
                alphaOutcomes.push_back(tools.backupKeyOutcome(alpha->backup, hkeyCurrentUser,
                                                               "Alpha\\K" + std::to_string(i)));
            }
        });
        std::jthread second([&] {
            CRegTools tools(*beta->platform);
            for (int i = 1; i <= rounds; ++i) {
                wait();
                betaOutcomes.push_back(tools.backupKeyOutcome(beta->backup, hkeyCurrentUser,
                                                              "Beta\\K" + std::to_string(i)));
            }
        });
    }
    for (const auto* side : {alpha.get(), beta.get()}) {
        const std::string text = test::readFile(side->backup);
        const std::string own = side == alpha.get() ? "Alpha" : "Beta";
        const std::string stranger = side == alpha.get() ? "Beta" : "Alpha";
        EXPECT_EQ(text.find(stranger), std::string::npos) << own << "'s backup holds other keys";
        for (int i = 0; i <= rounds; ++i) {
            EXPECT_NE(text.find("\\" + own + "\\K" + std::to_string(i) + "]"), std::string::npos)
                << own << " lost K" << i;
        }
    }
    for (const auto* outcomes : {&alphaOutcomes, &betaOutcomes}) {
        EXPECT_EQ(std::count(outcomes->begin(), outcomes->end(), BackupOutcome::saved), rounds);
    }
    EXPECT_TRUE(std::filesystem::is_empty(sharedTemp.path()));
}

TEST_F(CRegToolsTest, SeekToCharStopsBeforeTheFirstMatchAndAppendNeedsAnExistingTarget) {
    std::istringstream withKey("REGEDIT4\r\n\r\n[HKEY_USERS\\x]\r\n");
    ASSERT_TRUE(tools.SeekToChar(withKey, '['));
    std::string rest;
    std::getline(withKey, rest);
    EXPECT_EQ(rest, "[HKEY_USERS\\x]\r");
    std::istringstream withoutKey("REGEDIT4\r\n\r\n");
    EXPECT_FALSE(tools.SeekToChar(withoutKey, '['));

    std::istringstream body("[HKEY_USERS\\y]\r\n");
    EXPECT_FALSE(tools.AppendRegBody(body, work / "missing.reg"));
    EXPECT_FALSE(std::filesystem::exists(work / "missing.reg"));
    const auto target = work.write("target.reg", "head\r\n");
    ASSERT_TRUE(tools.AppendRegBody(body, target));
    EXPECT_EQ(work.read("target.reg"), "head\r\n[HKEY_USERS\\y]\r\n");
}

TEST_F(CRegToolsTest, BackupFoldersAreNamedByUtcTimeWithMillisecondsAndNeverReused) {
    EXPECT_EQ(tools.MakeTimeStampName(), "06.12.2026 22_40_01_123");
    const auto first = tools.MakeFixBackupFolder();
    EXPECT_EQ(first, test.workingDirectory() / "Backup" / "06.12.2026 22_40_01_123" / "");
    EXPECT_EQ(first.string().back(), '/');

    test.clock().advance(1ms);
    EXPECT_EQ(tools.MakeFixBackupFolder(),
              test.workingDirectory() / "Backup" / "06.12.2026 22_40_01_124" / "");

    // The same millisecond again, after the first fix run made its folder.
    test.clock().set(test.clock().now() - 1ms);
    std::filesystem::create_directories(first);
    EXPECT_EQ(tools.MakeFixBackupFolder(),
              test.workingDirectory() / "Backup" / "06.12.2026 22_40_01_124" / "");
    std::filesystem::create_directories(test.workingDirectory() / "Backup" /
                                        "06.12.2026 22_40_01_124");
    test::writeFile(test.workingDirectory() / "Backup" / "06.12.2026 22_40_01_125",
                    "a file of that name");
    EXPECT_EQ(tools.MakeFixBackupFolder(),
              test.workingDirectory() / "Backup" / "06.12.2026 22_40_01_126" / "");
}

TEST_F(CRegToolsTest, EditorCommandLinesNameTheFullRootAndOtherRootsFail) {
    EXPECT_EQ(CRegTools::RootName(hkeyClassesRoot), "HKEY_CLASSES_ROOT");
    EXPECT_EQ(CRegTools::RootName(hkeyCurrentConfig), "HKEY_CURRENT_CONFIG");
    EXPECT_EQ(CRegTools::RootName(HKey{0x80000004u}), "");
    setValue("Software\\Here", "a", "1");
    EXPECT_TRUE(tools.ExportKey(work / "a.reg", hkeyCurrentUser, "Software\\Here"));
    EXPECT_FALSE(tools.ExportKey(work / "b.reg", HKey{0x80000004u}, "Software\\Here"));
    EXPECT_FALSE(std::filesystem::exists(work / "b.reg"));
    ASSERT_TRUE(tools.ExportRegistry(work / "all.reg"));
    EXPECT_EQ(work.read("all.reg").substr(0, 2), "\xFF\xFE");
}

} // namespace
} // namespace tolvane
