#include "settings/SettingsFile.h"

#include <windows.h>

#include <vector>

#include "framework/ScopedHandle.h"
#include "framework/TextNumbers.h"
#include "settings/MemoCodec.h"
#include "settings/MemoLimit.h"
#include "settings/PasswordScrambler.h"
#include "settings/ProfileValue.h"
#include "settings/SettingsStore.h"
#include "settings/StorablePassword.h"

namespace {

// The file's one section.
const char* const kSection = "Settings";

constexpr DWORD kFirstReadSize = 256;
// No value is longer than the largest file read, so every value reads whole.
constexpr DWORD kLargestRead = kLargestSettingsFile + 1;
// Both memo values at their longest, with room for every other key, in a file read whole.
static_assert(2 * kLongestStoredMemo + (64u << 10) <= kLargestSettingsFile, "a memo saved can be read again");

// Each memo save's stand-in value, before the plug-in puts the long value in its place.
std::string PlaceholderValue()
{
    return "velmora-long-value-" + DecimalText(static_cast<int>(::GetCurrentProcessId())) + "-" +
           DecimalText(static_cast<int>(::GetTickCount() & 0x7FFFFFFF));
}

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

// The whole file as bytes; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    const ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid() && ReadToEnd(file.Get(), kLargestSettingsFile, bytes);
}

// The conversions of WideText.h, for the memo's stored form.
class WindowsCodePage final : public AnsiCodePage {
public:
    bool Exactly(const WideText& text, std::string& ansi) const override { return ToAnsiExactly(text, ansi); }
    std::string OrQuestionMarks(const WideText& text) const override { return AnsiOrQuestionMarks(text); }
};

} // namespace

SettingsFile::SettingsFile(const std::string& path, WriteObserver* observer)
    : path_(path), journal_(path_, observer)
{
}

SettingsFile::~SettingsFile() = default;

// ---- the file -----------------------------------------------------------------------

void SettingsFile::UseFolder(const std::string& configDirectory)
{
    UsePath(SettingsPathFor(configDirectory));
    CreateSettingsFolderIfMissing(configDirectory);
    // Before anything reads the file: a write cut by a crash is undone first.
    journal_.UndoInterruptedWrite();
    CreateIfMissing();
    held_.Open(path_.c_str(), CFile::modeRead | CFile::shareDenyNone, &holdError_);
}

void SettingsFile::Release() noexcept
{
    held_.Close();
}

void SettingsFile::CreateIfMissing()
{
    if (!Exists())
        WriteString(BeginWrite(), kKeyPassword, "");
}

bool SettingsFile::Exists() const
{
    return FileExists(path_);
}

std::string SettingsFile::ReleaseNotesFile(const std::string& pluginFolder) const
{
    const std::string besideSettings = path_.substr(0, path_.size() >= 3 ? path_.size() - 3 : 0) + "txt";
    const std::string besidePlugin = pluginFolder.empty() ? "" : pluginFolder + "\\velmora.txt";
    for (const std::string& notes : {besideSettings, besidePlugin}) {
        if (FileExists(notes))
            return notes;
    }
    return std::string();
}

// ---- single values, by key ---------------------------------------------------------

bool SettingsFile::Damaged() const
{
    // The profile functions read the whole file into memory at every call.
    WIN32_FILE_ATTRIBUTE_DATA data;
    return ::GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data) &&
           (data.nFileSizeHigh != 0 || data.nFileSizeLow > kLargestSettingsFile);
}

SaveProblem SettingsFile::LastSaveProblem() const
{
    if (Damaged())
        return SaveProblem::TooLarge;
    return journal_.JournalNotMade() ? SaveProblem::NoFileBeside : SaveProblem::Unknown;
}

std::string SettingsFile::ReadString(const char* key, const std::string& defaultValue) const
{
    if (!FitsTheProfileFunctions(path_) || Damaged())
        return defaultValue;
    // The profile function cuts a value that does not fit and gives no error for it;
    // a result that fills the buffer means it may have been cut, so read again larger.
    std::vector<char> buffer;
    // Every call reads the whole file again (measured under wine: 0.7 ms more per call
    // with a file of 100 KB): a value too long for the first buffer gets the largest at
    // once.
    for (DWORD size = kFirstReadSize;; size = kLargestRead) {
        buffer.assign(size, '\0');
        const DWORD copied = ::GetPrivateProfileStringA(kSection, key, defaultValue.c_str(), buffer.data(), size,
                                                        path_.c_str());
        if (copied + 1 < size || size >= kLargestRead)
            return std::string(buffer.data(), copied < size ? copied : size - 1);
    }
}

int SettingsFile::ReadInt(const char* key, int defaultValue) const
{
    return ParseProfileInt(ReadString(key, DecimalText(defaultValue)));
}

bool SettingsFile::WriteString(const WriteGroup& group, const char* key, const std::string& value)
{
    if (!IsStorableProfileValue(value))
        return false;
    const std::string stored = QuoteProfileValue(value);
    if (stored.size() > kLongestProfileWrite || !FitsTheProfileFunctions(path_))
        return false;
    return group.Make([&] {
        return ::WritePrivateProfileStringA(kSection, key, stored.c_str(), path_.c_str()) != FALSE;
    });
}

bool SettingsFile::WriteMemoValue(const WriteGroup& group, const char* key, const std::string& value)
{
    if (!IsStorableProfileValue(value))
        return false;
    const std::string stored = QuoteProfileValue(value);
    if (stored.size() <= kLongestProfileWrite)
        return WriteString(group, key, value);
    if (stored.size() > kLongestStoredMemo)
        return false;
    // The profile writer finds (or makes) the key's line; the value goes into it after.
    std::string original, bytes;
    const std::string placeholder = PlaceholderValue();
    if (!ReadFileBytes(path_, original) || !WriteString(group, key, placeholder))
        return false;
    if (!ReadFileBytes(path_, bytes) || !PutValueInPlace(bytes, placeholder, stored)) {
        // Never a stand-in left for the memo: the file goes back as it was.
        WriteWholeFile(group, original);
        return false;
    }
    return WriteWholeFile(group, bytes);
}

bool SettingsFile::WriteInt(const WriteGroup& group, const char* key, int value)
{
    return WriteString(group, key, DecimalText(value));
}

bool SettingsFile::RemoveKey(const WriteGroup& group, const char* key)
{
    if (!KeyPresent(key))
        return true;
    return group.Make([&] { return ::WritePrivateProfileStringA(kSection, key, nullptr, path_.c_str()) != FALSE; });
}

bool SettingsFile::WriteWholeFile(const WriteGroup& group, const std::string& bytes)
{
    return group.Make([&] {
        const ScopedHandle file(::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        return file.IsValid() &&
               ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    });
}

bool SettingsFile::KeyPresent(const char* key) const
{
    // A missing key gives back whichever default it is asked with.
    return ReadString(key, "0") == ReadString(key, "1");
}

// Every value the plug-in reads, as it reads now.
std::string SettingsFile::EveryValue() const
{
    static const char* const keys[] = {kKeyStartUp, kKeyStretch, kKeySaveMemoPadText, kKeyHideEudora,
                                       kKeyMemoPadText, kKeyMemoPadTextUtf8, kKeyPassword, kKeyLockAfterMinutes,
                                       kKeyLockWithWindows};
    const std::string absent(1, '\x01');
    std::string values;
    for (const char* key : keys)
        values += ReadString(key, absent) + '\0';
    return values;
}

// ---- the settings -------------------------------------------------------------------

Switches SettingsFile::ReadSwitches() const
{
    Switches switches;
    switches.startUp = ReadInt(kKeyStartUp, switches.startUp);
    switches.stretch = ReadInt(kKeyStretch, switches.stretch);
    switches.saveMemoPadText = ReadInt(kKeySaveMemoPadText, switches.saveMemoPadText);
    switches.hideEudora = ReadInt(kKeyHideEudora, switches.hideEudora);
    return switches;
}

LockSettings SettingsFile::ReadLockSettings() const
{
    LockSettings lock;
    lock.afterMinutes = EffectiveLockMinutes(ReadLockAfterMinutes());
    lock.afterMinutesStored = KeyPresent(kKeyLockAfterMinutes);
    lock.withWindows = ReadLockWithWindows();
    lock.withWindowsStored = KeyPresent(kKeyLockWithWindows);
    return lock;
}

int SettingsFile::ReadLockAfterMinutes() const
{
    return ReadInt(kKeyLockAfterMinutes, 0);
}

int SettingsFile::ReadLockWithWindows() const
{
    return ReadInt(kKeyLockWithWindows, 0);
}

bool SettingsFile::SaveSettings(const WriteGroup& group, const Switches& switches, const LockSettings& lock)
{
    const auto write = [&](const char* key, int value) { return WriteInt(group, key, value); };
    if (!write(kKeyStartUp, switches.startUp) || !write(kKeyStretch, switches.stretch) ||
        !write(kKeySaveMemoPadText, switches.saveMemoPadText) || !write(kKeyHideEudora, switches.hideEudora))
        return false;
    // Both lock settings off in a file that never had them: the file stays as before.
    if ((lock.afterMinutesStored || lock.afterMinutes != 0) && !write(kKeyLockAfterMinutes, lock.afterMinutes))
        return false;
    return !(lock.withWindowsStored || lock.withWindows != 0) || write(kKeyLockWithWindows, lock.withWindows);
}

bool SettingsFile::ApplySettings(const Switches& switches, const LockSettings& lock, const std::string* newPassword)
{
    const WriteGroup apply = BeginWrite();
    return SaveSettings(apply, switches, lock) && (newPassword == nullptr || StoreNewPassword(apply, *newPassword));
}

// ---- the password -------------------------------------------------------------------

std::string SettingsFile::StoredPassword() const
{
    return ReadString(kKeyPassword, "");
}

bool SettingsFile::PasswordMatches(const std::string& typed) const
{
    // A password that cannot be read matches nothing: the cover stays up.
    if (Damaged())
        return false;
    return SamePassword(typed, Scramble(StoredPassword(), ScramblerKey));
}

bool SettingsFile::StoreNewPassword(const WriteGroup& group, const std::string& password)
{
    const std::string previous = StoredPassword();
    const std::string stored = Scramble(password, ScramblerKey);
    const bool written = WriteString(group, kKeyPassword, stored);
    const std::string readBack = StoredPassword();
    if (written && readBack == stored)
        return true;
    // The file holds neither what was asked nor, perhaps, the old password: put the old
    // one back so that the password stays one the user knows.
    if (readBack != previous)
        WriteString(group, kKeyPassword, previous);
    return false;
}

// ---- records the plug-in keeps for itself -------------------------------------------

bool SettingsFile::RecordLocked()
{
    // Without a file there is no password to keep anyone out, and the next request
    // must still find the file missing and offer the settings first.
    std::string original;
    if (!Exists() || !ReadFileBytes(path_, original))
        return false;
    const std::string values = EveryValue();
    // The record and its putting back are one write: a crash leaves neither half.
    const WriteGroup record = BeginWrite();
    if (!WriteInt(record, kKeyLocked, 1))
        return false;
    // Writing to an odd file (a hand-edited one, say) can change how the rest of it
    // reads, the password included: then the file goes back as it was, unrecorded.
    if (EveryValue() != values) {
        WriteWholeFile(record, original);
        return false;
    }
    return true;
}

bool SettingsFile::ClearLockedRecord()
{
    return RemoveKey(BeginWrite(), kKeyLocked);
}

bool SettingsFile::LockedRecorded() const
{
    // A lock may be recorded in a file that cannot be read: the cover comes up.
    return Damaged() || ReadInt(kKeyLocked, 0) == 1;
}

WrongPasswordRecord SettingsFile::ReadWrongPasswordRecord() const
{
    // Most covers never see a wrong password: one read tells.
    WrongPasswordRecord record;
    record.count = ReadInt(kKeyWrongPasswords, 0);
    if (record.count == 0)
        return record;
    // Digits only, few enough that no overflow is possible.
    long long time = 0;
    if (ParseDigits(ReadString(kKeyLastWrongPassword, ""), 18, time))
        record.lastTime = time;
    return record;
}

bool SettingsFile::RecordWrongPasswords(const WrongPasswordRecord& record)
{
    const WriteGroup both = BeginWrite();
    return WriteInt(both, kKeyWrongPasswords, record.count) &&
           WriteString(both, kKeyLastWrongPassword, DecimalText(record.lastTime));
}

bool SettingsFile::ClearWrongPasswords()
{
    const WriteGroup both = BeginWrite();
    const bool countRemoved = RemoveKey(both, kKeyWrongPasswords);
    return RemoveKey(both, kKeyLastWrongPassword) && countRemoved;
}

// ---- the memo -----------------------------------------------------------------------

WideText SettingsFile::LoadMemoPadText() const
{
    const std::string ansi = ReadString(kKeyMemoPadText, "");
    const std::string escaped = ReadString(kKeyMemoPadTextUtf8, "");
    // The whole text only while MemoPadText still holds what was stored with it: a
    // version that knows only MemoPadText may have changed the memo since, and its
    // change wins.
    WideText whole;
    if (!escaped.empty() && FromEscapedUtf8(escaped, whole) && AnsiOrQuestionMarks(whole) == ansi)
        return StoredToMemo(whole);
    return StoredToMemo(WideFromAnsi(ansi));
}

bool SettingsFile::SaveMemoPadText(const WideText& memoText)
{
    return SaveMemoPadText(memoText, WideText());
}

bool SettingsFile::SaveMemoPadText(const WideText& shown, const WideText& rest)
{
    const StoredMemo memo = StoreMemo(shown, rest, WindowsCodePage());
    // Too long to store whole: the file keeps the memo it has rather than a cut one.
    if (!memo.fits)
        return false;
    // Saved while the cover is up, when the client may be ended any moment: the memo and
    // its side key are one write.
    const WriteGroup save = BeginWrite();
    if (memo.side.empty())
        return WriteMemoValue(save, kKeyMemoPadText, memo.text) && RemoveKey(save, kKeyMemoPadTextUtf8);
    // The whole text first: until MemoPadText matches it, it is not used.
    return WriteMemoValue(save, kKeyMemoPadTextUtf8, memo.side) && WriteMemoValue(save, kKeyMemoPadText, memo.text);
}
