#pragma once

#include "platform/RegistryTypes.h"
#include "platform/Result.h"

#include <chrono>
#include <stop_token>
#include <string>

namespace tolvane {

class Clock;
class RegistryGateway;
class RegistryStorage;

// The registry "defragmentation": asks the registry to write its cached changes to disk, hive by
// hive, with a fixed pause after each flush. On a Wine prefix every flush stores the prefix's
// files atomically.
class HiveFlusher {
public:
    static constexpr std::chrono::milliseconds pause{1024};
    static constexpr const char* hiveListKey = "SYSTEM\\CurrentControlSet\\Control\\hivelist\\";

    HiveFlusher(RegistryGateway& registry, RegistryStorage& storage, Clock& clock);

    // Flushes the roots, then every loaded hive named in the hive list. A stop request ends it
    // at the next pause. Fails when the registry could not be stored.
    Result<void> flushRegistryHives(std::stop_token stop = {});

private:
    // Flushes one key and pauses; false when stopped.
    bool flushAndPause(HKey key, std::stop_token stop);

    RegistryGateway& registry_;
    RegistryStorage& storage_;
    Clock& clock_;
    std::string storeError_;
};

} // namespace tolvane
