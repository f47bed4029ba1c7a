// Saving a prefix: only changed files, atomically, never while its wineserver runs.
#include "platform/prefix/PrefixStorage.h"

#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
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
        registry->setFileWriter(AtomicFileWriter([failing](Step step) { return step == failing; }));
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
        EXPECT_TRUE(registry->hasUnsavedChanges());
    }
    EXPECT_TRUE(storage.save().ok());
    EXPECT_NE(dir.read("prefix/user.reg"), before);
}

TEST_F(PrefixStorageTest, FilesChangedOnDiskSinceTheyWereReadAreNeverOverwritten) {
    PrefixStorage storage(*registry, prefix, probe());
    changeUserValue();
    // Wine ran meanwhile and wrote its own user.reg, as wineserver does: a new file renamed
    // over the old one.
    const std::string wines = dir.read("prefix/user.reg") + "\n[Software\\\\Wine] 1796672713\n";
    dir.write("prefix/user.reg.new", wines);
    std::filesystem::rename(prefix / "user.reg.new", prefix / "user.reg");

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
