// The texts the settings dialog shows in its message boxes.
#pragma once
#include <string>

#include "settings/Settings.h"

extern const char* const kIncorrectOldPasswordText; // "Incorrect old password."
extern const char* const kPasswordsDontMatchText;

// Asked when Enter would close the dialog with changes not applied yet (Yes, No, Cancel).
extern const char* const kApplyChangesQuestion;
// Said in that question while a password is set and Old Password is empty: Yes would be
// refused, for the switches too.
extern const char* const kOldPasswordNeededNote;

// Names the characters a new password cannot hold, e.g. "'", "*" or a space.
std::string UnstorablePasswordText(const std::string& characters);

// Says that a new password has a character the system's code page cannot keep.
extern const char* const kPasswordOutsideCodePageText;

// Says that a new password is longer than `longest` characters.
std::string PasswordTooLongText(size_t longest);

// Says that the settings could not be saved in the file at `path`, and why when known.
std::string SettingsNotSavedText(const std::string& path, SaveProblem problem = SaveProblem::Unknown);

// Says what the "Lock after" field takes: whole minutes from 0 to `longest`, 0 for never.
std::string BadLockMinutesText(int longest);
