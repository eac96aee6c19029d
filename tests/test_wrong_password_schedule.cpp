// Wrong passwords at the cover: how long guessing is held off and the line that says so,
// on counts and clock readings alone.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "cover/unlock/WrongPasswords.h"

namespace {

TEST(WrongPasswordSchedule, FiveAreFreeThenThirtySecondsDoublingUpToFiveMinutes)
{
    const uint32_t expected[] = {0, 0, 0, 0, 0, 0, 30, 60, 120, 240, 300, 300};
    for (int count = 0; count < 12; ++count)
        EXPECT_EQ(expected[count], WaitAfterWrongPasswords(count)) << count << " wrong";
    EXPECT_EQ(300u, WaitAfterWrongPasswords(1000000));

    // A guesser that tries the moment each wait ends gets 20 passwords tested in the
    // first hour.
    WrongPasswordWait wait;
    WrongPasswordRecord record;
    int tested = 0;
    for (uint32_t ms = 0; ms < 3600 * 1000u; ms += 100) {
        if (wait.Remaining(record, ms / 1000, ms) == 0) {
            record = wait.AddWrong(record, ms / 1000, ms);
            ++tested;
        }
    }
    EXPECT_EQ(20, tested);
}

// A count kept at the largest int stays there at the next wrong password, instead of
// running over to a negative count (which would read as none, and end the wait).
TEST(WrongPasswordSchedule, TheCountStopsAtTheLargestInt)
{
    WrongPasswordWait wait;
    const WrongPasswordRecord next = wait.AddWrong({INT_MAX, 1800000000}, 1800000100, 5000);
    EXPECT_EQ(INT_MAX, next.count);
    EXPECT_EQ(300000u, wait.Remaining(next, 1800000100, 5000));
}

// The line's words: the count, when the last was typed, and the wait in whole seconds,
// rounded up (a millisecond left is "1 second", never "0 seconds").
TEST(WrongPasswordLine, SaysTheCountTheLastTimeAndTheWaitRoundedUp)
{
    struct Case {
        uint32_t waitMs;
        const char* tail;
    } cases[] = {
        {0, "."},
        {1, ".\r\nPlease wait 1 second before the next try."},
        {1000, ".\r\nPlease wait 1 second before the next try."},
        {1001, ".\r\nPlease wait 2 seconds before the next try."},
        {60000, ".\r\nPlease wait 1 minute before the next try."},
        {260000, ".\r\nPlease wait 4 minutes 20 seconds before the next try."},
    };
    for (const Case& c : cases)
        EXPECT_EQ("7 wrong passwords while locked, the last at 9:15 AM" + std::string(c.tail),
                  WrongPasswordsText(7, "9:15 AM", c.waitMs));
    EXPECT_EQ("1 wrong password while locked, at 9:15 AM.", WrongPasswordsText(1, "9:15 AM", 0));
    EXPECT_EQ("", WrongPasswordsText(0, "9:15 AM", 5000));
}

// A record seen for the first time (another start of the client) is timed by the clock
// once; a clock set back never makes the wait longer than a full one, and a clock
// changed later does not matter at all.
TEST(WrongPasswordSchedule, ARecordFromBeforeIsTimedByTheClockOnceAndNeverOverAFullWait)
{
    const long long now = 1800000000;
    const uint32_t tick = 4000000000u; // near the wrap of the tick count
    struct Case {
        WrongPasswordRecord record;
        uint32_t remainingMs;
    } cases[] = {
        {{6, now - 25}, 5000},
        {{7, now - 61}, 0},
        {{5, now}, 0},
        {{6, now + 3600}, 30000},      // typed "in the future": the clock went back
        {{12, now + 86400}, 300000},
    };
    for (const Case& c : cases) {
        WrongPasswordWait wait;
        EXPECT_EQ(c.remainingMs, wait.Remaining(c.record, now, tick)) << c.record.count;
        // An hour later on the clock, ten seconds later on the tick count.
        const uint32_t later = c.remainingMs > 10000 ? c.remainingMs - 10000 : 0;
        EXPECT_EQ(later, wait.Remaining(c.record, now - 3600, tick + 10000)) << c.record.count;
    }
}

} // namespace
