// What each setting of velmora.ini means, in one place: its key, its default and its
// rule. Callers ask for what they mean; nothing outside this folder names a section, a
// key, a default or the settings file's path.
#pragma once
#include <string>

#include "framework/WideText.h"

// ---- the file ---------------------------------------------------------------------

// The settings file in the folder the host names (created when missing, with the file
// itself), held open until ReleaseSettings.
void UseSettingsFolder(const std::string& configDirectory);
void ReleaseSettings() noexcept;
bool SettingsFileExists();
// The file's full name, for messages that name it.
const std::string& SettingsFileName() noexcept;
// velmora.txt beside velmora.ini; failing that, the one beside the loaded plug-in in
// `pluginFolder` (installed by hand into the client's program folder, say). Empty when
// neither exists.
std::string ReleaseNotesFile(const std::string& pluginFolder);

// ---- the switches -------------------------------------------------------------------

// The four switches as stored, with their defaults; only exactly 1 means on.
struct Switches {
    int startUp = 0;
    int stretch = 0;
    int saveMemoPadText = 1;
    int hideEudora = 0;
};
Switches ReadSwitches();

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
LockSettings ReadLockSettings();

// Apply's writes: the switches, then the lock settings (each only where the file has
// its line or it is on). False as soon as the file does not take one.
bool SaveSettings(const Switches& switches, const LockSettings& lock);

// Apply: SaveSettings, then the new password when one is given (StoreNewPassword), as
// one write: a crash on the way leaves the file as before or as after, never a mix.
bool ApplySettings(const Switches& switches, const LockSettings& lock, const std::string* newPassword);

// ---- the password ---------------------------------------------------------------------

// Whether the typed text is the stored password (read afresh, unscrambled, compared
// byte for byte).
bool PasswordMatches(const std::string& typed);
// Stores a new password (one IsStorablePassword takes). False when the file did not
// take it; the old password is then put back, so it stays one the user knows.
bool StoreNewPassword(const std::string& password);

// ---- records the plug-in keeps for itself ---------------------------------------------

// The record of a lock that must outlive the client: Locked=1, written through to the
// disk at once when a cover comes up (into an existing file only: none is created for
// it); the key is removed at unlock. Both report whether the file took the change; a
// file that cannot be written stops nothing.
bool RecordLocked();
bool ClearLockedRecord();
// True when the file records a cover that was never unlocked (Locked is exactly 1).
bool LockedRecorded();

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
WrongPasswordRecord ReadWrongPasswordRecord();
// Written through to the disk at once; false when the file did not take it. Clearing
// removes both lines (the file stays as it is when it has neither).
bool RecordWrongPasswords(const WrongPasswordRecord& record);
bool ClearWrongPasswords();

// LockAfterMinutes as stored (any number), 0 when missing.
int ReadLockAfterMinutes();
// What the lock makes of a stored LockAfterMinutes: 0 (never) for 0 and anything
// negative, at most kLongestLockAfterMinutes.
int EffectiveLockMinutes(int storedMinutes) noexcept;
// LockWithWindows as stored; only exactly 1 means on.
int ReadLockWithWindows();

// The memo pad text, in the form the memo control shows (CR LF line breaks), every
// character kept whatever the ANSI code page holds. Saving writes through to the disk;
// false when the file did not take it.
WideText LoadMemoPadText();
bool SaveMemoPadText(const WideText& memoText);
