#pragma once

#include "engine/FixTarget.h"
#include "engine/ProblemList.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class ModuleSet;
class ProgressTargets;

// One scan module: it owns one area of the registry, finds its problems and fixes them.
class CModule {
public:
    // Takes the progress targets bound to `owner` at this moment (none without an owner).
    explicit CModule(ModuleSet* owner);
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;
    virtual ~CModule() = default;

    // Starts from an empty list, walks the area calling addProblem for each problem found,
    // and hands the list over. A stop request ends the walk between keys.
    virtual ProblemList Scan() = 0;

    // Fixes the selected records of this module among `records` (the merged list of a whole
    // scan), handling only the entry kinds the module knows, after saving the keys concerned
    // into its backup file when `backup` is set.
    virtual bool Fix(std::span<ProblemRecord> records, bool backup) = 0;

    // What Fix would remove or rewrite for `record`, one of this module's records: the scan
    // leaves out and the fix run keeps what would touch a protected or ignored entry.
    virtual std::vector<FixTarget> fixTargets(const ProblemRecord& record) const = 0;

    int moduleId() const { return moduleId_; }
    std::size_t count() const { return list_.count(); }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    const std::string& backupFolder() const { return backupFolder_; }
    void setBackupFolder(std::string folder) { backupFolder_ = std::move(folder); }
    void setStopToken(std::stop_token stop) { stop_ = std::move(stop); }

    // Records kept by Fix since the last clear because their wanted backup could not be
    // written.
    std::size_t keptForBackup() const { return keptForBackup_; }
    void clearKeptForBackup() { keptForBackup_ = 0; }

    // The problem name of nearly every module.
    static constexpr std::string_view missingPath = "Missing or Invalid Path";

    void addProblem(int entryKind, std::string_view problemName, std::string_view description,
                    std::string_view primaryName, std::string_view secondaryName);
    void setStatusText(std::string_view text);

protected:
    explicit CModule(ModuleSet* owner, int moduleId);

    // Scan helpers: the list starts empty, and is handed over at the end.
    void resetList() { list_.clear(); }
    ProblemList takeList();
    bool stopRequested() const { return stop_.stop_requested(); }

    // True when `record` belongs to this module, is selected and has one of `kinds`.
    bool isMine(const ProblemRecord& record) const;
    bool isMine(const ProblemRecord& record, std::initializer_list<int> kinds) const;

    // Called by a Fix that keeps `record` because its backup failed: the record stays
    // unselected, so the fix run does not mark it fixed and it stays listed.
    void keepForFailedBackup(ProblemRecord& record);

    // Called by a Fix with the result of the change it made for `record`: a change that failed
    // (the key or value being gone already is no failure) keeps the record listed, as a fixed
    // entry that is still there would be reported falsely.
    static void keepUnlessRemoved(ProblemRecord& record, std::int32_t result);

    // The module's backup file inside the fix run's folder.
    std::filesystem::path backupFile() const;

private:
    bool enabled_ = false;
    ProblemList list_;
    int moduleId_ = -1;
    ProgressTargets* targets_ = nullptr;
    std::string backupFolder_;
    std::stop_token stop_;
    std::size_t keptForBackup_ = 0;
};

} // namespace tolvane
