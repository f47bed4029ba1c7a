#include "platform/win32/Win32RegistryGateway.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>
#include <windows.h>

namespace tolvane {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows has 16-bit wchar_t");

// The predefined roots are 32-bit values that Windows sign-extends into a 64-bit HKEY.
HKEY toNative(HKey key) {
    const auto value = static_cast<std::uintptr_t>(key);
    if (isPredefinedKey(key)) {
        const auto signExtended = static_cast<LONG_PTR>(static_cast<LONG>(value));
        return reinterpret_cast<HKEY>(signExtended);
    }
    return reinterpret_cast<HKEY>(value);
}

HKey fromNative(HKEY handle) {
    const auto value = reinterpret_cast<ULONG_PTR>(handle);
    const auto low = static_cast<std::uint32_t>(value);
    if (static_cast<LONG_PTR>(value) == static_cast<LONG>(low) && isPredefinedKey(HKey{low})) {
        return HKey{low};
    }
    return HKey{value};
}

BYTE* bytes(std::string& buffer) {
    return reinterpret_cast<BYTE*>(buffer.data());
}

// A buffer of `size` bytes to hand to the API; never empty, so data() is a real address even
// when the caller offers nothing.
std::string bufferOf(std::uint32_t size) {
    return std::string(std::max<std::uint32_t>(size, 1), '\0');
}

// Calls `call` with `text` NUL-terminated, as Win32 takes it. A text with a NUL inside would
// reach the API cut short and name another key or value, so it is refused instead.
template <typename Char, typename Call>
std::int32_t withName(std::basic_string_view<Char> text, Call&& call) {
    if (text.find(Char{}) != std::basic_string_view<Char>::npos) {
        return winerr::invalidParameter;
    }
    if constexpr (std::is_same_v<Char, char>) {
        const std::string name(text);
        return call(name.c_str());
    } else {
        const std::wstring name(text.begin(), text.end());
        return call(name.c_str());
    }
}

bool fitsDword(std::size_t size) {
    return size <= std::numeric_limits<DWORD>::max();
}

constexpr DWORD keyAccess = MAXIMUM_ALLOWED;
// Longest key name Windows allows (255) with the NUL; buffers start there (or at what the key
// reports as its longest) and grow when a name turns out longer.
constexpr DWORD keyNameCapacity = 256;
constexpr DWORD wideNameCapacityLimit = 1u << 16;
constexpr DWORD firstDataCapacity = 1024;
constexpr int enumerationAttempts = 8;

} // namespace

std::int32_t Win32RegistryGateway::handOut(HKey parent, std::int32_t rc, HKey opened,
                                           HKey& result) {
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    result = opened;
    if (opened != parent && opened != HKey::null && !isPredefinedKey(opened)) {
        std::lock_guard lock(mutex_);
        handles_.insert(static_cast<std::uintptr_t>(opened));
    }
    return rc;
}

std::size_t Win32RegistryGateway::openHandleCount() const {
    std::lock_guard lock(mutex_);
    return handles_.size();
}

std::int32_t Win32RegistryGateway::RegOpenKeyA(HKey key, std::string_view subKey, HKey& result) {
    result = HKey::null;
    return withName(subKey, [&](const char* path) {
        HKEY opened = nullptr;
        const LONG rc = ::RegOpenKeyA(toNative(key), path, &opened);
        return handOut(key, rc, fromNative(opened), result);
    });
}

std::int32_t Win32RegistryGateway::RegCreateKeyA(HKey key, std::string_view subKey, HKey& result) {
    result = HKey::null;
    return withName(subKey, [&](const char* path) {
        HKEY opened = nullptr;
        const LONG rc = ::RegCreateKeyA(toNative(key), path, &opened);
        return handOut(key, rc, fromNative(opened), result);
    });
}

std::int32_t Win32RegistryGateway::RegCloseKey(HKey key) {
    if (key == HKey::null) {
        return winerr::invalidHandle;
    }
    if (isPredefinedKey(key)) {
        return winerr::success;
    }
    const LONG rc = ::RegCloseKey(toNative(key));
    if (rc == ERROR_SUCCESS) {
        std::lock_guard lock(mutex_);
        handles_.erase(static_cast<std::uintptr_t>(key));
    }
    return rc;
}

std::int32_t Win32RegistryGateway::RegQueryInfoKeyA(HKey key, RegKeyInfo& info,
                                                    KeyInfoParts parts) {
    DWORD subKeys = 0;
    DWORD maxSubKeyLen = 0;
    DWORD maxClassLen = 0;
    DWORD values = 0;
    DWORD maxValueNameLen = 0;
    DWORD maxValueLen = 0;
    const bool everything = parts == KeyInfoParts::everything;
    const LONG rc = ::RegQueryInfoKeyA(
        toNative(key), nullptr, nullptr, nullptr, &subKeys, everything ? &maxSubKeyLen : nullptr,
        everything ? &maxClassLen : nullptr, &values, everything ? &maxValueNameLen : nullptr,
        everything ? &maxValueLen : nullptr, nullptr, nullptr);
    // Callers read the counts without testing the result: a failure reads as an empty key.
    info = RegKeyInfo{};
    if (rc == ERROR_SUCCESS) {
        info = RegKeyInfo{subKeys, maxSubKeyLen, maxClassLen, values, maxValueNameLen, maxValueLen};
    }
    return rc;
}

std::int32_t Win32RegistryGateway::RegEnumKeyA(HKey key, std::uint32_t index, std::string& name,
                                               std::uint32_t nameSize) {
    std::string buffer = bufferOf(nameSize);
    const LONG rc = ::RegEnumKeyA(toNative(key), index, buffer.data(), nameSize);
    if (rc == ERROR_SUCCESS) {
        name.assign(buffer.data(), strnlen(buffer.data(), nameSize));
    }
    return rc;
}

std::int32_t Win32RegistryGateway::RegEnumValueA(HKey key, std::uint32_t index, std::string& name,
                                                 std::uint32_t& nameSize, std::uint32_t* type,
                                                 std::string* data, std::uint32_t* dataSize) {
    if (data != nullptr && dataSize == nullptr) {
        return winerr::invalidParameter;
    }
    std::string nameBuffer = bufferOf(nameSize);
    DWORD nameLength = nameSize;
    DWORD valueType = REG_NONE;
    DWORD dataLength = dataSize != nullptr ? *dataSize : 0;
    std::string dataBuffer = data != nullptr ? bufferOf(dataLength) : std::string();
    const LONG rc = ::RegEnumValueA(toNative(key), index, nameBuffer.data(), &nameLength, nullptr,
                                    &valueType, data != nullptr ? bytes(dataBuffer) : nullptr,
                                    dataSize != nullptr ? &dataLength : nullptr);
    if (rc == ERROR_SUCCESS) {
        name.assign(nameBuffer.data(), nameLength);
        nameSize = nameLength;
        if (type != nullptr) {
            *type = valueType;
        }
        if (data != nullptr) {
            data->assign(dataBuffer.data(), dataLength);
        }
    }
    if (dataSize != nullptr && (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA)) {
        *dataSize = dataLength;
    }
    return rc;
}

std::int32_t Win32RegistryGateway::RegQueryValueA(HKey key, std::string_view subKey,
                                                  std::string* data, std::int32_t& dataSize) {
    if (data != nullptr && dataSize < 0) {
        return winerr::invalidParameter;
    }
    LONG length = dataSize;
    std::string buffer = data != nullptr ? bufferOf(static_cast<std::uint32_t>(length)) : "";
    const std::int32_t rc = withName(subKey, [&](const char* path) {
        return ::RegQueryValueA(toNative(key), path, data != nullptr ? buffer.data() : nullptr,
                                &length);
    });
    if (rc == ERROR_SUCCESS && data != nullptr) {
        // The default value as text: a value that is no string reads up to its first NUL.
        data->assign(buffer.data(), strnlen(buffer.data(), static_cast<std::size_t>(length)));
    }
    if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        dataSize = length;
    }
    return rc;
}

std::int32_t Win32RegistryGateway::RegQueryValueExA(HKey key, std::string_view valueName,
                                                    std::uint32_t* type, std::string* data,
                                                    std::uint32_t* dataSize) {
    if (data != nullptr && dataSize == nullptr) {
        return winerr::invalidParameter;
    }
    DWORD valueType = REG_NONE;
    DWORD length = dataSize != nullptr ? *dataSize : 0;
    std::string buffer = data != nullptr ? bufferOf(length) : std::string();
    const std::int32_t rc = withName(valueName, [&](const char* name) {
        return ::RegQueryValueExA(toNative(key), name, nullptr, &valueType,
                                  data != nullptr ? bytes(buffer) : nullptr,
                                  dataSize != nullptr ? &length : nullptr);
    });
    if (rc == ERROR_SUCCESS) {
        if (type != nullptr) {
            *type = valueType;
        }
        if (data != nullptr) {
            data->assign(buffer.data(), length);
        }
    }
    // Win32 reports the size needed on 234 and clears it for a missing value asked without a
    // buffer; whatever it left there is what the caller gets.
    if (dataSize != nullptr) {
        *dataSize = length;
    }
    return rc;
}

std::int32_t Win32RegistryGateway::RegSetValueA(HKey key, std::string_view subKey,
                                                std::uint32_t type, std::string_view data) {
    if (!fitsDword(data.size() + 1)) {
        return winerr::invalidParameter;
    }
    // RegSetValueA stores the text up to its first NUL, whatever size it is given.
    const std::string text(data);
    return withName(subKey, [&](const char* path) {
        return ::RegSetValueA(toNative(key), path, type, text.c_str(),
                              static_cast<DWORD>(text.size() + 1));
    });
}

std::int32_t Win32RegistryGateway::RegSetValueExA(HKey key, std::string_view valueName,
                                                  std::uint32_t type, std::string_view data) {
    if (!fitsDword(data.size())) {
        return winerr::invalidParameter;
    }
    // The copy ends in a NUL, so a string given without its terminator gets one counted, as
    // Win32 does when the byte after the data is a NUL.
    const std::string copy(data);
    return withName(valueName, [&](const char* name) {
        return ::RegSetValueExA(toNative(key), name, 0, type,
                                reinterpret_cast<const BYTE*>(copy.data()),
                                static_cast<DWORD>(copy.size()));
    });
}

std::int32_t Win32RegistryGateway::RegDeleteKeyA(HKey key, std::string_view subKey) {
    return withName(subKey, [&](const char* name) { return ::RegDeleteKeyA(toNative(key), name); });
}

std::int32_t Win32RegistryGateway::RegDeleteValueA(HKey key, std::string_view valueName) {
    return withName(valueName,
                    [&](const char* name) { return ::RegDeleteValueA(toNative(key), name); });
}

std::int32_t Win32RegistryGateway::RegFlushKey(HKey key) {
    return ::RegFlushKey(toNative(key));
}

std::int32_t Win32RegistryGateway::RegIsLinkKeyA(HKey key, std::string_view subKey, bool& isLink) {
    isLink = false;
    return withName(subKey, [&](const char* path) -> std::int32_t {
        HKEY opened = nullptr;
        const LONG rc =
            ::RegOpenKeyExA(toNative(key), path, REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &opened);
        if (rc != ERROR_SUCCESS) {
            return rc;
        }
        // A link key holds its target in SymbolicLinkValue, of type REG_LINK.
        DWORD type = REG_NONE;
        const LONG queried =
            ::RegQueryValueExA(opened, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr);
        isLink = (queried == ERROR_SUCCESS || queried == ERROR_MORE_DATA) && type == REG_LINK;
        ::RegCloseKey(opened);
        return ERROR_SUCCESS;
    });
}

std::int32_t Win32RegistryGateway::RegOpenKeyExW(HKey key, std::u16string_view subKey,
                                                 HKey& result) {
    result = HKey::null;
    return withName(subKey, [&](const wchar_t* path) {
        HKEY opened = nullptr;
        const LONG rc = ::RegOpenKeyExW(toNative(key), path, 0, keyAccess, &opened);
        return handOut(key, rc, fromNative(opened), result);
    });
}

std::int32_t Win32RegistryGateway::RegCreateKeyExW(HKey key, std::u16string_view subKey,
                                                   HKey& result) {
    result = HKey::null;
    return withName(subKey, [&](const wchar_t* path) {
        HKEY opened = nullptr;
        const LONG rc = ::RegCreateKeyExW(toNative(key), path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          keyAccess, nullptr, &opened, nullptr);
        return handOut(key, rc, fromNative(opened), result);
    });
}

std::int32_t Win32RegistryGateway::RegEnumKeyExW(HKey key, std::uint32_t index,
                                                 std::u16string& name) {
    for (DWORD capacity = keyNameCapacity;; capacity *= 2) {
        std::wstring buffer(capacity, L'\0');
        DWORD length = capacity;
        const LONG rc = ::RegEnumKeyExW(toNative(key), index, buffer.data(), &length, nullptr,
                                        nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && capacity < wideNameCapacityLimit) {
            continue;
        }
        if (rc == ERROR_SUCCESS) {
            name.assign(buffer.begin(), buffer.begin() + length);
        }
        return rc;
    }
}

std::int32_t Win32RegistryGateway::RegEnumValueW(HKey key, std::uint32_t index,
                                                 std::u16string& name, std::uint32_t& type,
                                                 std::string& data) {
    DWORD nameCapacity = keyNameCapacity;
    DWORD dataCapacity = firstDataCapacity;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (::RegQueryInfoKeyW(toNative(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &longestName, &longestData, nullptr,
                           nullptr) == ERROR_SUCCESS) {
        nameCapacity = std::max(nameCapacity, longestName + 1);
        dataCapacity = std::max(dataCapacity, longestData);
    }
    // Another writer may enlarge the value between the measure and the read: measure again.
    LONG rc = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < enumerationAttempts && rc == ERROR_MORE_DATA; ++attempt) {
        std::wstring nameBuffer(nameCapacity, L'\0');
        std::string dataBuffer = bufferOf(dataCapacity);
        DWORD nameLength = nameCapacity;
        DWORD dataLength = dataCapacity;
        DWORD valueType = REG_NONE;
        rc = ::RegEnumValueW(toNative(key), index, nameBuffer.data(), &nameLength, nullptr,
                             &valueType, bytes(dataBuffer), &dataLength);
        if (rc == ERROR_SUCCESS) {
            name.assign(nameBuffer.begin(), nameBuffer.begin() + nameLength);
            type = valueType;
            data.assign(dataBuffer.data(), dataLength);
        } else if (rc == ERROR_MORE_DATA) {
            if (dataLength > dataCapacity) {
                dataCapacity = dataLength;
            } else if (nameCapacity < wideNameCapacityLimit) {
                nameCapacity *= 2;
            } else {
                dataCapacity *= 2;
            }
        }
    }
    return rc;
}

std::int32_t Win32RegistryGateway::RegSetValueExW(HKey key, std::u16string_view valueName,
                                                  std::uint32_t type, std::string_view data) {
    if (!fitsDword(data.size())) {
        return winerr::invalidParameter;
    }
    // Win32 counts a NUL the caller "forgot" when the UTF-16 unit after a string's data is 0,
    // and looks one unit before the data for a 1-byte string. Non-zero bytes on both sides keep
    // the stored bytes exactly the ones given.
    constexpr char guard = '\xFF';
    std::string guarded(2, guard);
    guarded.append(data);
    guarded.append(2, guard);
    return withName(valueName, [&](const wchar_t* name) {
        return ::RegSetValueExW(toNative(key), name, 0, type,
                                reinterpret_cast<const BYTE*>(guarded.data() + 2),
                                static_cast<DWORD>(data.size()));
    });
}

std::int32_t Win32RegistryGateway::RegDeleteKeyW(HKey key, std::u16string_view subKey) {
    return withName(subKey,
                    [&](const wchar_t* name) { return ::RegDeleteKeyW(toNative(key), name); });
}

std::int32_t Win32RegistryGateway::RegDeleteValueW(HKey key, std::u16string_view valueName) {
    return withName(valueName,
                    [&](const wchar_t* name) { return ::RegDeleteValueW(toNative(key), name); });
}

} // namespace tolvane
