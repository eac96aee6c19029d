// How values travel through the profile (INI) functions, as plain string logic.
//
// The profile functions strip leading and trailing white space (blank, TAB, LF, VT, FF,
// CR and Ctrl+Z) and one pair of matching surrounding quotes from every value they
// read, and they write CR, LF and zero bytes raw, which breaks the value's line. These
// functions keep what is written readable back exactly.
#pragma once
#include <string>

// True when the profile functions can store the value and give it back whole: no CR,
// LF or zero byte.
bool IsStorableProfileValue(const std::string& value) noexcept;

// The text to write for a value: the value itself, or the value inside one pair of
// double quotes when it starts or ends with a character that a read would strip.
std::string QuoteProfileValue(const std::string& value);

// A file's bytes with the value `placeholder`, written by the profile writer as the one
// value of its key, replaced by `stored` (as written, quoted when needed): how a value too
// long for the profile writer gets into the file. False, the bytes untouched, unless the
// placeholder stands after "=" at the end of exactly one line.
bool PutValueInPlace(std::string& bytes, const std::string& placeholder, const std::string& stored);

// Parses a stored integer: leading white space, an optional sign, then decimal digits
// up to the first other character; no digits give 0. Values beyond the 32-bit range
// saturate at its ends.
int ParseProfileInt(const std::string& text) noexcept;
