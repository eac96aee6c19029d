// velmora.ini: the one file that holds the plug-in's state. The plug-in's owner makes one
// at initialisation and hands it to whoever reads or writes the settings; each asks for
// what it means, and nothing outside this folder names a section, a key, a default or the
// file's path. Nothing is cached: every read goes to the file, through the Windows profile
// functions, and every write goes through a group of writes (WriteGroup) that a crash
// leaves all or nothing.
#pragma once
#include <functional>
#include <string>

#include "framework/File.h"
#include "framework/WideText.h"
#include "settings/Settings.h"
#include "settings/journal/WriteJournal.h"

class SettingsFile {
public:
    // The file at `path`, as it is: nothing is created, held or recovered until UseFolder.
    // `observer` (tests only) is told each step of each write.
    explicit SettingsFile(const std::string& path = std::string(), WriteObserver* observer = nullptr);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // ---- the file ---------------------------------------------------------------------

    // Initialisation: the settings file in the folder the host names (the folder created
    // when missing, a write a crash cut undone, the file created when missing), then held
    // open until Release (read-only, shared for reading and writing, inheritable, existing
    // file only) so that it is not removed under the plug-in.
    void UseFolder(const std::string& configDirectory);
    // The file at `path` from now on, as it is (before initialisation, or in a test).
    void UsePath(const std::string& path) { path_ = path; }
    void Release() noexcept;
    // First-run creation: a file with an empty Password when none exists.
    void CreateIfMissing();
    const CFile& HeldFile() const noexcept { return held_; }
    // Why holding the file failed, when it did.
    const CFileException& HoldError() const noexcept { return holdError_; }
    bool Exists() const;
    // Too large to read (see kLargestSettingsFile): every value reads as its default, no
    // password matches, a lock counts as recorded, and nothing is written.
    bool Damaged() const;
    // Why the last group of writes (the last save) was not made.
    SaveProblem LastSaveProblem() const;
    // The file's full name, for messages that name it.
    const std::string& FileName() const noexcept { return path_; }
    // velmora.txt beside velmora.ini; failing that, the one beside the loaded plug-in in
    // `pluginFolder` (installed by hand into the client's program folder, say). Empty when
    // neither exists.
    std::string ReleaseNotesFile(const std::string& pluginFolder) const;

    // A group of writes: every write below takes one, and those made through one group are
    // one write. Groups made inside a group join it.
    WriteGroup BeginWrite() noexcept { return WriteGroup(journal_); }

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
    // (see MemoLimit.h): the file then keeps the memo it had.
    WideText LoadMemoPadText() const;
    bool SaveMemoPadText(const WideText& memoText);
    // The memo the pad holds, `shown`, followed by `rest`, the part of the stored memo the
    // pad was not given, as one memo.
    bool SaveMemoPadText(const WideText& shown, const WideText& rest);

    // ---- single values, by key --------------------------------------------------------

    // The whole stored value, however long, or the default when the file, section or key
    // is missing, or when the path is one the profile functions cannot take (MAX_PATH
    // characters or more in full).
    std::string ReadString(const char* key, const std::string& defaultValue) const;
    // The stored number (see ParseProfileInt), or the default when the key is missing.
    int ReadInt(const char* key, int defaultValue) const;
    // Writes the value so that it reads back exactly. A value with CR, LF or a zero byte,
    // or one too long for the profile writer (see kLongestProfileWrite), cannot
    // be stored, nor can any value under a path they cannot take (as for reads): nothing
    // is written and the result is false; so it is when the group's journal could not be
    // made. Otherwise the result is whether the profile function reported success.
    bool WriteString(const WriteGroup& group, const char* key, const std::string& value);
    bool WriteInt(const WriteGroup& group, const char* key, int value);
    // Removes the key's line; a file without it is left as it is (and not created). False
    // when the file did not take the removal.
    bool RemoveKey(const WriteGroup& group, const char* key);

private:
    bool KeyPresent(const char* key) const;
    std::string ReadStringAt(const std::string& path, const char* key, const std::string& defaultValue) const;
    std::string EveryValue(const std::string& path) const;
    // One write of the file: the file's bytes copied into a new file beside it, `edit`
    // made there (false: nothing is written), and the new file put in place whole, unless
    // another program changed the file meanwhile: then all of it is made again over that.
    bool Rewrite(const WriteGroup& group, const std::function<bool(const std::string& newFile)>& edit);
    bool RewriteOnce(const std::string& newFile, const std::function<bool(const std::string& newFile)>& edit);
    std::string StoredPassword() const;
    bool WriteWholeFile(const WriteGroup& group, const std::string& bytes);
    // WriteString for a memo value, up to kLongestStoredMemo as stored: one too long for
    // the profile writer goes into the key's line in the file's bytes.
    bool WriteMemoValue(const WriteGroup& group, const char* key, const std::string& value);

    std::string path_;
    WriteJournal journal_;
    CFile held_;
    CFileException holdError_;
};
