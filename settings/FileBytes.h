// velmora.ini below the profile functions: its bytes read and written while no other
// program writes the file, the new file beside it that each write is made in, and the
// paths the profile functions can take.
#pragma once
#include <windows.h>

#include <string>

// How long a write waits for the file to be open nowhere else, so that it can be
// replaced, before it writes the file in place (still while no other program writes it).
constexpr DWORD kLongestReplaceWaitMs = 200;

// The profile functions take paths shorter than MAX_PATH only. Given a full path of
// exactly MAX_PATH characters, or a relative one that grows far past it, they read and
// write a file of some garbled name in another folder instead, and report success
// (measured under wine). A path that has no full form at all cannot name the file
// either.
bool FitsTheProfileFunctions(const std::string& path) noexcept;

// velmora.new beside velmora.ini: each write of the file is made there first, then put in
// its place whole, so that nobody ever reads the file half written (empty, say, while the
// profile writer rewrites it in place).
std::string NewFilePathFor(const std::string& settingsPath);

// The file opened so that no other program writes it meanwhile (its writes are refused,
// for as long as the handle is open), waiting from `since` for another program's write
// to end; none when it cannot be. Readers go on.
HANDLE OpenWhenUnwritten(const std::string& path, DWORD access, DWORD since) noexcept;

// The whole file as no write has it half made: read while no other program writes it,
// waiting for one that does. No bytes when there is no file.
bool ReadWhole(const std::string& path, std::string& bytes);

// A new file of exactly these bytes, on the disk before the result is true.
bool WriteNewFile(const std::string& path, const std::string& bytes);
