// Numbers as text, the way the C formats "%d" and "%08lx" and the scanner "%d" treat
// them, without pulling a whole formatted-I/O library into the plug-in.
#pragma once
#include <cstdint>
#include <string>

// Signed decimal text as "%d" writes it: no padding, a minus sign for negatives.
std::string DecimalText(long long value);
// Lower-case hexadecimal with at least `width` digits, zero-padded, as "%0*lx" writes it.
std::string HexText(uint32_t value, int width);
// Reads an integer as "%d" scans one: white space skipped, an optional sign, then at
// least one decimal digit. Advances `cursor` past it and returns true; leaves it alone
// and returns false when no integer is there.
bool ScanDecimal(const char*& cursor, int& value);
// Strict decimal: only digits, at least one and at most `maxDigits` (18 at most, so no
// overflow is possible). False for anything else: a sign, a blank, another character.
bool ParseDigits(const std::string& text, size_t maxDigits, long long& value) noexcept;
// A number typed into a field (the "Lock after" minutes): decimal digits, blanks around
// them allowed, a value of at most `longest`. False for anything else (empty, a sign,
// other characters).
bool ParseLockMinutes(const std::string& text, int longest, int& minutes);
