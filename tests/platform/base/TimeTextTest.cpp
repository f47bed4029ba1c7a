#include "platform/base/TimeText.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

// 2026-12-06 22:40:01.123 UTC, a Sunday.
const Clock::TimePoint sample = Clock::TimePoint(std::chrono::milliseconds(1796596801123LL));

TEST(TimeTextTest, BackupStampIsUtcWithMilliseconds) {
    EXPECT_EQ(backupTimeStamp(sample), "06.12.2026 22_40_01_123");
    EXPECT_EQ(backupTimeStamp(sample + std::chrono::milliseconds(877)), "06.12.2026 22_40_02_000");
}

#ifndef _WIN32
TEST(TimeTextTest, HistoryTextIsLocalTimeWithNamesSpelledOut) {
    const char* saved = std::getenv("TZ");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(historyTimeText(sample), "Sunday, December 06, 2026 22:40");
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    EXPECT_EQ(historyTimeText(sample), "Monday, December 07, 2026 07:40");
    if (saved != nullptr) {
        setenv("TZ", previous.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
#endif

} // namespace
} // namespace tolvane
