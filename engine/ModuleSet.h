#pragma once

#include "engine/CModule.h"
#include "engine/IgnoreList.h"
#include "engine/ModuleTable.h"
#include "engine/ProblemList.h"
#include "engine/ProtectionList.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <utility>

namespace tolvane {

class ProgressTargets;
class ModuleSet;

// Makes the module with the given number for a set; the set hands itself in so the module can
// take its progress targets. May return null for a number it does not provide.
using ModuleFactory = std::function<std::unique_ptr<CModule>(int moduleId, ModuleSet& owner)>;

// Owns the thirteen modules, runs scans over the enabled ones and fixes over all of them, and
// keeps the merged list of the last scan.
class ModuleSet {
public:
    explicit ModuleSet(ModuleFactory factory);
    ModuleSet(const ModuleSet&) = delete;
    ModuleSet& operator=(const ModuleSet&) = delete;
    ~ModuleSet();

    // Binds the progress display (kept by pointer; it must outlive the set's use of it) and
    // resets it.
    void bindTargets(ProgressTargets* targets);
    ProgressTargets* targets() const { return targets_; }
    // Empties the status line and sets the bar and every counter to zero; does nothing
    // while no display is bound.
    void resetDisplay();

    // Creates the modules once; false (and nothing done) when they exist already.
    bool createModules();
    void setEnabled(int moduleId, bool enabled);
    CModule* module(int moduleId) const;

    // Scans the enabled modules in ascending number and merges their records. A stop request
    // ends the run between modules (and, inside a module, between keys); the partial list is
    // what was merged so far.
    ProblemList& runScan(std::stop_token stop = {});
    ProblemList& results() { return merged_; }
    const ProblemList& results() const { return merged_; }
    std::size_t count() const { return merged_.count(); }

    // What scans leave out and fixes keep: records whose fix would touch what `protection`
    // protects, and records that `ignored` lists for `place` (the registry being cleaned).
    void setScreen(ProtectionList protection, IgnoreList ignored, std::string place);
    // Swaps the ignore list of the screen for `ignored` (the user ignored more since the scan):
    // later fixes keep what it names. The last scan's ignored count stays as it was.
    void setIgnoreList(IgnoreList ignored) { ignoreList_ = std::move(ignored); }
    // The registry the screen was set for (an ignore list place); empty while none is set.
    const std::string& place() const { return place_; }
    // Whether `record` would be left out by the screen (false while none is set).
    bool isScreenedOut(const ProblemRecord& record) const;
    // Records the last scan left out because the ignore list names them.
    std::size_t ignoredCount() const { return ignored_; }
    // Records the last scan left out because their fix would touch a protected entry.
    std::size_t protectedCount() const { return protected_; }

    void setBackupFolder(std::string folder);
    const std::string& backupFolder() const { return backupFolder_; }

    // Hands the records to every present module's Fix, in module order. A selected record that
    // the screen leaves out is unselected first: it is neither touched nor marked fixed.
    bool runFix(std::span<ProblemRecord> records, bool backup);
    // Records that the last runFix kept because their wanted backup could not be written.
    std::size_t keptForBackup() const;

private:
    enum class Verdict { pass, ignored, protectedEntry };
    Verdict judge(const CModule& module, const ProblemRecord& record) const;
    // `found` without the records the screen leaves out, which are counted.
    ProblemList screened(const CModule& module, ProblemList found);

    ModuleFactory factory_;
    ProgressTargets* targets_ = nullptr;
    std::array<std::unique_ptr<CModule>, moduleCount> modules_;
    bool created_ = false;
    ProblemList merged_;
    std::string backupFolder_;
    std::optional<ProtectionList> protection_;
    IgnoreList ignoreList_;
    std::string place_;
    std::size_t ignored_ = 0;
    std::size_t protected_ = 0;
};

} // namespace tolvane
