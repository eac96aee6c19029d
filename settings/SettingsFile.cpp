#include "settings/SettingsFile.h"

#include <windows.h>

#include <functional>
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

// velmora.new beside velmora.ini: each write of the file is made there first, then put in
// its place whole, so that nobody ever reads the file half written (empty, say, while the
// profile writer rewrites it in place).
std::string NewFilePathFor(const std::string& settingsPath)
{
    const size_t dot = settingsPath.find_last_of(".\\/");
    if (dot == std::string::npos || settingsPath[dot] != '.' || settingsPath.size() - dot != 4)
        return settingsPath + ".new";
    return settingsPath.substr(0, dot) + ".new";
}

// How long a write waits, in all, for another program's write of the file to end.
constexpr DWORD kLongestWaitMs = 1000;
// How long it waits for the file to be open nowhere else, so that it can be replaced,
// before it writes the file in place (still while no other program writes it).
constexpr DWORD kLongestReplaceWaitMs = 200;

// The file opened so that no other program writes it meanwhile (its writes are refused,
// for as long as this handle is open). Readers go on.
HANDLE OpenUnwritten(const std::string& path, DWORD access) noexcept
{
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

// The file opened as OpenUnwritten, waiting for another program's write to end; none
// when it cannot be.
HANDLE OpenWhenUnwritten(const std::string& path) noexcept
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        HANDLE file = OpenUnwritten(path, GENERIC_READ);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION ||
            ::GetTickCount() - start > kLongestWaitMs)
            return file;
        ::Sleep(1);
    }
}

// The whole file as no write has it half made: read while no other program writes it,
// waiting for one that does. `exists` false (and no bytes) when there is none.
bool ReadWhole(const std::string& path, std::string& bytes, bool& exists)
{
    bytes.clear();
    const DWORD start = ::GetTickCount();
    for (;;) {
        const ScopedHandle file(OpenUnwritten(path, GENERIC_READ));
        if (file.IsValid()) {
            exists = true;
            return ReadToEnd(file.Get(), kLargestSettingsFile, bytes);
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            exists = false;
            return true;
        }
        if (error != ERROR_SHARING_VIOLATION || ::GetTickCount() - start > kLongestWaitMs)
            return false;
        ::Sleep(1);
    }
}

bool WriteNewFile(const std::string& path, const std::string& bytes)
{
    const ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.IsValid() && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && ::FlushFileBuffers(file.Get());
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
    if (Damaged())
        return defaultValue;
    return ReadStringAt(path_, key, defaultValue);
}

std::string SettingsFile::ReadStringAt(const std::string& path, const char* key, const std::string& defaultValue) const
{
    if (!FitsTheProfileFunctions(path))
        return defaultValue;
    // Read while no other program is part-way through a write: the profile writer
    // rewrites the file in place, and a read meanwhile finds it empty. Other programs'
    // writes wait, or are refused, for the moment of the read.
    const ScopedHandle unwritten(OpenWhenUnwritten(path));
    // The profile function cuts a value that does not fit and gives no error for it;
    // a result that fills the buffer means it may have been cut, so read again larger.
    std::vector<char> buffer;
    // Every call reads the whole file again (measured under wine: 0.7 ms more per call
    // with a file of 100 KB): a value too long for the first buffer gets the largest at
    // once.
    for (DWORD size = kFirstReadSize;; size = kLargestRead) {
        buffer.assign(size, '\0');
        const DWORD copied = ::GetPrivateProfileStringA(kSection, key, defaultValue.c_str(), buffer.data(), size,
                                                        path.c_str());
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
    return Rewrite(group, [&](const std::string& newFile) {
        return ::WritePrivateProfileStringA(kSection, key, stored.c_str(), newFile.c_str()) != FALSE;
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
    // The profile writer finds (or makes) the key's line in the new file; the value goes
    // into it after, and only the file with the whole value is put in place.
    const std::string placeholder = PlaceholderValue();
    return Rewrite(group, [&](const std::string& newFile) {
        std::string bytes;
        bool unused = false;
        if (!::WritePrivateProfileStringA(kSection, key, placeholder.c_str(), newFile.c_str()))
            return false;
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, newFile.c_str());
        return ReadWhole(newFile, bytes, unused) && PutValueInPlace(bytes, placeholder, stored) &&
               WriteNewFile(newFile, bytes);
    });
}

bool SettingsFile::WriteInt(const WriteGroup& group, const char* key, int value)
{
    return WriteString(group, key, DecimalText(value));
}

bool SettingsFile::RemoveKey(const WriteGroup& group, const char* key)
{
    if (!KeyPresent(key))
        return true;
    return Rewrite(group, [&](const std::string& newFile) {
        return ::WritePrivateProfileStringA(kSection, key, nullptr, newFile.c_str()) != FALSE;
    });
}

bool SettingsFile::Rewrite(const WriteGroup& group, const std::function<bool(const std::string&)>& edit)
{
    return group.Make([&] {
        const std::string newFile = NewFilePathFor(path_);
        // The handle held on the file keeps it from being replaced: let go for the moment.
        const bool held = held_.IsOpen();
        if (held)
            held_.Close();
        const bool made = RewriteOnce(newFile, edit);
        ::DeleteFileA(newFile.c_str());
        if (held)
            held_.Open(path_.c_str(), CFile::modeRead | CFile::shareDenyNone, &holdError_);
        return made;
    });
}

bool SettingsFile::RewriteOnce(const std::string& newFile, const std::function<bool(const std::string&)>& edit)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        // Past the wait for a moment when nobody has the file open, the new bytes go into
        // the file itself, still while no other program writes it.
        const bool inPlace = ::GetTickCount() - start > kLongestReplaceWaitMs;
        // No other program writes the file from its reading until the new file is made:
        // theirs are refused for those few milliseconds, none is lost.
        ScopedHandle file;
        for (;;) {
            file.Reset(OpenUnwritten(path_, inPlace ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ));
            const DWORD error = ::GetLastError();
            if (file.IsValid() || error != ERROR_SHARING_VIOLATION || ::GetTickCount() - start > kLongestWaitMs)
                break;
            ::Sleep(1);
        }
        const bool existed = file.IsValid();
        if (!existed && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            return false;
        std::string before, after;
        if (existed && !ReadToEnd(file.Get(), kLargestSettingsFile, before))
            return false;
        // The profile functions keep a file they read in a cache of their own: the new
        // file is theirs afresh each time.
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, newFile.c_str());
        const bool copied = existed ? WriteNewFile(newFile, before) : (::DeleteFileA(newFile.c_str()), true);
        const bool edited = copied && edit(newFile);
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, newFile.c_str());
        bool unused = false;
        if (!edited || !ReadWhole(newFile, after, unused))
            return false;
        if (existed && after == before)
            return true;
        if (inPlace) {
            DWORD written = 0;
            return ::SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == 0 &&
                   ::WriteFile(file.Get(), after.data(), static_cast<DWORD>(after.size()), &written, nullptr) &&
                   written == after.size() && ::SetEndOfFile(file.Get()) && ::FlushFileBuffers(file.Get());
        }
        file.Reset();
        // Put in place whole: a reader finds the file as it was or as it is now. A file
        // somebody has open cannot be replaced: tried again, read afresh.
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (existed ? MOVEFILE_REPLACE_EXISTING : 0);
        if (::MoveFileExA(newFile.c_str(), path_.c_str(), flags))
            return true;
        // A file made meanwhile by another program stays, and is written over again.
        ::Sleep(1);
    }
}

bool SettingsFile::WriteWholeFile(const WriteGroup& group, const std::string& bytes)
{
    return Rewrite(group, [&](const std::string& newFile) { return WriteNewFile(newFile, bytes); });
}

bool SettingsFile::KeyPresent(const char* key) const
{
    // A missing key gives back whichever default it is asked with.
    return ReadString(key, "0") == ReadString(key, "1");
}

// Every value the plug-in reads, as it reads now from the file at `path`.
std::string SettingsFile::EveryValue(const std::string& path) const
{
    static const char* const keys[] = {kKeyStartUp, kKeyStretch, kKeySaveMemoPadText, kKeyHideEudora,
                                       kKeyMemoPadText, kKeyMemoPadTextUtf8, kKeyPassword, kKeyLockAfterMinutes,
                                       kKeyLockWithWindows};
    const std::string absent(1, '\x01');
    std::string values;
    for (const char* key : keys)
        values += ReadStringAt(path, key, absent) + '\0';
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
    if (!Exists())
        return false;
    // A file too large to read brings the cover back at every start: recorded as it is.
    if (Damaged())
        return true;
    // Writing to an odd file (a hand-edited one, say) can change how the rest of it
    // reads, the password included: the write is made in the new file first, and that
    // is put in place only when every value reads there as it read before.
    const WriteGroup record = BeginWrite();
    bool readsTheSame = true;
    const bool written = Rewrite(record, [&](const std::string& newFile) {
        const std::string values = EveryValue(newFile);
        if (!::WritePrivateProfileStringA(kSection, kKeyLocked, "1", newFile.c_str()))
            return false;
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, newFile.c_str());
        readsTheSame = EveryValue(newFile) == values;
        return readsTheSame;
    });
    return written && readsTheSame;
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
