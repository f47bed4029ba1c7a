#include "tests/support/TestRegistry.h"

#include "platform/prefix/WineRegistry.h"
#include "platform/services/RegistryRoutines.h"

#include <atomic>
#include <stdexcept>

namespace tolvane::test {

TestRegistry::TestRegistry() : gateway_(std::make_unique<prefix::WineRegistry>()) {
    static std::atomic<unsigned> counter{0};
    scratchPath_ = "Software\\Tolvane Tests\\Scratch " + std::to_string(counter++);
    if (gateway_->RegCreateKeyA(hkeyCurrentUser, scratchPath_, scratch_) != winerr::success) {
        throw std::runtime_error("cannot create the scratch registry key");
    }
}

TestRegistry::~TestRegistry() {
    gateway_->RegCloseKey(scratch_);
    DeleteKeyTree(*gateway_, hkeyCurrentUser, scratchPath_);
}

bool TestRegistry::behavesLikeWine() {
    return true;
}

} // namespace tolvane::test
