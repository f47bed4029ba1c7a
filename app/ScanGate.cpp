#include "app/ScanGate.h"

#include "engine/CModule.h"

#include <memory>
#include <vector>

namespace tolvane {

namespace {

// One module of the wrapped factory: scans and fixes through the real one, after the gate.
class GatedModule final : public CModule {
public:
    GatedModule(ModuleSet& owner, int moduleId, std::unique_ptr<CModule> inner, ScanGate& gate,
                bool held)
        : CModule(&owner, moduleId), inner_(std::move(inner)), gate_(gate), held_(held) {}

    ProblemList Scan() override {
        if (held_ && !gate_.pass([this] { return stopRequested(); })) {
            return {};
        }
        return inner_->Scan();
    }

    bool Fix(std::span<ProblemRecord> records, bool backup) override {
        std::vector<ProblemRecord*> ticked;
        for (auto& record : records) {
            if (isMine(record)) {
                ticked.push_back(&record);
            }
        }
        inner_->setBackupFolder(backupFolder());
        inner_->clearKeptForBackup();
        const bool fixed = inner_->Fix(records, backup);
        // What the real module kept for a failed backup is counted here, where the set looks.
        for (ProblemRecord* record : ticked) {
            if (record->selected == 0) {
                keepForFailedBackup(*record);
            }
        }
        return fixed;
    }

    std::vector<FixTarget> fixTargets(const ProblemRecord& record) const override {
        return inner_->fixTargets(record);
    }

private:
    std::unique_ptr<CModule> inner_;
    ScanGate& gate_;
    bool held_;
};

} // namespace

ModuleFactoryMaker ScanGate::wrap(ModuleFactoryMaker inner) {
    return [this, inner = std::move(inner)](Platform& platform) -> ModuleFactory {
        ModuleFactory modules = inner(platform);
        return [this, modules](int moduleId, ModuleSet& owner) -> std::unique_ptr<CModule> {
            auto real = modules ? modules(moduleId, owner) : nullptr;
            if (!real) {
                return nullptr;
            }
            return std::make_unique<GatedModule>(owner, moduleId, std::move(real), *this,
                                                 moduleId == heldModule_);
        };
    };
}

bool ScanGate::reached() const {
    const std::lock_guard lock(mutex_);
    return reached_;
}

void ScanGate::release() {
    {
        const std::lock_guard lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

} // namespace tolvane
