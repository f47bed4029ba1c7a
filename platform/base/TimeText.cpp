#include "platform/base/TimeText.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace tolvane {

namespace {

std::tm toTm(Clock::TimePoint time, bool local) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
#ifdef _WIN32
    if (local) {
        localtime_s(&parts, &seconds);
    } else {
        gmtime_s(&parts, &seconds);
    }
#else
    if (local) {
        localtime_r(&seconds, &parts);
    } else {
        gmtime_r(&seconds, &parts);
    }
#endif
    return parts;
}

constexpr std::array<const char*, 7> weekdays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> months{"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};

std::string twoDigits(int value) {
    return std::string{static_cast<char>('0' + value / 10 % 10),
                       static_cast<char>('0' + value % 10)};
}

} // namespace

std::string historyTimeText(Clock::TimePoint time) {
    // Names spelled out here: the texts must not change with the user's locale.
    const std::tm parts = toTm(time, true);
    return std::string(weekdays.at(static_cast<std::size_t>(parts.tm_wday))) + ", " +
           months.at(static_cast<std::size_t>(parts.tm_mon)) + " " + twoDigits(parts.tm_mday) +
           ", " + std::to_string(parts.tm_year + 1900) + " " + twoDigits(parts.tm_hour) + ":" +
           twoDigits(parts.tm_min);
}

std::string backupTimeStamp(Clock::TimePoint time) {
    const std::tm parts = toTm(time, false);
    const auto sinceEpoch = time.time_since_epoch();
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    const int milliseconds = static_cast<int>(millis < 0 ? millis + 1000 : millis);
    std::string stamp = twoDigits(parts.tm_mday) + "." + twoDigits(parts.tm_mon + 1) + "." +
                        std::to_string(parts.tm_year + 1900) + " " + twoDigits(parts.tm_hour) +
                        "_" + twoDigits(parts.tm_min) + "_" + twoDigits(parts.tm_sec) + "_";
    stamp += static_cast<char>('0' + milliseconds / 100);
    stamp += twoDigits(milliseconds % 100);
    return stamp;
}

} // namespace tolvane
