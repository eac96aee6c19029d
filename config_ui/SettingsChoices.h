// The settings dialog's decisions, apart from its window: whether anything shown differs
// from what was opened, and what Apply refuses or writes. The dialog reads its controls,
// does the conversions that need the system, asks here and shows the answer.
#pragma once
#include <string>

#include "framework/WideText.h"
#include "settings/Settings.h"

// What the switches and the lock fields hold, as the dialog opened or as they are now.
struct SettingsShown {
    Switches switches;
    int lockWithWindows = 0;
    // The "Lock after" field's text.
    std::string lockMinutes;
};

// Which of the three password fields hold any text.
struct PasswordsTyped {
    bool old = false;
    bool fresh = false;
    bool again = false;
};

// Text in a password field, or a switch or lock setting other than at the opening.
bool HasUnappliedChanges(const SettingsShown& opened, const SettingsShown& now, const PasswordsTyped& typed);

// The question Enter asks about unapplied changes; it names Old Password while a
// password is set and that field is empty, since Yes would then be refused.
std::string ApplyChangesQuestion(const PasswordsTyped& typed, bool passwordSet);

// What Apply is given.
struct ApplyRequest {
    SettingsShown now;
    // The settings file is too large to read (damaged): nothing can be checked or
    // written; `fileName` names it in the refusal.
    bool fileUnreadable = false;
    std::string fileName;
    // Whether the file had each lock key when the dialog opened: a file without them
    // stays without them while both are off.
    bool lockMinutesStored = false;
    bool lockWithWindowsStored = false;
    // The Old Password field, read as the cover reads the password at unlock, is the
    // stored password.
    bool oldPasswordRight = false;
    // The two new fields as typed, and the first in the ANSI code page, with whether
    // that conversion kept every character.
    WideText fresh;
    WideText again;
    std::string freshAnsi;
    bool freshAnsiExact = true;
};

// The field a refusal puts the focus in (and selects), where the fault was typed.
enum class SettingsField { kNone, kLockMinutes };

struct ApplyAnswer {
    // The message that refuses Apply; empty when everything below is to be written.
    std::string refusal;
    SettingsField focus = SettingsField::kNone;
    Switches switches;
    LockSettings lock;
    // Both new fields empty: the password stays exactly as stored.
    bool changePassword = false;
    std::string newPassword;
};

// Apply's checks in the order the user meets them: the minutes, a file that cannot be
// read, the old password, the two new ones alike, then whether the file can keep the new
// one.
ApplyAnswer DecideApply(const ApplyRequest& request);
