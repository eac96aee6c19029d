// The names velmora.ini is made of, and the few file helpers the settings file needs that
// hold no state.
#pragma once
#include <string>

// Keys of the settings file (all in its one section).
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

// ConfigDirectory + "\" + "velmora.ini", whatever the directory ends with.
std::string SettingsPathFor(const std::string& configDirectory);

// True when an entry (file or directory) of that name exists. Paths of 3 characters or
// fewer (a bare drive root) never count.
bool FileExists(const std::string& path);

// Creates the settings folder itself (not its parents) when it does not exist yet.
void CreateSettingsFolderIfMissing(const std::string& directory);
