// The unlock's decisions as tables: the try, the memo written as the cover opens, and
// the question before a memo that could not be saved is dropped.
#include <gtest/gtest.h>

#include "cover/unlock/UnlockDecision.h"

namespace {

TEST(UnlockDecision, TheWaitComesFirstThenTheRightPasswordOpensAndOnlyAGuessCounts)
{
    struct Row {
        uint32_t waitMs;
        bool fieldEmpty;
        bool matches;
        UnlockStep step;
        bool unreadable = false;   // the settings file is too large to read
    } const rows[] = {
        {1, false, true, UnlockStep::kWait},       // the right password during the wait
        {30000, false, false, UnlockStep::kWait},
        {1, true, true, UnlockStep::kWait},         // no password set, yet the wait runs
        {0, true, false, UnlockStep::kRefuseUncounted},
        {0, true, true, UnlockStep::kOpen},         // no password set
        {0, false, false, UnlockStep::kRefuseCounted},
        {0, false, true, UnlockStep::kOpen},
        {0, false, false, UnlockStep::kRefuseFileUnreadable, true},   // not counted: nobody guessed
        {0, true, true, UnlockStep::kRefuseFileUnreadable, true},     // fail closed, whatever matched
        {1, false, false, UnlockStep::kWait, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.step, DecideUnlock(row.waitMs, row.fieldEmpty, row.matches, row.unreadable))
            << row.waitMs << " ms, empty " << row.fieldEmpty << ", matches " << row.matches << ", unreadable "
            << row.unreadable;
}

TEST(UnlockDecision, TheMemoIsWrittenOnlyWithTheSwitchOnAndOnlyWhenItChanged)
{
    const WideText loaded{L'o', L'l', L'd'};
    const WideText typed{L'n', L'e', L'w'};
    struct Row {
        const char* name;
        bool switchOn;
        const WideText& now;
        bool saves;
    } const rows[] = {
        {"switch off, typed", false, typed, false},
        {"untouched", true, loaded, false},
        {"typed", true, typed, true},
        {"emptied", true, WideText(), true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.saves, SavesMemoAtUnlock(row.switchOn, row.now, loaded)) << row.name;
}

TEST(UnlockDecision, AMemoThatCouldNotBeSavedIsDroppedUnaskedOnlyWhenNothingIsLost)
{
    EXPECT_FALSE(AsksBeforeDroppingMemo(true, false)) << "an empty memo";
    EXPECT_FALSE(AsksBeforeDroppingMemo(false, true)) << "the file holds it as it is";
    EXPECT_TRUE(AsksBeforeDroppingMemo(false, false));
}

} // namespace
