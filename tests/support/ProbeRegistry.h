#pragma once

#include "platform/Platform.h"
#include "platform/RegistryGateway.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::test {

// Passes every call on to another gateway and lets a test watch and bend a walk: it knows the
// path of every key opened from a root, can make a key report another number of sub-keys or
// fail its query, calls back on each open, keeps the most handles open at once, and records
// which keys were flushed.
class ProbeRegistry final : public RegistryGateway {
public:
    explicit ProbeRegistry(RegistryGateway& inner) : inner_(inner) {}

    // `platform` with this gateway in the place of its own.
    Platform over(const Platform& platform) {
        return Platform{*this,
                        platform.files,
                        platform.editor,
                        platform.clock,
                        platform.autostart,
                        platform.storage,
                        platform.workingDirectory};
    }

    // Keys opened from a root by this path (as the caller wrote it) report `subKeys`.
    std::map<std::string, std::uint32_t, std::less<>> reportedSubKeys;
    // Keys opened from a root by this path fail RegQueryInfoKeyA.
    std::map<std::string, std::int32_t, std::less<>> failedQueries;
    std::function<void(std::string_view path)> onOpen;
    std::size_t mostOpenHandles = 0;
    std::size_t opens = 0;
    // Each flushed key: a root by its full name ("HKEY_USERS"), a key opened from a root by
    // its path as the caller wrote it.
    std::vector<std::string> flushes;

    std::int32_t RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) override;
    std::int32_t RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) override {
        return inner_.RegCreateKeyA(key, subKey, result);
    }
    std::int32_t RegCloseKey(HKey key) override;
    std::int32_t RegQueryInfoKeyA(HKey key, RegKeyInfo& info, KeyInfoParts parts) override;
    std::int32_t RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                             std::uint32_t nameSize) override {
        return inner_.RegEnumKeyA(key, index, name, nameSize);
    }
    std::int32_t RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                               std::uint32_t& nameSize, std::uint32_t* type, std::string* data,
                               std::uint32_t* dataSize) override {
        return inner_.RegEnumValueA(key, index, name, nameSize, type, data, dataSize);
    }
    std::int32_t RegQueryValueA(HKey key, std::string_view subKey, std::string* data,
                                std::int32_t& dataSize) override {
        return inner_.RegQueryValueA(key, subKey, data, dataSize);
    }
    std::int32_t RegQueryValueExA(HKey key, std::string_view valueName, std::uint32_t* type,
                                  std::string* data, std::uint32_t* dataSize) override {
        return inner_.RegQueryValueExA(key, valueName, type, data, dataSize);
    }
    std::int32_t RegSetValueA(HKey key, std::string_view subKey, std::uint32_t type,
                              std::string_view data) override {
        return inner_.RegSetValueA(key, subKey, type, data);
    }
    std::int32_t RegSetValueExA(HKey key, std::string_view valueName, std::uint32_t type,
                                std::string_view data) override {
        return inner_.RegSetValueExA(key, valueName, type, data);
    }
    std::int32_t RegDeleteKeyA(HKey key, std::string_view subKey) override {
        return inner_.RegDeleteKeyA(key, subKey);
    }
    std::int32_t RegDeleteValueA(HKey key, std::string_view valueName) override {
        return inner_.RegDeleteValueA(key, valueName);
    }
    std::int32_t RegFlushKey(HKey key) override;
    std::int32_t RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) override {
        return inner_.RegIsLinkKeyA(key, subKey, isLink);
    }
    std::int32_t RegOpenKeyExW(HKey key, std::u16string_view subKey, HKey& result) override {
        return inner_.RegOpenKeyExW(key, subKey, result);
    }
    std::int32_t RegCreateKeyExW(HKey key, std::u16string_view subKey, HKey& result) override {
        return inner_.RegCreateKeyExW(key, subKey, result);
    }
    std::int32_t RegEnumKeyExW(HKey key, std::uint32_t index, std::u16string& name) override {
        return inner_.RegEnumKeyExW(key, index, name);
    }
    std::int32_t RegEnumValueW(HKey key, std::uint32_t index, std::u16string& name,
                               std::uint32_t& type, std::string& data) override {
        return inner_.RegEnumValueW(key, index, name, type, data);
    }
    std::int32_t RegSetValueExW(HKey key, std::u16string_view valueName, std::uint32_t type,
                                std::string_view data) override {
        return inner_.RegSetValueExW(key, valueName, type, data);
    }
    std::int32_t RegDeleteKeyW(HKey key, std::u16string_view subKey) override {
        return inner_.RegDeleteKeyW(key, subKey);
    }
    std::int32_t RegDeleteValueW(HKey key, std::u16string_view valueName) override {
        return inner_.RegDeleteValueW(key, valueName);
    }
    std::size_t openHandleCount() const override { return inner_.openHandleCount(); }

private:
    RegistryGateway& inner_;
    // Paths of the open keys that were opened from a root.
    std::map<HKey, std::string> paths_;
};

} // namespace tolvane::test
