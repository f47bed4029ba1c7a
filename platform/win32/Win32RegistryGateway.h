#pragma once

#include "platform/RegistryGateway.h"

#include <mutex>
#include <unordered_set>

namespace tolvane {

// The live registry through ADVAPI32. Every call goes to the Win32 function of the same name;
// buffers are offered with exactly the size the caller gives, and outputs change only where
// Win32 itself reports them (on 234 the caller's name and data stay as they were).
//
// HKey values are the Win32 handles themselves, except the predefined roots: the program's
// 0x80000000.. constants map to the real roots (sign-extended on 64-bit Windows) and back.
// Safe to use from several threads; only the set of handed-out handles needs a lock.
class Win32RegistryGateway final : public RegistryGateway {
public:
    Win32RegistryGateway() = default;
    Win32RegistryGateway(const Win32RegistryGateway&) = delete;
    Win32RegistryGateway& operator=(const Win32RegistryGateway&) = delete;

    std::int32_t RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) override;
    std::int32_t RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) override;
    std::int32_t RegCloseKey(HKey key) override;
    std::int32_t RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) override;
    std::int32_t RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                             std::uint32_t nameSize) override;
    std::int32_t RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                               std::uint32_t& nameSize, std::uint32_t* type, std::string* data,
                               std::uint32_t* dataSize) override;
    std::int32_t RegQueryValueA(HKey key, std::string_view subKey, std::string* data,
                                std::int32_t& dataSize) override;
    std::int32_t RegQueryValueExA(HKey key, std::string_view valueName, std::uint32_t* type,
                                  std::string* data, std::uint32_t* dataSize) override;
    std::int32_t RegSetValueA(HKey key, std::string_view subKey, std::uint32_t type,
                              std::string_view data) override;
    std::int32_t RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t type,
                                std::string_view data) override;
    std::int32_t RegDeleteKeyA(HKey key, std::string_view subKey) override;
    std::int32_t RegDeleteValueA(HKey key, std::string_view valueName) override;
    std::int32_t RegFlushKey(HKey key) override;
    std::int32_t RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) override;

    std::int32_t RegOpenKeyExW(HKey key, std::u16string_view subKey, HKey& result) override;
    std::int32_t RegCreateKeyExW(HKey key, std::u16string_view subKey, HKey& result) override;
    std::int32_t RegEnumKeyExW(HKey key, std::uint32_t index, std::u16string& name) override;
    std::int32_t RegEnumValueW(HKey key, std::uint32_t index, std::u16string& name,
                               std::uint32_t& type, std::string& data) override;
    std::int32_t RegSetValueExW(HKey key, std::u16string_view valueName, std::uint32_t type,
                                std::string_view data) override;
    std::int32_t RegDeleteKeyW(HKey key, std::u16string_view subKey) override;
    std::int32_t RegDeleteValueW(HKey key, std::u16string_view valueName) override;

    std::size_t openHandleCount() const override;

private:
    // Hands out the handle an open or create of `parent` gave with result `rc`. A new handle is
    // counted; the parent itself (empty path) and the predefined roots are not.
    std::int32_t handOut(HKey parent, std::int32_t rc, HKey opened, HKey& result);

    mutable std::mutex mutex_;
    std::unordered_set<std::uintptr_t> handles_;
};

} // namespace tolvane
