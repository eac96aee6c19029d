// The values velmora.ini holds, as the plug-in means them, and the rules on them that need
// no file. The file itself, read and written, is SettingsFile (settings/SettingsFile.h).
#pragma once
#include <string>

#include "framework/WideText.h"

// ---- the switches -------------------------------------------------------------------

// The four switches as stored, with their defaults; only exactly 1 means on.
struct Switches {
    int startUp = 0;
    int stretch = 0;
    int saveMemoPadText = 1;
    int hideEudora = 0;
};

// ---- the lock by itself ---------------------------------------------------------------

// The longest LockAfterMinutes the settings dialog offers.
constexpr int kLongestLockAfterMinutes = 999;

struct LockSettings {
    // What the lock makes of the stored minutes: 0 (never) for 0, a negative value or
    // none at all, at most kLongestLockAfterMinutes.
    int afterMinutes = 0;
    // As stored; only exactly 1 means on.
    int withWindows = 0;
    // Whether the file has a line for each: a file that never had them keeps without.
    bool afterMinutesStored = false;
    bool withWindowsStored = false;
};

// ---- records the plug-in keeps for itself ---------------------------------------------

// The wrong passwords typed at the cover since the last unlock, and when the last one was
// typed (seconds since 1970, UTC); zero for none, and for values that are no number.
struct WrongPasswordRecord {
    int count = 0;
    long long lastTime = 0;

    bool operator==(const WrongPasswordRecord& other) const noexcept
    {
        return count == other.count && lastTime == other.lastTime;
    }
    bool operator!=(const WrongPasswordRecord& other) const noexcept { return !(*this == other); }
};
// ---- a save that did not go through ---------------------------------------------------

// Why the last group of writes was not made, as far as it is known.
enum class SaveProblem {
    Unknown,       // the folder missing, the file read-only or held: what the messages said before
    NoFileBeside,  // the journal (velmora.jnl) could not be made beside the file
    TooLarge,      // the file is too large to read (damaged)
};
// The sentence that names the problem to the user in a message; empty for Unknown.
std::string SaveProblemText(SaveProblem problem);
// The same cause as a line says it, naming the file ("no new file can be made beside
// velmora.ini"); empty for Unknown.
std::string SaveProblemCause(SaveProblem problem);

// What the lock makes of a stored LockAfterMinutes: 0 (never) for 0 and anything
// negative, at most kLongestLockAfterMinutes.
int EffectiveLockMinutes(int storedMinutes) noexcept;
