// Saving a prefix: only changed files, atomically, never while its wineserver runs.
#include "platform/prefix/PrefixStorage.h"

#include "platform/prefix/PrefixLock.h"
#include "platform/prefix/StoreJournal.h"
#include "platform/prefix/WineRegFileReader.h"
#include "platform/services/ChangeLock.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tolvane::prefix {
namespace {

using test::TempDir;

std::string fileHeader(std::string_view root) {
    return "WINE REGISTRY Version 2\n;; All keys relative to " + std::string(root) +
           "\n\n#arch=win64\n";
}

ino_t inodeOf(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

bool hasTemporaryFiles(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".tmp") {
            return true;
        }
    }
    return false;
}

// Holds the write lock on byte 0 of a lock file as a running wineserver does. An open file
// description lock conflicts with the probe's F_GETLK even inside this process.
class HeldLock {
public:
    explicit HeldLock(const std::filesystem::path& file) {
        std::filesystem::create_directories(file.parent_path());
        fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = 1;
        locked_ = fd_ >= 0 && ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    ~HeldLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

std::string serverFolderOf(const std::filesystem::path& prefix) {
    struct stat info {};
    ::stat(prefix.c_str(), &info);
    std::ostringstream name;
    name << "server-" << std::hex << info.st_dev << "-" << info.st_ino;
    return name.str();
}

class PrefixStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = dir / "prefix";
        dir.write("prefix/system.reg", fileHeader("REGISTRY\\\\Machine") +
                                           "\n[Software] 1796672712\n#time=1dd8683793eb752\n");
        dir.write("prefix/user.reg",
                  fileHeader("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000") +
                      "\n[Environment] 1796672712\n#time=1dd8683793eb752\n\"TEMP\"=\"C:\\\\t\"\n");
        dir.write("prefix/userdef.reg", fileHeader("REGISTRY\\\\User\\\\.Default"));
        auto opened = WineRegistry::openPrefix(prefix);
        ASSERT_TRUE(opened.ok()) << opened.message();
        registry = std::move(opened.value());
    }

    void changeUserValue() {
        HKey key = HKey::null;
        ASSERT_EQ(registry->RegOpenKeyA(hkeyCurrentUser, "Environment", key), 0);
        ASSERT_EQ(registry->RegSetValueExA(key, "TEMP", regtype::sz, "D:\\t"), 0);
        registry->RegCloseKey(key);
    }

    WineServerProbe probe() const {
        return WineServerProbe(prefix, {dir / "tmp"}, dir / "upstream");
    }

    TempDir dir;
    std::filesystem::path prefix;
    std::unique_ptr<WineRegistry> registry;
};

TEST_F(PrefixStorageTest, OnlyChangedFilesAreWritten) {
    const std::string system = dir.read("prefix/system.reg");
    const ino_t systemInode = inodeOf(prefix / "system.reg");
    const ino_t userdefInode = inodeOf(prefix / "userdef.reg");

    const ino_t userInode = inodeOf(prefix / "user.reg");
    ASSERT_TRUE(registry->save().ok());
    EXPECT_EQ(inodeOf(prefix / "user.reg"), userInode) << "nothing changed, nothing written";

    changeUserValue();
    EXPECT_TRUE(registry->hasUnsavedChanges());
    ASSERT_TRUE(registry->save().ok());
    EXPECT_FALSE(registry->hasUnsavedChanges());
    EXPECT_NE(dir.read("prefix/user.reg").find("\"TEMP\"=\"D:\\\\t\""), std::string::npos);
    EXPECT_NE(inodeOf(prefix / "user.reg"), userInode) << "replaced by a new file";
    EXPECT_EQ(inodeOf(prefix / "system.reg"), systemInode);
    EXPECT_EQ(inodeOf(prefix / "userdef.reg"), userdefInode);
    EXPECT_EQ(dir.read("prefix/system.reg"), system);
    EXPECT_FALSE(hasTemporaryFiles(prefix));
}

TEST_F(PrefixStorageTest, AFailedSaveKeepsTheOldFileAndRemovesTheTemporaryOne) {
    using Step = AtomicFileWriter::Step;
    const std::string before = dir.read("prefix/user.reg");
    changeUserValue();
    for (const Step failing : {Step::create, Step::write, Step::sync, Step::rename}) {
        registry->setFileWriter(
            AtomicFileWriter([failing](Step step, const auto&) { return step == failing; }));
        const auto saved = registry->save();
        ASSERT_FALSE(saved.ok());
        EXPECT_NE(saved.message().find((prefix / "user.reg").string()), std::string::npos)
            << saved.message();
        EXPECT_EQ(dir.read("prefix/user.reg"), before);
        EXPECT_FALSE(hasTemporaryFiles(prefix));
        EXPECT_TRUE(registry->hasUnsavedChanges());
    }
    registry->setFileWriter(AtomicFileWriter());
    ASSERT_TRUE(registry->save().ok());
    EXPECT_NE(dir.read("prefix/user.reg"), before);
}

TEST_F(PrefixStorageTest, SavingKeepsPermissionsAndLinkedFiles) {
    ASSERT_EQ(::chmod((prefix / "user.reg").c_str(), 0600), 0);
    std::filesystem::rename(prefix / "user.reg", dir / "elsewhere.reg");
    std::filesystem::create_symlink(dir / "elsewhere.reg", prefix / "user.reg");
    changeUserValue();
    ASSERT_TRUE(registry->save().ok());
    EXPECT_TRUE(std::filesystem::is_symlink(prefix / "user.reg"));
    EXPECT_NE(dir.read("elsewhere.reg").find("D:\\\\t"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat((dir / "elsewhere.reg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(PrefixStorageTest, ARunningWineserverBlocksChanges) {
    PrefixStorage storage(*registry, prefix, probe());
    EXPECT_NE(storage.describe().find(prefix.string()), std::string::npos);
    EXPECT_TRUE(storage.ensureWritable().ok());

    changeUserValue();
    const std::string before = dir.read("prefix/user.reg");
    {
        HeldLock server(dir / "upstream" / serverFolderOf(prefix) / "lock");
        ASSERT_TRUE(server.locked());
        const auto writable = storage.ensureWritable();
        ASSERT_FALSE(writable.ok());
        EXPECT_NE(writable.message().find("wineserver"), std::string::npos);
        EXPECT_NE(writable.message().find(prefix.string()), std::string::npos);
        EXPECT_FALSE(storage.save().ok());
        EXPECT_EQ(dir.read("prefix/user.reg"), before);
        // The refused change is dropped from memory too, so a later store cannot carry it.
        EXPECT_FALSE(registry->hasUnsavedChanges());
    }
    EXPECT_TRUE(storage.save().ok());
    EXPECT_EQ(dir.read("prefix/user.reg"), before);
}

TEST_F(PrefixStorageTest, FilesChangedOnDiskSinceTheyWereReadAreNeverOverwritten) {
    PrefixStorage storage(*registry, prefix, probe());
    changeUserValue();
    EXPECT_FALSE(storage.changedOnDisk());
    // Wine ran meanwhile and wrote its own user.reg, as wineserver does: a new file renamed
    // over the old one.
    const std::string wines = dir.read("prefix/user.reg") + "\n[Software\\\\Wine] 1796672713\n";
    dir.write("prefix/user.reg.new", wines);
    std::filesystem::rename(prefix / "user.reg.new", prefix / "user.reg");

    EXPECT_TRUE(storage.changedOnDisk());
    const auto writable = storage.ensureWritable();
    ASSERT_FALSE(writable.ok());
    EXPECT_NE(writable.message().find("user.reg has changed on disk"), std::string::npos)
        << writable.message();
    EXPECT_FALSE(storage.save().ok());
    EXPECT_EQ(dir.read("prefix/user.reg"), wines);

    // The storage's own saves are no outside change.
    auto reopened = WineRegistry::openPrefix(prefix);
    ASSERT_TRUE(reopened.ok());
    PrefixStorage fresh(**reopened, prefix, probe());
    HKey key = HKey::null;
    ASSERT_EQ((*reopened)->RegCreateKeyA(hkeyCurrentUser, "Software\\Tolvane", key), 0);
    (*reopened)->RegCloseKey(key);
    ASSERT_TRUE(fresh.save().ok());
    EXPECT_TRUE(fresh.ensureWritable().ok());
    EXPECT_FALSE(fresh.changedOnDisk());
    ASSERT_EQ((*reopened)->RegCreateKeyA(hkeyCurrentUser, "Software\\Tolvane2", key), 0);
    (*reopened)->RegCloseKey(key);
    EXPECT_TRUE(fresh.save().ok());
}

TEST_F(PrefixStorageTest, TheProbeFindsBothServerFolderLayouts) {
    const std::string server = serverFolderOf(prefix);
    EXPECT_FALSE(probe().runningServer());

    // Debian's layout: the prefix names a wine-XXXXXX folder in the temporary folder.
    dir.write("prefix/wineserver", "wine-AbC123");
    const auto debianLock = dir / "tmp" / "wine-AbC123" / server / "lock";
    dir.write("tmp/wine-AbC123/" + server + "/lock", "");
    EXPECT_FALSE(probe().runningServer()) << "a lock file nobody holds";
    {
        HeldLock held(debianLock);
        ASSERT_TRUE(held.locked());
        EXPECT_TRUE(probe().runningServer());
    }
    EXPECT_FALSE(probe().runningServer());
    {
        HeldLock held(dir / "upstream" / server / "lock");
        ASSERT_TRUE(held.locked());
        EXPECT_TRUE(probe().runningServer());
    }
    // A server folder of another prefix says nothing about this one.
    {
        HeldLock other(dir / "upstream" / "server-1-2" / "lock");
        EXPECT_FALSE(probe().runningServer());
    }
    // A folder name that leaves the temporary folder is not followed.
    dir.write("prefix/wineserver", "../upstream");
    for (const auto& file : probe().lockFiles()) {
        EXPECT_EQ(file.string().find(".."), std::string::npos) << file;
    }
}

} // namespace
} // namespace tolvane::prefix

namespace tolvane::prefix {
namespace {

using test::TempDir;

// Stores that fail part-way, files changed behind the registry's back, and the lock.
class PrefixStoreFailureTest : public PrefixStorageTest {
protected:
    void deleteMachineKey() {
        ASSERT_EQ(registry->RegDeleteKeyA(hkeyLocalMachine, "Software\\Gone"), 0);
    }
    void changeBothFiles() {
        deleteMachineKey();
        changeUserValue();
    }
    bool machineKeyExists() {
        HKey key = HKey::null;
        const bool found = registry->RegOpenKeyA(hkeyLocalMachine, "Software\\Gone", key) == 0;
        if (found) {
            registry->RegCloseKey(key);
        }
        return found;
    }
    void SetUp() override {
        PrefixStorageTest::SetUp();
        dir.write("prefix/system.reg", fileHeader("REGISTRY\\\\Machine") +
                                           "\n[Software] 1796672712\n"
                                           "\n[Software\\\\Gone] 1796672712\n\"a\"=\"b\"\n");
        auto opened = WineRegistry::openPrefix(prefix);
        ASSERT_TRUE(opened.ok()) << opened.message();
        registry = std::move(opened.value());
    }
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(prefix)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".tolvane-")) {
                names.push_back(name);
            }
        }
        return names;
    }
};

TEST_F(PrefixStoreFailureTest, AStoreThatFailsAtAnyFileStoresNothingAndMemoryFollowsDisk) {
    using Step = AtomicFileWriter::Step;
    const std::string system = dir.read("prefix/system.reg");
    const std::string user = dir.read("prefix/user.reg");
    for (const char* failingFile : {"system.reg", "user.reg", ".tolvane-journal"}) {
        for (const Step failing : {Step::create, Step::write, Step::sync, Step::rename}) {
            SCOPED_TRACE(std::string(failingFile) + " step " +
                         std::to_string(static_cast<int>(failing)));
            PrefixStorage storage(*registry, prefix, probe());
            changeBothFiles();
            registry->setFileWriter(
                AtomicFileWriter([&](Step step, const std::filesystem::path& target) {
                    return step == failing && target.filename() == failingFile;
                }));
            const auto saved = storage.save();
            ASSERT_FALSE(saved.ok());
            EXPECT_NE(saved.message().find("nothing was stored"), std::string::npos)
                << saved.message();
            EXPECT_EQ(dir.read("prefix/system.reg"), system);
            EXPECT_EQ(dir.read("prefix/user.reg"), user);
            EXPECT_TRUE(leftovers().empty()) << leftovers().front();
            // The deletion is gone from memory too: nothing unsaved, the key is back.
            EXPECT_FALSE(registry->hasUnsavedChanges());
            EXPECT_TRUE(machineKeyExists());
            registry->setFileWriter(AtomicFileWriter());
        }
    }
    // A later store of something else does not carry the failed deletion with it.
    PrefixStorage storage(*registry, prefix, probe());
    changeUserValue();
    ASSERT_TRUE(storage.save().ok());
    EXPECT_EQ(dir.read("prefix/system.reg"), system);
    EXPECT_NE(dir.read("prefix/user.reg"), user);
}

TEST_F(PrefixStoreFailureTest, AFileChangedBetweenTheRenamesUndoesTheStore) {
    using Step = AtomicFileWriter::Step;
    const std::string system = dir.read("prefix/system.reg");
    PrefixStorage storage(*registry, prefix, probe());
    changeBothFiles();
    // Wine writes user.reg while system.reg is already renamed into place.
    const std::string wines = dir.read("prefix/user.reg") + "\n[Software\\\\Wine] 1796672713\n";
    registry->setFileWriter(AtomicFileWriter([&](Step step, const std::filesystem::path& target) {
        if (step == Step::rename && target.filename() == "user.reg") {
            dir.write("prefix/user.reg.wine", wines);
            std::filesystem::rename(prefix / "user.reg.wine", prefix / "user.reg");
        }
        return false;
    }));
    const auto saved = storage.save();
    ASSERT_FALSE(saved.ok());
    EXPECT_NE(saved.message().find("user.reg has changed on disk"), std::string::npos)
        << saved.message();
    EXPECT_EQ(dir.read("prefix/system.reg"), system);
    EXPECT_EQ(dir.read("prefix/user.reg"), wines);
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(PrefixStoreFailureTest, StampsAreThoseOfTheBytesRead) {
    // user.reg grows in place after it was read, before the storage was set up.
    dir.write("prefix/user.reg", dir.read("prefix/user.reg") + "\n[Software\\\\Late] 1796672713\n");
    PrefixStorage storage(*registry, prefix, probe());
    changeUserValue();
    const auto saved = storage.save();
    ASSERT_FALSE(saved.ok());
    EXPECT_NE(dir.read("prefix/user.reg").find("Late"), std::string::npos);
}

TEST_F(PrefixStoreFailureTest, AnInterruptedStoreIsUndoneAtTheNextStart) {
    const std::string system = dir.read("prefix/system.reg");
    const std::string user = dir.read("prefix/user.reg");
    AtomicFileWriter writer;
    auto newSystem = writer.prepare(prefix / "system.reg", [](auto& emit) { emit("new system"); });
    auto newUser = writer.prepare(prefix / "user.reg", [](auto& emit) { emit("new user"); });
    ASSERT_TRUE(newSystem.ok() && newUser.ok());
    StoreJournal journal(prefix, writer);
    auto entries = journal.begin({&newSystem.value(), &newUser.value()});
    ASSERT_TRUE(entries.ok()) << entries.message();
    ASSERT_TRUE(writer.commit(newSystem.value()).ok());
    // Killed here: the second temporary file stays where it is.
    newUser->release();
    ASSERT_EQ(dir.read("prefix/system.reg"), "new system");

    // Wine's own temporary files are not ours.
    dir.write("prefix/reg1a2b0001.tmp", "wine");
    dir.write("prefix/savereg.tmp", "wine");
    dir.write("prefix/system.reg.old", "wine");
    ASSERT_TRUE(StoreJournal(prefix, writer).recover().ok());
    EXPECT_EQ(dir.read("prefix/system.reg"), system);
    EXPECT_EQ(dir.read("prefix/user.reg"), user);
    EXPECT_TRUE(leftovers().empty()) << leftovers().front();
    for (const char* wine : {"reg1a2b0001.tmp", "savereg.tmp", "system.reg.old"}) {
        EXPECT_EQ(dir.read(std::string("prefix/") + wine), "wine");
    }
    // Opening the prefix runs the same recovery.
    auto reopened = WineRegistry::openPrefix(prefix);
    ASSERT_TRUE(reopened.ok()) << reopened.message();
}

TEST_F(PrefixStoreFailureTest, AStoreFinishedUpToTheJournalsRemovalIsAlsoUndone) {
    const std::string system = dir.read("prefix/system.reg");
    AtomicFileWriter writer;
    auto newSystem = writer.prepare(prefix / "system.reg", [](auto& emit) { emit("new"); });
    auto newFile = writer.prepare(prefix / "extra.reg", [](auto& emit) { emit("new file"); });
    ASSERT_TRUE(newSystem.ok() && newFile.ok());
    StoreJournal journal(prefix, writer);
    ASSERT_TRUE(journal.begin({&newSystem.value(), &newFile.value()}).ok());
    ASSERT_TRUE(writer.commit(newSystem.value()).ok());
    ASSERT_TRUE(writer.commit(newFile.value()).ok());
    ASSERT_TRUE(journal.recover().ok());
    EXPECT_EQ(dir.read("prefix/system.reg"), system);
    EXPECT_FALSE(std::filesystem::exists(prefix / "extra.reg")) << "it did not exist before";
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(PrefixStoreFailureTest, ReplacingFilesIsAllOrNothingAndReloads) {
    PrefixStorage storage(*registry, prefix, probe());
    AtomicFileWriter writer;
    std::vector<AtomicFileWriter::Prepared> files;
    const std::string user =
        fileHeader("REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000") + "\n[Restored] 1796672712\n";
    files.push_back(
        std::move(writer.prepare(prefix / "user.reg", [&](auto& emit) { emit(user); }).value()));
    ASSERT_TRUE(storage.replaceFiles(std::move(files)).ok());
    EXPECT_EQ(dir.read("prefix/user.reg"), user);
    HKey key = HKey::null;
    EXPECT_EQ(registry->RegOpenKeyA(hkeyCurrentUser, "Restored", key), 0);
    registry->RegCloseKey(key);
    EXPECT_TRUE(storage.ensureWritable().ok()) << "its own replacement is no outside change";
}

TEST_F(PrefixStoreFailureTest, ALockedPrefixWaitsOrRefuses) {
    auto held = PrefixLock::acquire(prefix, PrefixLock::Wait::no);
    ASSERT_TRUE(held.ok()) << held.message();
    const auto refused = PrefixLock::acquire(prefix, PrefixLock::Wait::no);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("another Tolvane process"), std::string::npos);

    // A storage without a lock of its own takes one for the store and refuses while another
    // process holds it; memory still follows disk.
    PrefixStorage storage(*registry, prefix, probe());
    changeUserValue();
    EXPECT_FALSE(storage.save().ok());
    EXPECT_FALSE(registry->hasUnsavedChanges());

    std::string told;
    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        auto waited = PrefixLock::acquire(prefix, PrefixLock::Wait::yes,
                                          [&](std::string_view message) { told = message; });
        acquired = waited.ok();
    });
    while (told.empty() && !acquired) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(acquired);
    held = makeError("released");
    waiter.join();
    EXPECT_TRUE(acquired);
    EXPECT_NE(told.find("waiting for another Tolvane process working on " + prefix.string()),
              std::string::npos)
        << told;
}

// A change of several steps (a fix: backup, deletions, store) holds the lock throughout: no
// other process gets in, and its own stores go through under it.
TEST_F(PrefixStoreFailureTest, AChangeLockKeepsOthersOutAndItsOwnStoresGoThrough) {
    PrefixStorage storage(*registry, prefix, probe());
    {
        auto held = ChangeLock::take(storage);
        ASSERT_TRUE(held.ok()) << held.message();
        const auto other = PrefixLock::acquire(prefix, PrefixLock::Wait::no);
        ASSERT_FALSE(other.ok());
        EXPECT_NE(other.message().find("another Tolvane process"), std::string::npos);

        changeBothFiles();
        const auto saved = storage.save();
        EXPECT_TRUE(saved.ok()) << saved.message();
        EXPECT_FALSE(machineKeyExists());
        EXPECT_NE(dir.read("prefix/user.reg").find("D:\\\\t"), std::string::npos);
        EXPECT_TRUE(leftovers().empty());

        // Taking it again while held (a restore inside a fix's hold) is no conflict.
        auto again = ChangeLock::take(storage);
        EXPECT_TRUE(again.ok()) << again.message();
    }
    EXPECT_TRUE(PrefixLock::acquire(prefix, PrefixLock::Wait::no).ok()) << "released";

    // Held by another process: refused with who holds it, nothing changed.
    auto other = PrefixLock::acquire(prefix, PrefixLock::Wait::no);
    ASSERT_TRUE(other.ok());
    const auto refused = ChangeLock::take(storage);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("another Tolvane process is working on the Wine prefix"),
              std::string::npos)
        << refused.message();
}

TEST_F(PrefixStoreFailureTest, RegistryFilesThatCannotBeReadSafelyAreRefusedBeforeReading) {
    // A FIFO would block the open forever; a huge file would be read whole.
    std::filesystem::remove(prefix / "userdef.reg");
    ASSERT_EQ(::mkfifo((prefix / "userdef.reg").c_str(), 0600), 0);
    auto fifo = WineRegistry::openPrefix(prefix);
    ASSERT_FALSE(fifo.ok());
    EXPECT_NE(fifo.message().find("userdef.reg: not a regular file"), std::string::npos)
        << fifo.message();

    std::filesystem::remove(prefix / "userdef.reg");
    dir.write("prefix/userdef.reg", "");
    std::filesystem::resize_file(prefix / "userdef.reg", WineRegFileReader::maxFileSize + 1);
    auto huge = WineRegistry::openPrefix(prefix);
    ASSERT_FALSE(huge.ok());
    EXPECT_NE(huge.message().find("more than the 1073741824 bytes such a file may have"),
              std::string::npos)
        << huge.message();

    // The header line needs its line end like every other line.
    dir.write("prefix/userdef.reg", "WINE REGISTRY Version 2");
    auto truncated = WineRegistry::openPrefix(prefix);
    ASSERT_FALSE(truncated.ok());
    EXPECT_NE(truncated.message().find("userdef.reg:1: truncated line"), std::string::npos)
        << truncated.message();
}

} // namespace
} // namespace tolvane::prefix

namespace tolvane::prefix {
namespace {

// A real wineserver, started with a temporary folder that this process does not know of.
TEST_F(PrefixStorageTest, TheProbeFindsAServerStartedWithAnotherTemporaryFolder) {
    if (std::system("command -v wineserver >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "wineserver is not installed";
    }
    std::filesystem::create_directories(dir / "other");
    const std::string environment = "WINEPREFIX='" + prefix.string() + "' TMPDIR='" +
                                    (dir / "other").string() + "' WINEDEBUG=-all ";
    ASSERT_EQ(std::system((environment + "wineserver -p10").c_str()), 0);
    const WineServerProbe lockFilesOnly(prefix, {dir / "tmp"}, dir / "upstream");
    const WineServerProbe withProcesses(prefix, {dir / "tmp"}, dir / "upstream", "/proc");
    const auto lockFound = lockFilesOnly.runningServer();
    const auto processFound = withProcesses.runningServer();
    std::system((environment + "wineserver -k").c_str());
    std::system((environment + "wineserver -w").c_str());
    EXPECT_FALSE(lockFound) << "the lock lies in a folder this process cannot guess";
    ASSERT_TRUE(processFound);
    EXPECT_GT(*processFound, 0);
    EXPECT_FALSE(withProcesses.runningServer()) << "gone once the server ended";
}

} // namespace
} // namespace tolvane::prefix
