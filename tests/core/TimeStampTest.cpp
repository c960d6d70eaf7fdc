#include "TimeStamp.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <ctime>

TEST(TimeStamp, HasTheBracketedMonthDayYearShapeOfNow)
{
    const std::time_t before = std::time(nullptr);
    char stamp[Protocol::kTimeStampBytes];
    std::memset(stamp, '#', sizeof(stamp));
    Protocol::MakeTimeStamp(stamp);

    // "[MM-DD-YYYY hh:mm:ss]"
    const char shape[] = "[99-99-9999 99:99:99]";
    ASSERT_EQ(std::strlen(shape), std::strlen(stamp)) << stamp;
    for (std::size_t i = 0; i < std::strlen(shape); ++i)
    {
        if (shape[i] == '9')
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(stamp[i]))) << stamp;
        else
            EXPECT_EQ(shape[i], stamp[i]) << stamp;
    }

    // It is today's local date (allowing for a midnight passing meanwhile).
    const std::time_t after = std::time(nullptr);
    char expectedBefore[16];
    char expectedAfter[16];
    std::strftime(expectedBefore, sizeof(expectedBefore), "%m-%d-%Y", std::localtime(&before));
    std::strftime(expectedAfter, sizeof(expectedAfter), "%m-%d-%Y", std::localtime(&after));
    const std::string date(stamp + 1, 10);
    EXPECT_TRUE(date == expectedBefore || date == expectedAfter) << stamp;
}

TEST(TimeStamp, TheCacheFormatsEachSecondItIsAskedForAndOnlyThen)
{
    // A fixed moment and the seconds around it, formatted directly for comparison.
    const std::time_t moment = 1780000000;
    char expected[3][Protocol::kTimeStampBytes];
    for (int i = 0; i < 3; ++i)
        Protocol::FormatTimeStamp(moment + i, expected[i]);
    ASSERT_STRNE(expected[0], expected[1]);

    Protocol::CTimeStampCache cache;
    char stamp[Protocol::kTimeStampBytes];
    cache.MakeFor(moment, stamp);
    EXPECT_STREQ(expected[0], stamp);
    cache.MakeFor(moment, stamp);
    EXPECT_STREQ(expected[0], stamp) << "the same second again";
    cache.MakeFor(moment + 2, stamp);
    EXPECT_STREQ(expected[2], stamp) << "a later second";
    cache.MakeFor(moment + 1, stamp);
    EXPECT_STREQ(expected[1], stamp) << "a clock set back";

    // The unconverted time gives an empty stamp, as MakeTimeStamp does.
    cache.MakeFor(static_cast<std::time_t>(-1), stamp);
    EXPECT_STREQ("", stamp);

    // Now, through the system clock: the stamp of the current second. Bracketed by
    // the same clock: std::time may read a coarser one that lags it by a tick, and
    // then misses a second that has just begun.
    const auto now = [] { return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()); };
    const std::time_t before = now();
    cache.Make(stamp);
    const std::time_t after = now();
    char atBefore[Protocol::kTimeStampBytes];
    char atAfter[Protocol::kTimeStampBytes];
    Protocol::FormatTimeStamp(before, atBefore);
    Protocol::FormatTimeStamp(after, atAfter);
    EXPECT_TRUE(std::strcmp(stamp, atBefore) == 0 || std::strcmp(stamp, atAfter) == 0) << stamp;
}
