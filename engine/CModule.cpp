#include "engine/CModule.h"

#include "engine/ModuleSet.h"
#include "engine/ModuleTable.h"
#include "engine/ProgressTargets.h"
#include "platform/RegistryTypes.h"
#include "platform/base/PathText.h"

#include <string>

namespace tolvane {

CModule::CModule(ModuleSet* owner) : CModule(owner, -1) {}

CModule::CModule(ModuleSet* owner, int moduleId)
    : moduleId_(moduleId), targets_(owner != nullptr ? owner->targets() : nullptr) {}

ProblemList CModule::takeList() {
    ProblemList handedOver = std::move(list_);
    list_.clear();
    return handedOver;
}

void CModule::addProblem(int entryKind, std::string_view problemName, std::string_view description,
                         std::string_view primaryName, std::string_view secondaryName) {
    list_.add(ProblemRecord{moduleId_, entryKind, std::string(problemName),
                            std::string(description), std::string(primaryName),
                            std::string(secondaryName), 0});
    if (targets_ != nullptr) {
        targets_->setCounterText(moduleId_, std::to_string(list_.count()));
    }
}

void CModule::setStatusText(std::string_view text) {
    if (targets_ != nullptr) {
        targets_->setStatusText(text);
    }
}

bool CModule::isMine(const ProblemRecord& record) const {
    return record.moduleId == moduleId_ && record.selected != 0;
}

bool CModule::isMine(const ProblemRecord& record, std::initializer_list<int> kinds) const {
    if (!isMine(record)) {
        return false;
    }
    for (const int kind : kinds) {
        if (record.entryKind == kind) {
            return true;
        }
    }
    return false;
}

void CModule::keepForFailedBackup(ProblemRecord& record) {
    record.selected = 0;
    ++keptForBackup_;
}

void CModule::keepUnlessRemoved(ProblemRecord& record, std::int32_t result) {
    if (result != winerr::success && result != winerr::fileNotFound) {
        record.selected = 0;
    }
}

std::filesystem::path CModule::backupFile() const {
    std::string file = backupFolder_;
    if (isModuleId(moduleId_)) {
        file += moduleTable[static_cast<std::size_t>(moduleId_)].backupFile;
    }
    return pathFromText(file);
}

} // namespace tolvane
