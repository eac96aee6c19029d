// The cover's date line and clock from a reading of the local time: plain text logic
// (the readings themselves are tested in test_local_time.cpp).
#include <gtest/gtest.h>

#include <climits>

#include "cover/clock/DateClockText.h"

namespace {

TEST(DateClockText, TextsOfValidReadings)
{
    struct Case {
        ClockReading reading;
        const char* date;
        const char* clock;
    } cases[] = {
        {{2000, 1, 1, 7, 9, 5, 3}, "Saturday, 1 January, 2000", "9:5:3"},
        {{2024, 2, 6, 3, 0, 0, 0}, "Tuesday, 6 February, 2024", "0:0:0"},
        {{1999, 12, 31, 6, 23, 59, 59}, "Friday, 31 December, 1999", "23:59:59"},
        {{2031, 10, 10, 5, 10, 10, 10}, "Thursday, 10 October, 2031", "10:10:10"},
        {{2031, 11, 9, 1, 12, 0, 9}, "Sunday, 9 November, 2031", "12:0:9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.date, DateText(c.reading));
        EXPECT_EQ(c.clock, ClockText(c.reading));
    }
}

TEST(DateClockText, EveryWeekdayAndMonthHasItsEnglishName)
{
    const char* weekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    for (int w = 1; w <= 7; ++w)
        EXPECT_EQ(std::string(weekdays[w - 1]) + ", 2 May, 2020", DateText(ClockReading{2020, 5, 2, w, 0, 0, 0}));
    const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(std::string("Monday, 2 ") + months[m - 1] + ", 2020", DateText(ClockReading{2020, m, 2, 2, 0, 0, 0}));
}

TEST(DateClockText, NumbersWithoutANameStandAsTheirOwnText)
{
    EXPECT_EQ("0, 1 13, 2000", DateText(ClockReading{2000, 13, 1, 0, 0, 0, 0}));
    EXPECT_EQ("8, 1 0, 2000", DateText(ClockReading{2000, 0, 1, 8, 0, 0, 0}));
    EXPECT_EQ("-3, 1 100, 2000", DateText(ClockReading{2000, 100, 1, -3, 0, 0, 0}));
    // Every field is written as "%d" writes it, whatever its range.
    EXPECT_EQ("-5:100000:-2147483648", ClockText(ClockReading{0, 0, 0, 0, -5, 100000, INT_MIN}));
    EXPECT_EQ("Sunday, -2147483648 May, 2147483647", DateText(ClockReading{INT_MAX, 5, INT_MIN, 1, 0, 0, 0}));
}

TEST(DateClockText, InvalidReadingIsFormattedWithMinusOneEverywhere)
{
    const ClockReading invalid = ClockReading::Invalid();
    EXPECT_EQ("-1, -1 -1, -1", DateText(invalid));
    EXPECT_EQ("-1:-1:-1", ClockText(invalid));
}

} // namespace
