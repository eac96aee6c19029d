#include "settings/SettingsStore.h"

#include <windows.h>

#include <vector>

#include "framework/TextNumbers.h"
#include "settings/MemoCodec.h"
#include "settings/ProfileValue.h"

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
    for (DWORD size = kFirstReadSize;; size *= 2) {
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
    if (stored.size() > kLongestStoredValue || !FitsTheProfileFunctions(path))
        return false;
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(),
                                        path.c_str()) != FALSE;
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
    if (!FileExists(SettingsFilePath))
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

namespace {

// The whole file as bytes; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(file);
    return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

// Every value the plug-in reads, as it reads now.
std::string EveryValue()
{
    static const char* const keys[] = {kKeyStartUp, kKeyStretch, kKeySaveMemoPadText, kKeyHideEudora,
                                       kKeyMemoPadText, kKeyMemoPadTextUtf8, kKeyPassword, kKeyLockAfterMinutes,
                                       kKeyLockWithWindows};
    const std::string absent(1, '\x01');
    std::string values;
    for (const char* key : keys)
        values += ReadSettingString(kSettingsSection, key, absent, SettingsFilePath) + '\0';
    return values;
}

// Profile writes may wait in a cache; a record that must survive a crash or a power
// cut goes to the disk at once.
void FlushSettingsFile() noexcept
{
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath.c_str());
}

// Removes a record's line, written through; a file without it is left as it is (and
// not created). False when the file did not take the removal.
bool RemoveRecord(const char* key)
{
    if (!SettingPresent(key))
        return true;
    const bool removed = ::WritePrivateProfileStringA(kSettingsSection, key, nullptr,
                                                      SettingsFilePath.c_str()) != FALSE;
    FlushSettingsFile();
    return removed;
}

} // namespace

bool RecordLocked()
{
    // Without a file there is no password to keep anyone out, and the next request
    // must still find the file missing and offer the settings first.
    std::string original;
    if (!FileExists(SettingsFilePath) || !ReadFileBytes(SettingsFilePath, original))
        return false;
    const std::string values = EveryValue();
    if (!WriteSettingInt(kSettingsSection, kKeyLocked, 1, SettingsFilePath))
        return false;
    FlushSettingsFile();
    // Writing to an odd file (a hand-edited one, say) can change how the rest of it
    // reads, the password included: then the file goes back as it was, unrecorded.
    if (EveryValue() != values) {
        WriteFileBytes(SettingsFilePath, original);
        return false;
    }
    return true;
}

bool ClearLockedRecord()
{
    return RemoveRecord(kKeyLocked);
}

bool LockedRecorded()
{
    return ReadSettingInt(kSettingsSection, kKeyLocked, 0, SettingsFilePath) == 1;
}

int ReadWrongPasswordCount()
{
    return ReadSettingInt(kSettingsSection, kKeyWrongPasswords, 0, SettingsFilePath);
}

long long ReadLastWrongPasswordTime()
{
    const std::string text =
        ReadSettingString(kSettingsSection, kKeyLastWrongPassword, "", SettingsFilePath);
    // Digits only, few enough that no overflow is possible.
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    long long value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

bool RecordWrongPasswords(int count, long long lastTime)
{
    const bool written =
        WriteSettingInt(kSettingsSection, kKeyWrongPasswords, count, SettingsFilePath) &&
        WriteSettingString(kSettingsSection, kKeyLastWrongPassword, DecimalText(lastTime),
                           SettingsFilePath);
    FlushSettingsFile();
    return written;
}

bool ClearWrongPasswords()
{
    const bool countRemoved = RemoveRecord(kKeyWrongPasswords);
    return RemoveRecord(kKeyLastWrongPassword) && countRemoved;
}

int ReadLockAfterMinutes()
{
    return ReadSettingInt(kSettingsSection, kKeyLockAfterMinutes, 0, SettingsFilePath);
}

int EffectiveLockMinutes(int storedMinutes) noexcept
{
    if (storedMinutes <= 0)
        return 0;
    return storedMinutes > kLongestLockAfterMinutes ? kLongestLockAfterMinutes : storedMinutes;
}

int ReadLockWithWindows()
{
    return ReadSettingInt(kSettingsSection, kKeyLockWithWindows, 0, SettingsFilePath);
}

bool SettingPresent(const std::string& key)
{
    // A missing key gives back whichever default it is asked with.
    return ReadSettingString(kSettingsSection, key, "0", SettingsFilePath) ==
           ReadSettingString(kSettingsSection, key, "1", SettingsFilePath);
}

WideText LoadMemoPadText()
{
    const std::string ansi = ReadSettingString(kSettingsSection, kKeyMemoPadText, "", SettingsFilePath);
    const std::string escaped =
        ReadSettingString(kSettingsSection, kKeyMemoPadTextUtf8, "", SettingsFilePath);
    // The whole text only while MemoPadText still holds what was stored with it: a
    // version that knows only MemoPadText may have changed the memo since, and its
    // change wins.
    WideText whole;
    if (!escaped.empty() && FromEscapedUtf8(escaped, whole) && AnsiOrQuestionMarks(whole) == ansi)
        return StoredToMemo(whole);
    return StoredToMemo(WideFromAnsi(ansi));
}

bool SaveMemoPadText(const WideText& memoText)
{
    const WideText stored = MemoToStored(memoText);
    std::string ansi;
    bool written = false;
    if (ToAnsiExactly(stored, ansi)) {
        written = WriteSettingString(kSettingsSection, kKeyMemoPadText, ansi, SettingsFilePath) &&
                  RemoveRecord(kKeyMemoPadTextUtf8);
    } else {
        // The whole text first: until MemoPadText matches it, it is not used.
        written = WriteSettingString(kSettingsSection, kKeyMemoPadTextUtf8, EscapedUtf8(stored),
                                     SettingsFilePath) &&
                  WriteSettingString(kSettingsSection, kKeyMemoPadText, AnsiOrQuestionMarks(stored),
                                     SettingsFilePath);
    }
    // Saved while the cover is up: the client may be ended any moment after.
    FlushSettingsFile();
    return written;
}
