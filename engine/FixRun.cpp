#include "engine/FixRun.h"

#include "engine/ActivityAnimation.h"
#include "engine/ModuleSet.h"
#include "platform/Platform.h"
#include "platform/RegistryStorage.h"
#include "platform/base/PathText.h"
#include "platform/services/BackupManifest.h"
#include "platform/services/CRegTools.h"

#include <system_error>

namespace tolvane {

FixRun::FixRun(ModuleSet& modules, const Platform& platform, std::atomic<int>& busy)
    : modules_(modules), platform_(platform), busy_(busy) {}

FixRun::~FixRun() {
    wait();
}

FixRun::Start FixRun::start(std::span<ProblemRecord> records, ProgressTargets* bar, Step onWorking,
                            Question askBackup, Completion onCompleted) {
    failure_.clear();
    if (busy_ != 0) {
        return Start::busy;
    }
    bool anySelected = false;
    for (const auto& record : records) {
        anySelected = anySelected || record.selected != 0;
    }
    if (!anySelected) {
        return Start::nothingSelected;
    }
    if (auto writable = platform_.storage.ensureWritable(); !writable) {
        failure_ = writable.message();
        return Start::failed;
    }
    std::string folder;
    std::string folderFailure;
    for (int attempt = 0; attempt < 100 && folder.empty() && folderFailure.empty(); ++attempt) {
        const auto path = CRegTools(platform_).MakeFixBackupFolder();
        std::error_code error;
        std::filesystem::create_directories(path.parent_path().parent_path(), error);
        // Another run may take the same name between the check and here: then the next one.
        if (std::filesystem::create_directory(path, error)) {
            folder = textFromPath(path);
        } else if (error || !std::filesystem::exists(path)) {
            folderFailure = "cannot create the backup folder " + textFromPath(path) +
                            (error ? ": " + error.message() : std::string());
        }
    }
    if (folder.empty()) {
        if (folderFailure.empty()) {
            folderFailure = "cannot find a free name for the backup folder";
        }
        if (!withoutBackup_ || !withoutBackup_(folderFailure)) {
            failure_ = folderFailure;
            return Start::failed;
        }
    }
    modules_.setBackupFolder(folder);
    int idle = 0;
    if (!busy_.compare_exchange_strong(idle, 1)) {
        if (!folder.empty()) {
            std::error_code error;
            std::filesystem::remove(pathFromText(folder), error);
        }
        return Start::busy;
    }
    wait();
    if (onWorking) {
        onWorking();
    }
    // Without a folder (the user chose to go on without one) there is nothing to ask.
    const BackupChoice choice = folder.empty() ? BackupChoice::noBackup
                                : askBackup    ? askBackup()
                                               : BackupChoice::noBackup;
    const bool backupWanted = choice == BackupChoice::backup;
    if (!backupWanted && !folder.empty()) {
        // Without a backup the folder stays empty: it could be listed but never restored.
        // remove() takes an empty folder only.
        std::error_code error;
        std::filesystem::remove(pathFromText(folder), error);
        folder.clear();
        modules_.setBackupFolder(folder);
    }
    if (choice == BackupChoice::cancel) {
        busy_ = 0;
        return Start::cancelled;
    }
    worker_ = std::jthread(
        [this, records, bar, backupWanted, folder, onCompleted = std::move(onCompleted)]() mutable {
            work(records, bar, backupWanted, std::move(folder), std::move(onCompleted));
        });
    return Start::started;
}

void FixRun::work(std::span<ProblemRecord> records, ProgressTargets* bar, bool backupWanted,
                  std::string folder, Completion onCompleted) {
    ActivityAnimation animation(platform_.clock, bar);
    animation.start();
    modules_.runFix(records, backupWanted);
    FixOutcome outcome;
    outcome.backupWanted = backupWanted;
    outcome.backupFolder = std::move(folder);
    outcome.keptForBackup = modules_.keptForBackup();
    // The fix is complete only once the registry is stored (a Wine prefix keeps it in files).
    const auto stored = platform_.storage.save();
    settleBackupFolder(outcome, stored.ok());
    if (!stored) {
        outcome.error = stored.message();
    } else {
        for (auto& record : records) {
            if (record.selected != 0) {
                outcome.fixed += record.entryKind != entrykind::fixed ? 1 : 0;
                record.entryKind = entrykind::fixed;
            }
        }
    }
    animation.stop();
    if (onCompleted) {
        onCompleted(outcome);
    }
    busy_ = 0;
}

void FixRun::settleBackupFolder(FixOutcome& outcome, bool stored) const {
    if (outcome.backupFolder.empty()) {
        return;
    }
    const auto folder = pathFromText(outcome.backupFolder);
    std::error_code error;
    bool holdsBackup = false;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        holdsBackup = holdsBackup || it->path().extension() == ".reg";
    }
    if (stored && holdsBackup) {
        // Without its record the backup is still listed and restored, as older ones are.
        (void)BackupManifest::current(platform_).writeTo(folder);
        outcome.backupKept = true;
        return;
    }
    // Backups of changes that never reached the disk would only mislead a later restore.
    std::filesystem::remove_all(folder, error);
}

void FixRun::wait() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) {
        worker_.join();
    }
}

} // namespace tolvane
