#include "settings/SettingsFile.h"

#include "framework/TextNumbers.h"
#include "settings/MemoCodec.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingsLimits.h"
#include "settings/SettingsStore.h"
#include "settings/StorablePassword.h"

namespace {

// The conversions of WideText.h, for the memo's stored form.
class WindowsCodePage final : public AnsiCodePage {
public:
    bool Exactly(const WideText& text, std::string& ansi) const override { return ToAnsiExactly(text, ansi); }
    std::string OrQuestionMarks(const WideText& text) const override { return AnsiOrQuestionMarks(text); }
};

} // namespace

void SettingsFile::UseFolder(const std::string& configDirectory)
{
    file_.Open(configDirectory);
    CreateIfMissing();
    file_.Hold();
}

void SettingsFile::CreateIfMissing()
{
    if (!Exists())
        file_.WriteString(file_.BeginWrite(), kKeyPassword, "");
}

Switches SettingsFile::ReadSwitches() const
{
    Switches switches;
    switches.startUp = file_.ReadInt(kKeyStartUp, switches.startUp);
    switches.stretch = file_.ReadInt(kKeyStretch, switches.stretch);
    switches.saveMemoPadText = file_.ReadInt(kKeySaveMemoPadText, switches.saveMemoPadText);
    switches.hideEudora = file_.ReadInt(kKeyHideEudora, switches.hideEudora);
    return switches;
}

LockSettings SettingsFile::ReadLockSettings() const
{
    LockSettings lock;
    lock.afterMinutes = EffectiveLockMinutes(ReadLockAfterMinutes());
    lock.afterMinutesStored = file_.KeyPresent(kKeyLockAfterMinutes);
    lock.withWindows = ReadLockWithWindows();
    lock.withWindowsStored = file_.KeyPresent(kKeyLockWithWindows);
    return lock;
}

int SettingsFile::ReadLockAfterMinutes() const
{
    return file_.ReadInt(kKeyLockAfterMinutes, 0);
}

int SettingsFile::ReadLockWithWindows() const
{
    return file_.ReadInt(kKeyLockWithWindows, 0);
}

bool SettingsFile::SaveSettings(const WriteGroup& group, const Switches& switches, const LockSettings& lock)
{
    const auto write = [&](const char* key, int value) { return file_.WriteInt(group, key, value); };
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
    const WriteGroup apply = file_.BeginWrite();
    return SaveSettings(apply, switches, lock) && (newPassword == nullptr || StoreNewPassword(apply, *newPassword));
}

std::string SettingsFile::StoredPassword() const
{
    return file_.ReadString(kKeyPassword, "");
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
    const bool written = file_.WriteString(group, kKeyPassword, stored);
    const std::string readBack = StoredPassword();
    if (written && readBack == stored)
        return true;
    // The file holds neither what was asked nor, perhaps, the old password: put the old
    // one back so that the password stays one the user knows.
    if (readBack != previous)
        file_.WriteString(group, kKeyPassword, previous);
    return false;
}

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
    // reads, the password included: the record is made only where every value reads as
    // it read before.
    return file_.WriteStringKeeping(file_.BeginWrite(), kKeyLocked, "1",
                                    {kKeyStartUp, kKeyStretch, kKeySaveMemoPadText, kKeyHideEudora, kKeyMemoPadText,
                                     kKeyMemoPadTextUtf8, kKeyPassword, kKeyLockAfterMinutes, kKeyLockWithWindows});
}

bool SettingsFile::ClearLockedRecord()
{
    return file_.RemoveKey(file_.BeginWrite(), kKeyLocked);
}

bool SettingsFile::LockedRecorded() const
{
    // A lock may be recorded in a file that cannot be read: the cover comes up.
    return Damaged() || file_.ReadInt(kKeyLocked, 0) == 1;
}

WrongPasswordRecord SettingsFile::ReadWrongPasswordRecord() const
{
    // Most covers never see a wrong password: one read tells.
    WrongPasswordRecord record;
    record.count = file_.ReadInt(kKeyWrongPasswords, 0);
    if (record.count == 0)
        return record;
    // Digits only, few enough that no overflow is possible.
    long long time = 0;
    if (ParseDigits(file_.ReadString(kKeyLastWrongPassword, ""), 18, time))
        record.lastTime = time;
    return record;
}

bool SettingsFile::RecordWrongPasswords(const WrongPasswordRecord& record)
{
    const WriteGroup both = file_.BeginWrite();
    return file_.WriteInt(both, kKeyWrongPasswords, record.count) &&
           file_.WriteString(both, kKeyLastWrongPassword, DecimalText(record.lastTime));
}

bool SettingsFile::ClearWrongPasswords()
{
    const WriteGroup both = file_.BeginWrite();
    const bool countRemoved = file_.RemoveKey(both, kKeyWrongPasswords);
    return file_.RemoveKey(both, kKeyLastWrongPassword) && countRemoved;
}

WideText SettingsFile::LoadMemoPadText() const
{
    const std::string ansi = file_.ReadString(kKeyMemoPadText, "");
    const std::string escaped = file_.ReadString(kKeyMemoPadTextUtf8, "");
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
    const StoredMemo memo = StoreMemo(memoText, WindowsCodePage());
    // Too long to store whole: the file keeps the memo it has rather than a cut one.
    if (!memo.fits)
        return false;
    // Saved while the cover is up, when the client may be ended any moment: the memo and
    // its side key are one write.
    const WriteGroup save = file_.BeginWrite();
    if (memo.side.empty())
        return file_.WriteLongString(save, kKeyMemoPadText, memo.text, kLongestStoredMemo) &&
               file_.RemoveKey(save, kKeyMemoPadTextUtf8);
    // The whole text first: until MemoPadText matches it, it is not used.
    return file_.WriteLongString(save, kKeyMemoPadTextUtf8, memo.side, kLongestStoredMemo) &&
           file_.WriteLongString(save, kKeyMemoPadText, memo.text, kLongestStoredMemo);
}
