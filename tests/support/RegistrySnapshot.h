#pragma once

#include "platform/RegistryGateway.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::test {

// Every key and value below one key, read through the W functions, so that two registries can
// be compared byte for byte. Paths are relative to the key the snapshot starts at.
struct RegistrySnapshot {
    struct Value {
        std::u16string keyPath;
        std::u16string name;
        std::uint32_t type = 0;
        std::string data;
        auto operator<=>(const Value&) const = default;
    };

    std::vector<std::u16string> keyPaths;
    std::vector<Value> values;

    bool operator==(const RegistrySnapshot&) const = default;

    static RegistrySnapshot of(RegistryGateway& registry, HKey key);
    // The first place where `other` differs from this one, in words; empty when equal.
    std::string firstDifference(const RegistrySnapshot& other) const;
};

} // namespace tolvane::test
