#pragma once

#include "platform/RegistryGateway.h"

#include <cstdint>
#include <string_view>

namespace tolvane {

// Owns one open registry key and closes it when it goes. Opening an empty path hands back the
// parent itself (as Win32 does); such a RegKey refers to the parent without owning it.
class RegKey {
public:
    RegKey() noexcept = default;
    RegKey(RegistryGateway& registry, HKey handle, bool owned = true) noexcept;
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey();

    // RegOpenKeyA / RegCreateKeyA into `out`; returns the Win32 result code.
    static std::int32_t open(RegistryGateway& registry, HKey parent, std::string_view path,
                             RegKey& out);
    static std::int32_t create(RegistryGateway& registry, HKey parent, std::string_view path,
                               RegKey& out);

    HKey get() const noexcept { return handle_; }
    bool isOpen() const noexcept { return handle_ != HKey::null; }
    explicit operator bool() const noexcept { return isOpen(); }
    void close() noexcept;

private:
    RegistryGateway* registry_ = nullptr;
    HKey handle_ = HKey::null;
    bool owned_ = false;
};

} // namespace tolvane
