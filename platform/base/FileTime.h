#pragma once

#include <cstdint>

namespace tolvane {

// Windows FILETIME values (100 ns ticks since 1601) and Unix seconds, as Wine's registry files
// keep key times.
inline constexpr std::uint64_t fileTimeOf1970 = 116444736000000000ULL;
inline constexpr std::uint64_t fileTimeTicksPerSecond = 10000000ULL;

constexpr std::uint64_t fileTimeFromUnixSeconds(std::uint64_t seconds) {
    return fileTimeOf1970 + seconds * fileTimeTicksPerSecond;
}

// Seconds since 1970 truncated to 32 bits, as wineserver prints them.
constexpr std::uint32_t unixSecondsFromFileTime(std::uint64_t fileTime) {
    return static_cast<std::uint32_t>(
        (static_cast<std::int64_t>(fileTime) - static_cast<std::int64_t>(fileTimeOf1970)) /
        static_cast<std::int64_t>(fileTimeTicksPerSecond));
}

} // namespace tolvane
