#include "platform/offline/OfflineStorage.h"

#include "platform/base/AsciiText.h"
#include "platform/base/TimeText.h"
#include "platform/services/ExclusiveFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace tolvane::offline {
namespace {

using Hive = OfflineRegistry::Hive;

// The file in `folder` named `name` in any case, or nothing.
std::optional<std::filesystem::path> findInFolder(const std::filesystem::path& folder,
                                                  std::string_view name) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (equalsIgnoringAsciiCase(it->path().filename().string(), name)) {
            return it->path();
        }
    }
    return std::nullopt;
}

Result<void> copyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        return makeError("cannot copy " + from.string() + " to " + to.string() + ": " +
                         error.message());
    }
    return {};
}

Result<void> syncPath(const std::filesystem::path& file) {
    FileDescriptor out(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!out.valid() || ::fsync(out.get()) != 0) {
        return makeError(file.string() + ": cannot flush to disk: " + std::strerror(errno));
    }
    return {};
}

} // namespace

OfflineStorage::OfflineStorage(OfflineRegistry& registry, std::filesystem::path mount,
                               std::filesystem::path backupRoot, const VolumeProbe& volume,
                               Clock& clock)
    : registry_(registry), mount_(std::move(mount)), backupRoot_(std::move(backupRoot)),
      volume_(volume), clock_(clock) {}

std::string OfflineStorage::fileNameOf(Hive hive) {
    switch (hive) {
    case Hive::software:
        return "SOFTWARE";
    case Hive::system:
        return "SYSTEM";
    case Hive::defaultUser:
        return "DEFAULT";
    case Hive::user:
        return "NTUSER.DAT";
    case Hive::userClasses:
        return "UsrClass.dat";
    }
    return "hive";
}

std::string OfflineStorage::describe() const {
    return "the Windows installation at " + mount_.string();
}

std::string OfflineStorage::origin() const {
    std::error_code error;
    const auto canonical = std::filesystem::canonical(mount_, error);
    return "the Windows installation at " + (error ? mount_ : canonical).string();
}

Result<void> OfflineStorage::ensureWritable() {
    for (std::size_t index = 0; index < OfflineRegistry::hiveCount; ++index) {
        const HiveFile* file = registry_.hive(static_cast<Hive>(index));
        if (file != nullptr && volume_.readOnly(file->path().parent_path())) {
            return makeError(mount_.string() +
                             " is mounted read-only: nothing can be changed there (mount it "
                             "read-write, e.g. with \"mount -o remount,rw\", and try again)");
        }
    }
    if (const auto hibernation = findInFolder(mount_, "hiberfil.sys")) {
        std::ifstream in(*hibernation, std::ios::binary);
        std::string head(4, '\0');
        if (in.read(head.data(), 4) &&
            (equalsIgnoringAsciiCase(head, "hibr") || equalsIgnoringAsciiCase(head, "wake"))) {
            return makeError(mount_.string() +
                             ": Windows is hibernated or was shut down with Fast Startup "
                             "(hiberfil.sys starts with \"" +
                             head +
                             "\"); changes now would be lost or damage the system when it "
                             "resumes. Start Windows and shut it down fully (hold Shift while "
                             "choosing Shut down), then try again");
        }
    }
    for (std::size_t index = 0; index < OfflineRegistry::hiveCount; ++index) {
        const HiveFile* file = registry_.hive(static_cast<Hive>(index));
        if (file == nullptr) {
            continue;
        }
        if (file->baseBlock().dirty()) {
            return makeError(file->path().string() +
                             " has changes that Windows has not written into it yet (pending "
                             ".LOG1/.LOG2 entries: sequence numbers " +
                             std::to_string(file->baseBlock().sequence1) + " and " +
                             std::to_string(file->baseBlock().sequence2) +
                             "). Start Windows and shut it down fully, then try again");
        }
        if (file->changedOnDisk()) {
            return makeError(file->path().string() +
                             " was changed by another program since it was read; run the "
                             "command again");
        }
    }
    return {};
}

bool OfflineStorage::changedOnDisk() const {
    for (std::size_t index = 0; index < OfflineRegistry::hiveCount; ++index) {
        const HiveFile* file = registry_.hive(static_cast<Hive>(index));
        if (file != nullptr && file->changedOnDisk()) {
            return true;
        }
    }
    return false;
}

Result<void> OfflineStorage::backUpBeforeChange() {
    for (std::size_t index = 0; index < OfflineRegistry::hiveCount; ++index) {
        const HiveFile* file = registry_.hive(static_cast<Hive>(index));
        if (file == nullptr || !file->modified() || backedUp_[index]) {
            continue;
        }
        if (hiveBackupFolder_.empty()) {
            const std::filesystem::path root =
                backupRoot_.empty() ? mount_.parent_path() : backupRoot_;
            hiveBackupFolder_ = root / ("hives " + backupTimeStamp(clock_.now()));
            std::error_code error;
            std::filesystem::create_directories(hiveBackupFolder_, error);
            if (error) {
                const auto folder = hiveBackupFolder_;
                hiveBackupFolder_.clear();
                return makeError("cannot make the hive backup folder " + folder.string() + ": " +
                                 error.message());
            }
        }
        const std::string name = fileNameOf(static_cast<Hive>(index));
        if (auto copied = copyFile(file->path(), hiveBackupFolder_ / name); !copied) {
            return copied;
        }
        for (const char* log : {".LOG1", ".LOG2"}) {
            const std::string logName = file->path().filename().string() + log;
            if (const auto found = findInFolder(file->path().parent_path(), logName)) {
                if (auto copied = copyFile(*found, hiveBackupFolder_ / (name + log)); !copied) {
                    return copied;
                }
            }
        }
        backedUp_[index] = true;
    }
    return {};
}

Result<void> OfflineStorage::save() {
    if (!registry_.hasUnsavedChanges()) {
        return {};
    }
    if (auto writable = ensureWritable(); !writable) {
        return writable;
    }
    if (auto kept = backUpBeforeChange(); !kept) {
        return kept;
    }
    return registry_.commit(failAt_);
}

Result<FileDescriptor> OfflineStorage::takeLock() const {
    std::error_code error;
    std::filesystem::create_directories(backupRoot_, error);
    const std::filesystem::path file = backupRoot_ / ".change-lock";
    FileDescriptor lock(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid()) {
        return makeError(file.string() + ": cannot open: " + std::strerror(errno));
    }
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        return makeError("another Tolvane process is changing " + describe());
    }
    return lock;
}

Result<void> OfflineStorage::holdForLifetime() {
    if (lifetimeLock_ || backupRoot_.empty()) {
        return {};
    }
    auto lock = takeLock();
    if (!lock) {
        return lock.error();
    }
    lifetimeLock_.emplace(std::move(lock.value()));
    return {};
}

Result<void> OfflineStorage::holdChangeLock() {
    if (lifetimeLock_ || changeLock_ || backupRoot_.empty()) {
        return {};
    }
    auto lock = takeLock();
    if (!lock) {
        return lock.error();
    }
    changeLock_.emplace(std::move(lock.value()));
    return {};
}

void OfflineStorage::releaseChangeLock() {
    changeLock_.reset();
}

Result<void> OfflineStorage::keepFiles(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return makeError("cannot make " + folder.string() + ": " + error.message());
    }
    for (std::size_t index = 0; index < OfflineRegistry::hiveCount; ++index) {
        const HiveFile* file = registry_.hive(static_cast<Hive>(index));
        if (file == nullptr) {
            continue;
        }
        if (file->changedOnDisk()) {
            return makeError(file->path().string() +
                             " was changed by another program since it was read");
        }
        if (auto copied = copyFile(file->path(), folder / fileNameOf(static_cast<Hive>(index)));
            !copied) {
            return copied;
        }
    }
    return {};
}

Result<void> OfflineStorage::restoreFiles(const std::filesystem::path& folder) {
    if (auto writable = ensureWritable(); !writable) {
        return writable;
    }
    // Every new hive is written and flushed beside its target before the first is replaced.
    struct Pending {
        ExclusiveFile file;
        std::filesystem::path target;
    };
    std::vector<Pending> pending;
    for (std::size_t index = 0; index < OfflineRegistry::hiveCount; ++index) {
        const HiveFile* file = registry_.hive(static_cast<Hive>(index));
        const std::filesystem::path kept = folder / fileNameOf(static_cast<Hive>(index));
        std::error_code error;
        if (file == nullptr || !std::filesystem::is_regular_file(kept, error)) {
            continue;
        }
        if (auto block = HiveFile::readBaseBlock(kept); !block) {
            return block.error();
        }
        auto temporary = ExclusiveFile::create(
            file->path().parent_path(),
            file->path().filename().string() + std::string(HiveFile::temporaryInfix), ".tmp");
        if (!temporary) {
            return temporary.error();
        }
        if (auto copied = copyFile(kept, temporary->path()); !copied) {
            return copied;
        }
        if (auto synced = syncPath(temporary->path()); !synced) {
            return synced;
        }
        pending.push_back({std::move(temporary.value()), file->path()});
    }
    for (Pending& file : pending) {
        if (::rename(file.file.path().c_str(), file.target.c_str()) != 0) {
            return makeError(file.target.string() +
                             ": cannot replace the hive: " + std::strerror(errno));
        }
        file.file.keep();
    }
    return registry_.reload();
}

} // namespace tolvane::offline
