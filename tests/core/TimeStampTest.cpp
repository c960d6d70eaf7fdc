#include "TimeStamp.h"

#include <gtest/gtest.h>

#include <cctype>
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
