#pragma once

#include "platform/Result.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <thread>

namespace tolvane {

class ModuleSet;
class ProgressTargets;
struct Platform;
struct ProblemRecord;

// What a fix run did.
struct FixOutcome {
    // Records marked fixed.
    std::size_t fixed = 0;
    // Selected records left alone because their wanted backup could not be written.
    std::size_t keptForBackup = 0;
    bool backupWanted = false;
    // The run's backup folder, ending in a separator (empty when none could be made).
    std::string backupFolder;
    // Whether the folder stays: the folder of a run that stored nothing, or saved no key, is
    // removed again.
    bool backupKept = false;
    // Set when the registry could not be stored afterwards; nothing was marked fixed then.
    std::string error;
};

// The answer to "back up before fixing?": a cancelled question cancels the fix.
enum class BackupChoice { backup, noBackup, cancel };

// Removes the selected problems of a scan on a worker thread: the user is asked whether to back
// up first (or to cancel), a fresh backup folder is made when the backup is wanted, every module
// fixes its own selected records, fixed records are marked, and the registry is stored.
class FixRun {
public:
    enum class Start { started, busy, nothingSelected, failed, cancelled };
    using Question = std::function<BackupChoice()>;
    using Step = std::function<void()>;
    using Completion = std::function<void(const FixOutcome&)>;
    // Asked when the backup folder cannot be made, with the reason: true goes on without any
    // backup.
    using FolderQuestion = std::function<bool(const std::string& reason)>;

    FixRun(ModuleSet& modules, const Platform& platform, std::atomic<int>& busy);
    FixRun(const FixRun&) = delete;
    FixRun& operator=(const FixRun&) = delete;
    ~FixRun();

    // `records` is the merged list with `selected` copied from the user's ticks. On the calling
    // thread: `onWorking` runs once `busy` is set, then `askBackup` decides the backup. A
    // cancelled question or a backup folder that cannot be made clears `busy` again and leaves
    // nothing behind. The completion runs on the worker; `busy` is cleared after it returns.
    Start start(std::span<ProblemRecord> records, ProgressTargets* bar, Step onWorking,
                Question askBackup, Completion onCompleted);
    // Why the last start failed.
    const std::string& failure() const { return failure_; }
    // Without it, a run whose backup folder cannot be made does not start.
    void setWithoutBackupQuestion(FolderQuestion ask) { withoutBackup_ = std::move(ask); }
    void wait();

private:
    void work(std::span<ProblemRecord> records, ProgressTargets* bar, bool backupWanted,
              std::string folder, Completion onCompleted);
    // Leaves the run's backup folder only when it holds a backup of a change that was stored.
    void settleBackupFolder(FixOutcome& outcome, bool stored) const;

    ModuleSet& modules_;
    const Platform& platform_;
    std::atomic<int>& busy_;

    std::string failure_;
    FolderQuestion withoutBackup_;
    std::jthread worker_;
};

} // namespace tolvane
