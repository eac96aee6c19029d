// The unlock's decisions as tables: the try, the memo written as the cover opens, and
// the question before a memo that could not be saved is dropped.
#include <gtest/gtest.h>

#include "cover/unlock/UnlockDecision.h"

namespace {

// What the field holds as Unlock is pressed.
enum class Typed { kNothing, kNothingAndNoPasswordIsSet, kAWrongPassword, kThePassword };

TEST(UnlockDecision, TheWaitComesFirstThenTheRightPasswordOpensAndOnlyAGuessCounts)
{
    struct Row {
        const char* name;
        uint32_t waitMs;
        Typed typed;
        bool fileUnreadable; // too large to read
        UnlockStep step;
    } const rows[] = {
        {"the password during a wait", 1, Typed::kThePassword, false, UnlockStep::kWait},
        {"a guess during a wait", 30000, Typed::kAWrongPassword, false, UnlockStep::kWait},
        {"no password set, during a wait", 1, Typed::kNothingAndNoPasswordIsSet, false, UnlockStep::kWait},
        {"an unreadable file during a wait", 1, Typed::kAWrongPassword, true, UnlockStep::kWait},
        {"a press on Unlock with nothing typed", 0, Typed::kNothing, false, UnlockStep::kRefuseUncounted},
        {"no password set, nothing typed", 0, Typed::kNothingAndNoPasswordIsSet, false, UnlockStep::kOpen},
        {"a guess", 0, Typed::kAWrongPassword, false, UnlockStep::kRefuseCounted},
        {"the password", 0, Typed::kThePassword, false, UnlockStep::kOpen},
        {"a guess, the file unreadable (nobody guessed)", 0, Typed::kAWrongPassword, true,
         UnlockStep::kRefuseFileUnreadable},
        {"no password set, the file unreadable (fails closed)", 0, Typed::kNothingAndNoPasswordIsSet, true,
         UnlockStep::kRefuseFileUnreadable},
    };
    for (const Row& row : rows) {
        const bool empty = row.typed == Typed::kNothing || row.typed == Typed::kNothingAndNoPasswordIsSet;
        const bool matches = row.typed == Typed::kThePassword || row.typed == Typed::kNothingAndNoPasswordIsSet;
        EXPECT_EQ(row.step, DecideUnlock(row.waitMs, empty, matches, row.fileUnreadable)) << row.name;
    }
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
    struct Row {
        const char* name;
        bool memoEmpty;
        bool fileHoldsIt;
        bool asks;
    } const rows[] = {
        {"an empty memo", true, false, false},
        {"a memo the file holds as it is", false, true, false},
        {"a memo typed since the file last held it", false, false, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.asks, AsksBeforeDroppingMemo(row.memoEmpty, row.fileHoldsIt)) << row.name;
}

} // namespace
