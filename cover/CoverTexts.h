// What the cover says: the lines below its face, each shown only while it applies, and
// its messages at Unlock.
#pragma once
#include <string>

extern const char* const kIncorrectPasswordText;   // "Incorrect Password."
extern const char* const kCapsLockLine;
extern const char* const kNoPasswordLine;
extern const char* const kLockUnrecordedLine;
// The same, when the cause is known: no file can be made beside velmora.ini for its journal.
extern const char* const kLockUnrecordedNoFileBesideLine;
// Also Unlock's refusal while the settings file cannot be read.
extern const char* const kFileUnreadableLine;

// Asked when the memo could not be saved at Unlock: the file it was saved to, and `why`
// (empty when the reason is not known).
std::string UnsavedMemoQuestion(const std::string& fileName, const std::string& why);
