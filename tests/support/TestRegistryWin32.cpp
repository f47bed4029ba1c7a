#include "platform/services/RegistryRoutines.h"
#include "platform/win32/Win32RegistryGateway.h"
#include "tests/support/TestRegistry.h"

#include <atomic>
#include <stdexcept>
#include <windows.h>

namespace tolvane::test {

namespace {
constexpr const char* scratchParent = "Software\\TolvaneTests";
}

// The live registry of the running user: the scratch key lives below HKEY_CURRENT_USER and is
// named after the process, so parallel runs and leftovers of a crashed run do not meet.
TestRegistry::TestRegistry() : gateway_(std::make_unique<Win32RegistryGateway>()) {
    static std::atomic<unsigned> counter{0};
    scratchPath_ = std::string(scratchParent) + "\\Scratch " +
                   std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    DeleteKeyTree(*gateway_, hkeyCurrentUser, scratchPath_);
    if (gateway_->RegCreateKeyA(hkeyCurrentUser, scratchPath_, scratch_) != winerr::success) {
        throw std::runtime_error("cannot create the scratch registry key");
    }
}

TestRegistry::~TestRegistry() {
    gateway_->RegCloseKey(scratch_);
    DeleteKeyTree(*gateway_, hkeyCurrentUser, scratchPath_);
    // Succeeds only once no other run has a scratch key left.
    gateway_->RegDeleteKeyA(hkeyCurrentUser, scratchParent);
}

bool TestRegistry::behavesLikeWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace tolvane::test
