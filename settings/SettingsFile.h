// velmora.ini: the one file that holds the plug-in's state, as its values mean it. The
// plug-in's owner makes one at initialisation and hands it to whoever reads or writes the
// settings; each asks for what it means, and nothing outside this folder names a section,
// a key, a default or the file's path. Nothing is cached: every read goes to the file, and
// every write goes through a group of writes a crash leaves all or nothing (IniFile.h says
// how).
#pragma once
#include <string>

#include "framework/WideText.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

class SettingsFile {
public:
    // The file at `path`, as it is: nothing is created, held or recovered until UseFolder.
    // `observer` (tests only) is told each step of each write.
    explicit SettingsFile(const std::string& path = std::string(), WriteObserver* observer = nullptr)
        : file_(path, observer)
    {
    }
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // ---- the file ---------------------------------------------------------------------

    // Initialisation: the settings file in the folder the host names (the folder created
    // when missing, a write a crash cut undone, the file created when missing), then held
    // open until Release so that it is not removed under the plug-in.
    void UseFolder(const std::string& configDirectory);
    // The file at `path` from now on, as it is (before initialisation, or in a test).
    void UsePath(const std::string& path) { file_.UsePath(path); }
    void Release() noexcept { file_.Release(); }
    // First-run creation: a file with an empty Password when none exists.
    void CreateIfMissing();
    bool Exists() const { return file_.Exists(); }
    // Too large to read (see kLargestSettingsFile): every value reads as its default, no
    // password matches, a lock counts as recorded, and nothing is written.
    bool Damaged() const { return file_.Damaged(); }
    // Why the last group of writes (the last save) was not made.
    SaveProblem LastSaveProblem() const { return file_.LastSaveProblem(); }
    // The file's full name, for messages that name it.
    const std::string& FileName() const noexcept { return file_.FileName(); }

    // ---- the settings -----------------------------------------------------------------

    Switches ReadSwitches() const;
    LockSettings ReadLockSettings() const;
    // LockAfterMinutes as stored (any number), 0 when missing.
    int ReadLockAfterMinutes() const;
    // LockWithWindows as stored; only exactly 1 means on.
    int ReadLockWithWindows() const;
    // Apply's writes: the switches, then the lock settings (each only where the file has
    // its line or it is on). False as soon as the file does not take one.
    bool SaveSettings(const WriteGroup& group, const Switches& switches, const LockSettings& lock);
    // Apply: SaveSettings, then the new password when one is given (StoreNewPassword), as
    // one write: a crash on the way leaves the file as before or as after, never a mix.
    bool ApplySettings(const Switches& switches, const LockSettings& lock, const std::string* newPassword);

    // ---- the password -----------------------------------------------------------------

    // Whether the typed text is the stored password (read afresh, unscrambled, compared
    // byte for byte). Never in a damaged file.
    bool PasswordMatches(const std::string& typed) const;
    // Stores a new password (one IsStorablePassword takes). False when the file did not
    // take it; the old password is then put back, so it stays one the user knows.
    bool StoreNewPassword(const WriteGroup& group, const std::string& password);

    // ---- records the plug-in keeps for itself -----------------------------------------

    // The record of a lock that must outlive the client: Locked=1, written through to the
    // disk at once when a cover comes up (into an existing file only: none is created for
    // it); the key is removed at unlock. Both report whether the file took the change; a
    // file that cannot be written stops nothing.
    bool RecordLocked();
    bool ClearLockedRecord();
    // True when the file records a cover that was never unlocked (Locked is exactly 1).
    bool LockedRecorded() const;
    WrongPasswordRecord ReadWrongPasswordRecord() const;
    // Written through to the disk at once; false when the file did not take it. Clearing
    // removes both lines (the file stays as it is when it has neither).
    bool RecordWrongPasswords(const WrongPasswordRecord& record);
    bool ClearWrongPasswords();

    // The memo pad text, in the form the memo control shows (CR LF line breaks), every
    // character kept whatever the ANSI code page holds. Saving writes through to the disk;
    // false when the file did not take it, or when the memo is too long to store whole
    // (see SettingsLimits.h): the file then keeps the memo it had. The memo is saved whole,
    // as its owner joined it (the pad's part of a long memo with the rest, MemoSeam.h).
    WideText LoadMemoPadText() const;
    bool SaveMemoPadText(const WideText& memoText);

private:
    std::string StoredPassword() const;

    IniFile file_;
};
