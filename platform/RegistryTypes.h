#pragma once

#include <cstdint>

namespace tolvane {

// An open registry key as the Win32 API hands it out. The predefined roots have the values
// Windows gives them; every other value is a handle of the backend that issued it.
enum class HKey : std::uintptr_t { null = 0 };

inline constexpr HKey hkeyClassesRoot{0x80000000u};
inline constexpr HKey hkeyCurrentUser{0x80000001u};
inline constexpr HKey hkeyLocalMachine{0x80000002u};
inline constexpr HKey hkeyUsers{0x80000003u};
inline constexpr HKey hkeyCurrentConfig{0x80000005u};

constexpr bool isPredefinedKey(HKey key) {
    const auto value = static_cast<std::uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x80000006u;
}

// Win32 result codes of the registry functions.
namespace winerr {
inline constexpr std::int32_t success = 0;
inline constexpr std::int32_t fileNotFound = 2;
inline constexpr std::int32_t accessDenied = 5;
inline constexpr std::int32_t invalidHandle = 6;
inline constexpr std::int32_t notEnoughMemory = 8;
inline constexpr std::int32_t writeFault = 29;
inline constexpr std::int32_t invalidParameter = 87;
inline constexpr std::int32_t badPathname = 161;
inline constexpr std::int32_t moreData = 234;
inline constexpr std::int32_t noMoreItems = 259;
inline constexpr std::int32_t keyDeleted = 1018;
} // namespace winerr

// Registry value types.
namespace regtype {
inline constexpr std::uint32_t none = 0;
inline constexpr std::uint32_t sz = 1;
inline constexpr std::uint32_t expandSz = 2;
inline constexpr std::uint32_t binary = 3;
inline constexpr std::uint32_t dword = 4;
inline constexpr std::uint32_t dwordBigEndian = 5;
inline constexpr std::uint32_t link = 6;
inline constexpr std::uint32_t multiSz = 7;
inline constexpr std::uint32_t qword = 11;

constexpr bool isString(std::uint32_t type) {
    return type == sz || type == expandSz || type == multiSz;
}
} // namespace regtype

// The buffer size the program offers for names, values and paths unless a caller says otherwise.
inline constexpr std::uint32_t maxPath = 260;
// Room the walks offer for a sub-key name, counting the NUL: a backslash appended to the name
// then still fits a path buffer.
inline constexpr std::uint32_t subKeyNameOffer = maxPath - 1;

} // namespace tolvane
