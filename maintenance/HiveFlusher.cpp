#include "maintenance/HiveFlusher.h"

#include "platform/Clock.h"
#include "platform/RegistryGateway.h"
#include "platform/RegistryStorage.h"
#include "platform/services/RegKey.h"

#include <array>
#include <utility>

namespace tolvane {

namespace {

// Words of a hive's registry path and the machine key flushed for it; a later match wins.
constexpr std::array<std::pair<const char*, const char*>, 6> machineHives{{
    {"HARDWARE", "hardware"},
    {"SECURITY", "security"},
    {"SOFTWARE", "software"},
    {"SAM", "sam"},
    {".DEFAULT", ".default"},
    {"SYSTEM", "system"},
}};

} // namespace

HiveFlusher::HiveFlusher(RegistryGateway& registry, RegistryStorage& storage, Clock& clock)
    : registry_(registry), storage_(storage), clock_(clock) {}

bool HiveFlusher::flushAndPause(HKey key, std::stop_token stop) {
    registry_.RegFlushKey(key);
    if (auto stored = storage_.save(); !stored && storeError_.empty()) {
        storeError_ = stored.message();
    }
    return clock_.sleepFor(pause, stop);
}

Result<void> HiveFlusher::flushRegistryHives(std::stop_token stop) {
    storeError_.clear();
    const auto finish = [this]() -> Result<void> {
        if (!storeError_.empty()) {
            return makeError("the registry could not be stored: " + storeError_);
        }
        return {};
    };
    for (const HKey root : {hkeyLocalMachine, hkeyCurrentUser, hkeyUsers}) {
        if (!flushAndPause(root, stop)) {
            return finish();
        }
    }
    RegKey hiveList;
    if (RegKey::open(registry_, hkeyLocalMachine, hiveListKey, hiveList) != winerr::success) {
        return finish();
    }
    RegKeyInfo info;
    if (registry_.RegQueryInfoKeyA(hiveList.get(), info, KeyInfoParts::counts) != winerr::success) {
        info = {};
    }
    std::string machineKey;
    for (std::uint32_t index = 0; index < info.values; ++index) {
        std::string name;
        std::uint32_t nameSize = maxPath;
        if (registry_.RegEnumValueA(hiveList.get(), index, name, nameSize, nullptr, nullptr,
                                    nullptr) != winerr::success) {
            continue;
        }
        if (name.find("USER") != std::string::npos) {
            for (const HKey root :
                 {hkeyCurrentUser, hkeyCurrentUser, hkeyUsers, hkeyLocalMachine}) {
                if (!flushAndPause(root, stop)) {
                    return finish();
                }
            }
            continue;
        }
        for (const auto& [word, key] : machineHives) {
            if (name.find(word) != std::string::npos) {
                machineKey = key;
            }
        }
        if (machineKey.empty()) {
            continue;
        }
        RegKey hive;
        if (RegKey::open(registry_, hkeyLocalMachine, machineKey, hive) != winerr::success) {
            continue;
        }
        if (!flushAndPause(hive.get(), stop) || !flushAndPause(hkeyLocalMachine, stop)) {
            return finish();
        }
    }
    return finish();
}

} // namespace tolvane
