#pragma once

#include "platform/Clock.h"

#include <string>

namespace tolvane {

// Local date and time as the history entries show it: "Sunday, December 06, 2026 22:31".
std::string historyTimeText(Clock::TimePoint time);

// UTC time stamp with milliseconds, as backup folders are named: "06.12.2026 22_40_01_123".
std::string backupTimeStamp(Clock::TimePoint time);

} // namespace tolvane
