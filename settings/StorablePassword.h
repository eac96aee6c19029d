// Which passwords the settings file can keep. The stored form of a character whose code
// XOR the key byte is a zero byte, CR or LF would end the Password value early or break
// its line, and such a password could never be matched again.
#pragma once
#include <string>

#include "framework/WideText.h"
#include "settings/SettingsLimits.h"

// The characters (codes 1-255, ascending) that cannot be part of a password scrambled
// with this key byte.
std::string UnstorablePasswordCharacters(unsigned char keyByte);

// The longest new password the settings dialog takes: far beyond any typed password,
// and far below what the profile writer keeps whole (its stored form is as long, quotes
// aside).
constexpr size_t kLongestPassword = 1000;
static_assert(kLongestPassword + 2 <= kLongestProfileWrite, "a password at its longest is written whole");

// True when the password's stored form (scrambled with ScramblerKey) can be written and
// read back whole.
bool IsStorablePassword(const std::string& password);

// Passwords are compared as the zero-terminated strings they are, byte for byte and
// case-sensitively. A stored value holding the key byte (never written by the plug-in,
// but a hand-edited file may) unscrambles to a zero byte that no edit control can hold:
// compared whole, no typed text would ever match it.
bool SamePassword(const std::string& typed, const std::string& plain) noexcept;
