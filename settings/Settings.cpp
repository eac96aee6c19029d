#include "settings/Settings.h"

#include <windows.h>

#include "framework/File.h"
#include "framework/TextNumbers.h"
#include "settings/MemoCodec.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingsStore.h"
#include "settings/StorablePassword.h"
#include "settings/WriteJournal.h"

namespace {

// The whole file as bytes; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = ReadToEnd(file, bytes);
    ::CloseHandle(file);
    return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    if (!PrepareSettingsWrite(path))
        return false;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(file);
    SettingsWritten(path);
    return ok;
}

// Whether the key has a line of its own in the settings file.
bool SettingPresent(const std::string& key)
{
    // A missing key gives back whichever default it is asked with.
    return ReadSettingString(kSettingsSection, key, "0", SettingsFilePath) ==
           ReadSettingString(kSettingsSection, key, "1", SettingsFilePath);
}

int ReadInt(const char* key, int defaultValue)
{
    return ReadSettingInt(kSettingsSection, key, defaultValue, SettingsFilePath);
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

// Removes a record's line, written through; a file without it is left as it is (and
// not created). False when the file did not take the removal.
bool RemoveRecord(const char* key)
{
    if (!SettingPresent(key))
        return true;
    const SettingsWrite removal;
    if (!PrepareSettingsWrite(SettingsFilePath))
        return false;
    const bool removed = ::WritePrivateProfileStringA(kSettingsSection, key, nullptr,
                                                      SettingsFilePath.c_str()) != FALSE;
    SettingsWritten(SettingsFilePath);
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
    // The record and its putting back are one write: a crash leaves neither half.
    const SettingsWrite record;
    if (!WriteSettingInt(kSettingsSection, kKeyLocked, 1, SettingsFilePath))
        return false;
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
    return ReadInt(kKeyLocked, 0) == 1;
}

WrongPasswordRecord ReadWrongPasswordRecord()
{
    // Most covers never see a wrong password: one read tells.
    WrongPasswordRecord record;
    record.count = ReadInt(kKeyWrongPasswords, 0);
    if (record.count == 0)
        return record;
    // Digits only, few enough that no overflow is possible.
    long long time = 0;
    if (ParseDigits(ReadSettingString(kSettingsSection, kKeyLastWrongPassword, "", SettingsFilePath), 18, time))
        record.lastTime = time;
    return record;
}

bool RecordWrongPasswords(const WrongPasswordRecord& record)
{
    const SettingsWrite both;
    return WriteSettingInt(kSettingsSection, kKeyWrongPasswords, record.count, SettingsFilePath) &&
           WriteSettingString(kSettingsSection, kKeyLastWrongPassword, DecimalText(record.lastTime),
                              SettingsFilePath);
}

bool ClearWrongPasswords()
{
    const SettingsWrite both;
    const bool countRemoved = RemoveRecord(kKeyWrongPasswords);
    return RemoveRecord(kKeyLastWrongPassword) && countRemoved;
}

int ReadLockAfterMinutes()
{
    return ReadInt(kKeyLockAfterMinutes, 0);
}

int EffectiveLockMinutes(int storedMinutes) noexcept
{
    if (storedMinutes <= 0)
        return 0;
    return storedMinutes > kLongestLockAfterMinutes ? kLongestLockAfterMinutes : storedMinutes;
}

int ReadLockWithWindows()
{
    return ReadInt(kKeyLockWithWindows, 0);
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
    // Saved while the cover is up, when the client may be ended any moment: the memo and
    // its side key are one write.
    const SettingsWrite save;
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
    return written;
}

void UseSettingsFolder(const std::string& configDirectory)
{
    SettingsFilePath = SettingsPathFor(configDirectory);
    CreateSettingsFolderIfMissing(configDirectory);
    // Before anything reads the file: a write cut by a crash is undone first.
    RecoverInterruptedWrite(SettingsFilePath);
    CreateSettingsFileIfMissing();
    HoldSettingsFile();
}

void ReleaseSettings() noexcept
{
    ReleaseSettingsFile();
}

bool SettingsFileExists()
{
    return FileExists(SettingsFilePath);
}

const std::string& SettingsFileName() noexcept
{
    return SettingsFilePath;
}

std::string ReleaseNotesFile(const std::string& pluginFolder)
{
    const std::string& settings = SettingsFilePath;
    const std::string besideSettings = settings.substr(0, settings.size() >= 3 ? settings.size() - 3 : 0) + "txt";
    const std::string besidePlugin = pluginFolder.empty() ? "" : pluginFolder + "\\velmora.txt";
    for (const std::string& notes : {besideSettings, besidePlugin}) {
        if (FileExists(notes))
            return notes;
    }
    return std::string();
}

Switches ReadSwitches()
{
    Switches switches;
    switches.startUp = ReadInt(kKeyStartUp, switches.startUp);
    switches.stretch = ReadInt(kKeyStretch, switches.stretch);
    switches.saveMemoPadText = ReadInt(kKeySaveMemoPadText, switches.saveMemoPadText);
    switches.hideEudora = ReadInt(kKeyHideEudora, switches.hideEudora);
    return switches;
}

LockSettings ReadLockSettings()
{
    LockSettings lock;
    lock.afterMinutes = EffectiveLockMinutes(ReadLockAfterMinutes());
    lock.afterMinutesStored = SettingPresent(kKeyLockAfterMinutes);
    lock.withWindows = ReadLockWithWindows();
    lock.withWindowsStored = SettingPresent(kKeyLockWithWindows);
    return lock;
}

bool SaveSettings(const Switches& switches, const LockSettings& lock)
{
    const SettingsWrite apply;
    const auto write = [](const char* key, int value) {
        return WriteSettingInt(kSettingsSection, key, value, SettingsFilePath);
    };
    if (!write(kKeyStartUp, switches.startUp) || !write(kKeyStretch, switches.stretch) ||
        !write(kKeySaveMemoPadText, switches.saveMemoPadText) || !write(kKeyHideEudora, switches.hideEudora))
        return false;
    // Both lock settings off in a file that never had them: the file stays as before.
    if ((lock.afterMinutesStored || lock.afterMinutes != 0) && !write(kKeyLockAfterMinutes, lock.afterMinutes))
        return false;
    return !(lock.withWindowsStored || lock.withWindows != 0) || write(kKeyLockWithWindows, lock.withWindows);
}

namespace {

std::string StoredPassword()
{
    return ReadSettingString(kSettingsSection, kKeyPassword, "", SettingsFilePath);
}

} // namespace

bool PasswordMatches(const std::string& typed)
{
    return SamePassword(typed, Scramble(StoredPassword(), ScramblerKey));
}

bool StoreNewPassword(const std::string& password)
{
    // With the old password put back, when that is needed.
    const SettingsWrite change;
    const std::string previous = StoredPassword();
    const std::string stored = Scramble(password, ScramblerKey);
    const bool written = WriteSettingString(kSettingsSection, kKeyPassword, stored, SettingsFilePath);
    const std::string readBack = StoredPassword();
    if (written && readBack == stored)
        return true;
    // The file holds neither what was asked nor, perhaps, the old password: put the old
    // one back so that the password stays one the user knows.
    if (readBack != previous)
        WriteSettingString(kSettingsSection, kKeyPassword, previous, SettingsFilePath);
    return false;
}

bool ApplySettings(const Switches& switches, const LockSettings& lock, const std::string* newPassword)
{
    const SettingsWrite apply;
    return SaveSettings(switches, lock) && (newPassword == nullptr || StoreNewPassword(*newPassword));
}
