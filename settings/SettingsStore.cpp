#include "settings/SettingsStore.h"

#include <windows.h>

#include <vector>

#include "framework/TextNumbers.h"
#include "settings/ProfileValue.h"
#include "settings/WriteJournal.h"

const char* const kSettingsSection = "Settings";
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

// Module-wide: the settings file every read and write of the plug-in goes to, set and
// held from initialisation to finish.
std::string SettingsFilePath;
CFile HeldSettingsFile;
CFileException HeldFileError;

namespace {
constexpr DWORD kFirstReadSize = 256;
// A settings value never needs more; the cap only stops a runaway loop on a broken file.
constexpr DWORD kLargestRead = 1u << 20;
// The profile writer replaces a value of 32767 characters or more with a few stray
// characters and still reports success (measured under wine); 32766 come back whole.
constexpr size_t kLongestStoredValue = 32766;

// The profile functions take paths shorter than MAX_PATH only. Given a full path of
// exactly MAX_PATH characters, or a relative one that grows far past it, they read and
// write a file of some garbled name in another folder instead, and report success
// (measured under wine). A path that has no full form at all cannot name the file
// either.
bool FitsTheProfileFunctions(const std::string& path) noexcept
{
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    return needed != 0 && needed <= MAX_PATH;
}
} // namespace

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

std::string ReadSettingString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& path)
{
    if (!FitsTheProfileFunctions(path))
        return defaultValue;
    // The profile function cuts a value that does not fit and gives no error for it;
    // a result that fills the buffer means it may have been cut, so read again larger.
    std::vector<char> buffer;
    // Every call reads the whole file again (measured under wine: 0.7 ms more per call
    // with a file of 100 KB): a value too long for the first buffer gets the largest at
    // once.
    for (DWORD size = kFirstReadSize;; size = kLargestRead) {
        buffer.assign(size, '\0');
        const DWORD copied = ::GetPrivateProfileStringA(section.c_str(), key.c_str(),
                                                        defaultValue.c_str(), buffer.data(),
                                                        size, path.c_str());
        if (copied + 1 < size || size >= kLargestRead)
            return std::string(buffer.data(), copied < size ? copied : size - 1);
    }
}

int ReadSettingInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& path)
{
    return ParseProfileInt(ReadSettingString(section, key, DecimalText(defaultValue), path));
}

bool WriteSettingString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path)
{
    if (!IsStorableProfileValue(value))
        return false;
    const std::string stored = QuoteProfileValue(value);
    if (stored.size() > kLongestStoredValue || !FitsTheProfileFunctions(path) || !PrepareSettingsWrite(path))
        return false;
    const bool written = ::WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(),
                                                      path.c_str()) != FALSE;
    SettingsWritten(path);
    return written;
}

bool WriteSettingInt(const std::string& section, const std::string& key, int value,
                     const std::string& path)
{
    return WriteSettingString(section, key, DecimalText(value), path);
}

void CreateSettingsFolderIfMissing(const std::string& directory)
{
    if (directory.empty())
        return;
    const DWORD attributes = ::GetFileAttributesA(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        ::CreateDirectoryA(directory.c_str(), nullptr);
}

void CreateSettingsFileIfMissing()
{
    if (FileExists(SettingsFilePath))
        return;
    const SettingsWrite creation;
    WriteSettingString(kSettingsSection, kKeyPassword, "", SettingsFilePath);
}

void HoldSettingsFile()
{
    HeldSettingsFile.Open(SettingsFilePath.c_str(), CFile::modeRead | CFile::shareDenyNone,
                          &HeldFileError);
}

void ReleaseSettingsFile() noexcept
{
    HeldSettingsFile.Close();
}
