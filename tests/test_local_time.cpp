// The cover's readings of the system's clock: a local time as the system gives it, and
// the time now.
#include <windows.h>

#include <gtest/gtest.h>

#include "cover/clock/DateClockText.h"

namespace {

void ExpectSameReading(const ClockReading& expected, const ClockReading& actual)
{
    EXPECT_EQ(expected.year, actual.year);
    EXPECT_EQ(expected.month, actual.month);
    EXPECT_EQ(expected.day, actual.day);
    EXPECT_EQ(expected.weekday, actual.weekday);
    EXPECT_EQ(expected.hour, actual.hour);
    EXPECT_EQ(expected.minute, actual.minute);
    EXPECT_EQ(expected.second, actual.second);
}

// A SYSTEMTIME's fields in order: year, month, weekday (0 = Sunday), day, hour, minute,
// second, milliseconds.
TEST(DateClockText, ReadingsFromLocalTimeKeepWholeSecondsAndCountWeekdaysFromSunday)
{
    ExpectSameReading({2000, 1, 1, 7, 9, 5, 3}, ReadingFromLocalTime(SYSTEMTIME{2000, 1, 6, 1, 9, 5, 3, 999}));
    ExpectSameReading({2024, 2, 29, 5, 0, 0, 0}, ReadingFromLocalTime(SYSTEMTIME{2024, 2, 4, 29, 0, 0, 0, 0}));
    ExpectSameReading({2023, 7, 2, 1, 23, 59, 59}, ReadingFromLocalTime(SYSTEMTIME{2023, 7, 0, 2, 23, 59, 59, 0}));
}

TEST(DateClockText, LocalTimesThatAreNoRealTimeGiveTheInvalidReading)
{
    const SYSTEMTIME broken[] = {
        {2023, 13, 1, 1, 0, 0, 0, 0}, // month 13
        {2023, 2, 1, 30, 0, 0, 0, 0}, // 30 February
        {2023, 6, 1, 1, 24, 0, 0, 0}, // hour 24
        {2023, 6, 1, 1, 0, 60, 0, 0}, // minute 60
        {2023, 6, 7, 1, 0, 0, 0, 0},  // weekday 7 does not exist (0 is Sunday)
    };
    for (const SYSTEMTIME& t : broken)
        ExpectSameReading(ClockReading::Invalid(), ReadingFromLocalTime(t));
}

TEST(DateClockText, CurrentReadingIsTheLocalTime)
{
    // Taken between two system readings of the same second, it must equal them.
    SYSTEMTIME before{};
    SYSTEMTIME after{};
    ClockReading now;
    for (int attempt = 0; attempt < 5; ++attempt) {
        ::GetLocalTime(&before);
        now = CurrentReading();
        ::GetLocalTime(&after);
        if (after.wSecond == before.wSecond)
            break;
    }
    ASSERT_EQ(before.wSecond, after.wSecond);
    ExpectSameReading(ReadingFromLocalTime(before), now);
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.weekday, 1);
    EXPECT_LE(now.weekday, 7);
}

} // namespace
