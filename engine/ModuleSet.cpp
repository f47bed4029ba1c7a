#include "engine/ModuleSet.h"

#include "engine/ProgressTargets.h"

#include <string>
#include <vector>

namespace tolvane {

ModuleSet::ModuleSet(ModuleFactory factory) : factory_(std::move(factory)) {}

// The merged list goes first, then the modules.
ModuleSet::~ModuleSet() {
    merged_.clear();
    for (auto& module : modules_) {
        module.reset();
    }
}

void ModuleSet::bindTargets(ProgressTargets* targets) {
    if (targets != nullptr) {
        targets_ = targets;
    }
    resetDisplay();
}

void ModuleSet::resetDisplay() {
    if (targets_ == nullptr) {
        return;
    }
    targets_->setStatusText("");
    targets_->setBarPosition(0);
    targets_->setTotalText("0");
    for (int id = 0; id < moduleCount; ++id) {
        targets_->setCounterText(id, "0");
    }
}

bool ModuleSet::createModules() {
    if (created_) {
        return false;
    }
    created_ = true;
    for (int id = 0; id < moduleCount; ++id) {
        if (factory_) {
            modules_[static_cast<std::size_t>(id)] = factory_(id, *this);
        }
    }
    return true;
}

void ModuleSet::setEnabled(int moduleId, bool enabled) {
    if (CModule* target = module(moduleId)) {
        target->setEnabled(enabled);
    }
}

CModule* ModuleSet::module(int moduleId) const {
    if (!isModuleId(moduleId)) {
        return nullptr;
    }
    return modules_[static_cast<std::size_t>(moduleId)].get();
}

ProblemList& ModuleSet::runScan(std::stop_token stop) {
    merged_.clear();
    ignored_ = 0;
    protected_ = 0;
    // The lists are joined once all are in: growing the merged list module by module moved
    // every earlier record again each time it grew.
    std::vector<ProblemList> lists;
    lists.reserve(modules_.size());
    std::size_t total = 0;
    for (auto& module : modules_) {
        if (stop.stop_requested()) {
            break;
        }
        if (!module || !module->enabled()) {
            continue;
        }
        module->setStopToken(stop);
        lists.push_back(screened(*module, module->Scan()));
        total += lists.back().count();
        if (targets_ != nullptr) {
            targets_->setTotalText(std::to_string(total));
        }
    }
    merged_.reserve(total);
    for (ProblemList& list : lists) {
        merged_.append(std::move(list));
    }
    return merged_;
}

void ModuleSet::setBackupFolder(std::string folder) {
    backupFolder_ = std::move(folder);
    for (auto& module : modules_) {
        if (module) {
            module->setBackupFolder(backupFolder_);
        }
    }
}

void ModuleSet::setScreen(ProtectionList protection, IgnoreList ignored, std::string place) {
    protection_.emplace(protection);
    ignoreList_ = std::move(ignored);
    place_ = std::move(place);
}

ModuleSet::Verdict ModuleSet::judge(const CModule& module, const ProblemRecord& record) const {
    if (ignoreList_.ignores(record, place_)) {
        return Verdict::ignored;
    }
    if (protection_) {
        for (const FixTarget& target : module.fixTargets(record)) {
            if (protection_->covers(target)) {
                return Verdict::protectedEntry;
            }
        }
    }
    return Verdict::pass;
}

bool ModuleSet::isScreenedOut(const ProblemRecord& record) const {
    const CModule* owner = module(record.moduleId);
    if (owner == nullptr) {
        return ignoreList_.ignores(record, place_);
    }
    return judge(*owner, record) != Verdict::pass;
}

ProblemList ModuleSet::screened(const CModule& module, ProblemList found) {
    if (!protection_ && ignoreList_.entries().empty()) {
        return found;
    }
    ProblemList kept;
    kept.reserve(found.count());
    for (ProblemRecord& record : found) {
        switch (judge(module, record)) {
        case Verdict::pass:
            kept.add(std::move(record));
            break;
        case Verdict::ignored:
            ++ignored_;
            break;
        case Verdict::protectedEntry:
            ++protected_;
            break;
        }
    }
    return kept;
}

bool ModuleSet::runFix(std::span<ProblemRecord> records, bool backup) {
    // No fix touches what is protected or ignored, whatever the list handed in says.
    for (ProblemRecord& record : records) {
        if (record.selected != 0 && record.entryKind != entrykind::fixed && isScreenedOut(record)) {
            record.selected = 0;
        }
    }
    for (auto& module : modules_) {
        if (module) {
            module->clearKeptForBackup();
            module->Fix(records, backup);
        }
    }
    return true;
}

std::size_t ModuleSet::keptForBackup() const {
    std::size_t kept = 0;
    for (const auto& module : modules_) {
        if (module) {
            kept += module->keptForBackup();
        }
    }
    return kept;
}

} // namespace tolvane
