// velmora.ini: the one file that holds the plug-in's state, read and written through
// the Windows profile functions. Nothing is cached: every read goes to the file.
#pragma once
#include <string>

#include "framework/File.h"

// Section and keys of the settings file.
extern const char* const kSettingsSection;   // "Settings"
extern const char* const kKeyStartUp;
extern const char* const kKeyStretch;
extern const char* const kKeySaveMemoPadText;
extern const char* const kKeyHideEudora;
extern const char* const kKeyMemoPadText;
// The memo whole, as escaped UTF-8, when MemoPadText cannot hold every character of it.
extern const char* const kKeyMemoPadTextUtf8;
extern const char* const kKeyPassword;
// Minutes without input before the cover comes up by itself (0 or anything else: never).
extern const char* const kKeyLockAfterMinutes;
// 1: the cover comes up when Windows locks the session or the computer goes to sleep.
extern const char* const kKeyLockWithWindows;
// 1 while a cover is up, so that a lock survives the end of the client.
extern const char* const kKeyLocked;
// Wrong passwords typed at the cover since the last unlock, and when the last one was
// typed (seconds since 1970, UTC), so that the wait after them outlives the client.
extern const char* const kKeyWrongPasswords;
extern const char* const kKeyLastWrongPassword;

// Full path of velmora.ini; set once by initialisation.
extern std::string SettingsFilePath;
// The settings file, held open from initialisation to shut-down so it is not removed
// under the plug-in, and the record of why holding it failed.
extern CFile HeldSettingsFile;
extern CFileException HeldFileError;

// ConfigDirectory + "\" + "velmora.ini", whatever the directory ends with.
std::string SettingsPathFor(const std::string& configDirectory);

// True when an entry (file or directory) of that name exists. Paths of 3 characters or
// fewer (a bare drive root) never count.
bool FileExists(const std::string& path);

// The whole stored value, however long, or the default when the file, section or key
// is missing, or when the path is one the profile functions cannot take (MAX_PATH
// characters or more in full).
std::string ReadSettingString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& path);
// The stored number (see ParseProfileInt), or the default when the key is missing.
int ReadSettingInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& path);
// Writes the value so that it reads back exactly. A value with CR, LF or a zero byte, or
// one too long for the profile functions (over 32766 characters as stored), cannot be
// stored, nor can any value under a path they cannot take (as for reads): nothing is
// written and the result is false. Inside a group of writes (SettingsWrite) the file is
// journalled before its first write, and nothing is written when it cannot be. Otherwise
// the result is whether the profile function reported success.
bool WriteSettingString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path);
bool WriteSettingInt(const std::string& section, const std::string& key, int value,
                     const std::string& path);

// Creates the settings folder itself (not its parents) when it does not exist yet.
void CreateSettingsFolderIfMissing(const std::string& directory);
// First-run creation: a file with an empty Password when none exists.
void CreateSettingsFileIfMissing();
// Opens SettingsFilePath into HeldSettingsFile (read-only, shared for reading and
// writing, inheritable, existing file only); a failure is recorded in HeldFileError.
void HoldSettingsFile();
void ReleaseSettingsFile() noexcept;
