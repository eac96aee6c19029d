// How large velmora.ini and its values may be, in one place: what the plug-in reads of the
// file, what the profile writer keeps whole, what the file stores of a memo, what the pad is
// given of a stored memo, and what can be typed into it. They agree: whatever the pad is
// given or holds can be saved, in any script, together with the part it was not given, and
// read again.
#pragma once
#include <cstddef>

// The largest velmora.ini the plug-in reads: a file many times larger than all its values
// at their longest. A larger one is damaged (or not the plug-in's): it is neither read
// nor written, nor journalled.
constexpr size_t kLargestSettingsFile = 4u << 20;
// The same, as the messages that name it say it.
#define VELMORA_LARGEST_SETTINGS_FILE_TEXT "4 MB"

// The profile writer replaces a value of 32767 characters or more with a few stray
// characters and still reports success (measured under wine: 32766 written characters,
// quotes included, come back whole). A longer memo value is put into the file's bytes by
// the plug-in itself (see IniFile::WriteLongString); the profile reader reads it whole.
constexpr size_t kLongestProfileWrite = 32766;

// Longest value of each of the memo's keys (MemoPadText, MemoPadTextUtf8) as written,
// quotes included: read whole by earlier versions too (their largest read is 1 MB, its
// terminating zero and a character to tell a cut value included).
constexpr size_t kLongestStoredMemo = (1u << 20) - 2;
// Both memo values at their longest, with room for every other key, in a file read whole.
static_assert(2 * kLongestStoredMemo + (64u << 10) <= kLargestSettingsFile, "a memo saved can be read again");

// Longest memo that can be typed into the pad, counted as the edit control counts it (a
// line break is two characters there, one TAB in the file).
constexpr int kMemoTypedLimit = 30000;
// Longest start of a stored memo the pad is given (the pad wraps its lines, which takes
// time): twice what can be typed, so that whatever it held comes back whole, lone line
// breaks too (one character in the pad, a CR LF pair after a save). The rest of a longer
// memo stays after it in the file.
constexpr int kLongestGivenMemo = 2 * kMemoTypedLimit;

// The longest stored form of one character of the pad: a unit of the Basic Multilingual
// Plane as three UTF-8 bytes, each escaped as %XX (a pair beyond it costs 12 for two).
// The ANSI form takes at most two bytes a unit, in any code page.
constexpr size_t kLongestEscapedUnit = 9;
static_assert(kLongestGivenMemo * kLongestEscapedUnit + 2 <= kLongestStoredMemo,
              "whatever the pad is given or holds can be saved, in any script");
