// The unlock's decisions, apart from the cover's window: whether a try is tried at all
// and how it ends, and what becomes of the memo as the cover opens.
#pragma once
#include <cstdint>

#include "framework/WideText.h"

enum class UnlockStep {
    // A wait after wrong passwords runs: no password is tried, the right one neither,
    // so guessing gains nothing however Unlock is pressed.
    kWait,
    // An empty field that is not the password: nobody's guess (a child, a visitor
    // pressing the button), refused but never holding the owner off.
    kRefuseUncounted,
    // A wrong password: refused and counted towards the wait.
    kRefuseCounted,
    // The settings file cannot be read, so no password can be checked: refused, not
    // counted (nobody guessed), and the cover stays up until the file is repaired.
    kRefuseFileUnreadable,
    kOpen,
};

// `waitMs`: until a password is tried again; `typedMatches`: the field holds the stored
// password; `fileUnreadable`: the settings file is too large to read (damaged).
UnlockStep DecideUnlock(uint32_t waitMs, bool fieldEmpty, bool typedMatches, bool fileUnreadable) noexcept;

// Whether the cover, opening, writes the memo `now` in its pad: only with the switch on,
// and only when it differs from `known`, the memo as loaded or last saved. The save while
// typing has written every change already; an untouched memo written back could only
// undo another program's change, or cut a memo shown in part.
bool SavesMemoAtUnlock(bool switchOn, const WideText& now, const WideText& known);

// After the memo could not be saved: whether to ask before the cover closes all the
// same. An empty memo, or one the file holds as it is, loses nothing.
bool AsksBeforeDroppingMemo(bool memoEmpty, bool fileHoldsIt) noexcept;
