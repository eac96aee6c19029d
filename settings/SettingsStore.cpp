#include "settings/SettingsStore.h"

#include <windows.h>

const char* const kKeyStartUp = "StartUp";
const char* const kKeyStretch = "Stretch";
const char* const kKeySaveMemoPadText = "SaveMemoPadText";
const char* const kKeyHideEudora = "HideEudora";
const char* const kKeyMemoPadText = "MemoPadText";
const char* const kKeyMemoPadTextUtf8 = "MemoPadTextUtf8";
const char* const kKeyPassword = "Password";
const char* const kKeyLockAfterMinutes = "LockAfterMinutes";
const char* const kKeyLockWithWindows = "LockWithWindows";
const char* const kKeyLocked = "Locked";
const char* const kKeyWrongPasswords = "WrongPasswords";
const char* const kKeyLastWrongPassword = "LastWrongPassword";

std::string SettingsPathFor(const std::string& configDirectory)
{
    return configDirectory + "\\" + "velmora.ini";
}

bool FileExists(const std::string& path)
{
    if (path.size() <= 3)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return true;
}

void CreateSettingsFolderIfMissing(const std::string& directory)
{
    if (directory.empty())
        return;
    const DWORD attributes = ::GetFileAttributesA(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        ::CreateDirectoryA(directory.c_str(), nullptr);
}
