#pragma once

#include "platform/RegistryGateway.h"

#include <memory>
#include <string>

namespace tolvane::test {

// A registry gateway for tests and a fresh scratch key in it (below HKEY_CURRENT_USER), removed
// with everything under it when the object goes. On Linux the gateway is an empty in-memory
// registry of the prefix engine.
class TestRegistry {
public:
    TestRegistry();
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;
    ~TestRegistry();

    RegistryGateway& gateway() { return *gateway_; }
    // An open handle to the scratch key.
    HKey scratch() const { return scratch_; }
    // The scratch key's path below HKEY_CURRENT_USER.
    const std::string& scratchPath() const { return scratchPath_; }

    // Whether the registry behind the gateway is Wine's (the engine, or Win32 run under Wine):
    // tests of behaviour in which Windows differs check this.
    static bool behavesLikeWine();

private:
    std::unique_ptr<RegistryGateway> gateway_;
    HKey scratch_ = HKey::null;
    std::string scratchPath_;
};

} // namespace tolvane::test
