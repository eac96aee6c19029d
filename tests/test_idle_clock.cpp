// When the cover is due after minutes without input: the later of the last input and
// the last cover end, tick counts that wrap, and stored values that mean "never".
#include <gtest/gtest.h>

#include <climits>

#include "plugin/IdleClock.h"
#include "settings/ProfileValue.h"

namespace {

constexpr uint32_t kMinute = 60000;

struct IdleCase {
    const char* name;
    int storedMinutes;
    IdleTimes times;
    bool lockNow;
    uint32_t wakeAfterMs;
};

// now, lastInput, coverEnded, lastCoverEnd
const IdleCase kCases[] = {
    {"off", 0, {10 * kMinute, 0, false, 0}, false, kMinute},
    {"negative", -5, {10 * kMinute, 0, false, 0}, false, kMinute},
    {"no number", ParseProfileInt("soon"), {10 * kMinute, 0, false, 0}, false, kMinute},
    {"a millisecond short", 1, {kMinute - 1, 0, false, 0}, false, 1},
    {"just due", 1, {kMinute, 0, false, 0}, true, kMinute},
    {"long due", 1, {50 * kMinute, 0, false, 0}, true, kMinute},
    {"far off: a minute at most", 5, {kMinute, 0, false, 0}, false, kMinute},
    {"half a minute left", 5, {4 * kMinute + 30000, 0, false, 0}, false, 30000},
    {"a recent unlock counts", 1, {20 * kMinute, 0, true, 20 * kMinute - 30000}, false, 30000},
    {"an old unlock does not", 1, {20 * kMinute, 20 * kMinute - 30000, true, 0}, false, 30000},
    {"unlock, then a minute", 1, {20 * kMinute, 0, true, 19 * kMinute}, true, kMinute},
    {"ticks wrapped since the input", 1, {0x1000, 0xFFFFF000u, false, 0}, false, kMinute - 0x2000},
    {"ticks wrapped since the unlock", 1, {0x1000, 0xFFFF0000u, true, 0xFFFFF000u}, false, kMinute - 0x2000},
    {"input read after now", 1, {5000, 5007, false, 0}, false, kMinute},
    {"above 999 counts as 999", 1000, {999 * kMinute, 0, false, 0}, true, kMinute},
    {"999 a millisecond short", INT_MAX, {999 * kMinute - 1, 0, false, 0}, false, 1},
};

class IdleClock : public ::testing::TestWithParam<IdleCase> {};

TEST_P(IdleClock, DecidesWhetherTheCoverIsDueAndWhenToLookAgain)
{
    const IdleCase& c = GetParam();
    const IdleDecision decision = DecideIdleLock(c.storedMinutes, c.times);
    EXPECT_EQ(c.lockNow, decision.lockNow);
    EXPECT_EQ(c.wakeAfterMs, decision.wakeAfterMs);
}

INSTANTIATE_TEST_SUITE_P(Cases, IdleClock, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<IdleCase>& row) {
                             std::string name;
                             for (const char* p = row.param.name; *p != '\0'; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

} // namespace
