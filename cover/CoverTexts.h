// What the cover says: the lines below its face, each shown only while it applies, and
// its messages at Unlock.
#pragma once
#include <string>

#include "settings/Settings.h"

extern const char* const kIncorrectPasswordText;   // "Incorrect Password."
extern const char* const kCapsLockLine;
extern const char* const kNoPasswordLine;
// The lock could not be recorded, for `problem` (named when it is known).
std::string LockUnrecordedLine(SaveProblem problem);
// Also Unlock's refusal while the settings file cannot be read.
extern const char* const kFileUnreadableLine;
// The memo pad's line: the memo shown in part, the same once its end was changed (the rest
// then starts a line of its own), and a pad that takes no more typing.
extern const char* const kMemoPartLine;
extern const char* const kMemoPartSeamLine;
extern const char* const kMemoFullLine;

// Asked when the memo could not be saved at Unlock: the file it was saved to, and `why`
// (empty when the reason is not known).
std::string UnsavedMemoQuestion(const std::string& fileName, const std::string& why);
