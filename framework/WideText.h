// Text as the Unicode windows hold it, and its way to and from the ANSI code page, in
// which the settings file and the password are kept.
#pragma once
#include <string>
#include <vector>

// UTF-16 code units, no terminating zero. A vector rather than std::wstring: the
// runtime's prebuilt wide strings would add some 40 KB to the plug-in.
using WideText = std::vector<wchar_t>;

// ANSI text as a Unicode window shows it.
WideText WideFromAnsi(const std::string& ansi);

// The text in the ANSI code page, exactly. False when some character has no exact
// equivalent there (a Cyrillic letter on a Western system, an emoji): the code page
// would put "?" or a look-alike in its place.
bool ToAnsiExactly(const WideText& text, std::string& ansi);

// The text in the ANSI code page with "?" for every character it lacks, never a
// look-alike: what a reader of the ANSI form can trust as far as it goes.
std::string AnsiOrQuestionMarks(const WideText& text);
