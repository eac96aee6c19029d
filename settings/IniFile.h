// How velmora.ini is read and written safely, whatever its values mean (SettingsFile.h
// says that): every read bounded and made while no other program writes the file, every
// write made in velmora.new from the file as it is and put in place whole, inside a group
// of writes (WriteGroup) that its journal makes all or nothing after a crash.
#pragma once
#include <functional>
#include <initializer_list>
#include <string>

#include "framework/File.h"
#include "framework/TextNumbers.h"
#include "settings/Settings.h"
#include "settings/journal/WriteJournal.h"

class IniFile {
public:
    // The file at `path`, as it is: nothing is created, held or recovered until Open.
    // `observer` (tests only) is told each step of each write.
    explicit IniFile(const std::string& path = std::string(), WriteObserver* observer = nullptr);
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Initialisation: velmora.ini in the folder the host names (the folder created when
    // missing, a write a crash cut undone).
    void Open(const std::string& configDirectory);
    // Then held open until Release (read-only, shared for reading and writing,
    // inheritable, existing file only), so that it is not removed under the plug-in.
    void Hold() { held_.Open(path_.c_str(), CFile::modeRead | CFile::shareDenyNone); }
    void Release() noexcept { held_.Close(); }
    // The file at `path` from now on, as it is (before initialisation, or in a test).
    void UsePath(const std::string& path) { path_ = path; }
    const std::string& FileName() const noexcept { return path_; }
    bool Exists() const;
    // Too large to read (see kLargestSettingsFile): nothing is read or written.
    bool Damaged() const;
    // Why the last group of writes was not made.
    SaveProblem LastSaveProblem() const;

    // A group of writes: every write below takes one, and those made through one group are
    // one write. Groups made inside a group join it.
    WriteGroup BeginWrite() noexcept { return WriteGroup(journal_); }

    // The whole stored value, however long, or the default when the file, section or key
    // is missing, when the file is damaged, or when the path is one the profile functions
    // cannot take (MAX_PATH characters or more in full).
    std::string ReadString(const char* key, const std::string& defaultValue) const;
    // The stored number (see ParseProfileInt), or the default when the key is missing.
    int ReadInt(const char* key, int defaultValue) const;
    bool KeyPresent(const char* key) const;
    // Writes the value so that it reads back exactly; false, with nothing written, for a
    // value with CR, LF or a zero byte, one too long for the profile writer, under a path
    // reads cannot take, or without the group's journal; else the profile writer's result.
    bool WriteString(const WriteGroup& group, const char* key, const std::string& value)
    {
        return WriteStringKeeping(group, key, value, {});
    }
    bool WriteInt(const WriteGroup& group, const char* key, int value)
    {
        return WriteString(group, key, DecimalText(value));
    }
    // WriteString for a value up to `longest` as stored: one too long for the profile
    // writer goes into the key's line in the file's bytes.
    bool WriteLongString(const WriteGroup& group, const char* key, const std::string& value, size_t longest);
    // WriteString, made only when every key of `kept` reads after it as it read before (a
    // write to an odd file, a hand-edited one say, can change how the rest of it reads).
    bool WriteStringKeeping(const WriteGroup& group, const char* key, const std::string& value,
                            const std::initializer_list<const char*>& kept);
    // Removes the key's line; a file without it is left as it is (and not created). False
    // when the file did not take the removal.
    bool RemoveKey(const WriteGroup& group, const char* key);

private:
    std::string ReadStringAt(const std::string& path, const char* key, const std::string& defaultValue) const;
    std::string Values(const std::string& path, const std::initializer_list<const char*>& keys) const;
    // One write of the file: the file's bytes copied into a new file beside it, `edit`
    // made there (false: nothing is written), and the new file put in place whole, unless
    // another program changed the file meanwhile: then all of it is made again over that.
    bool Rewrite(const WriteGroup& group, const std::function<bool(const std::string& newFile)>& edit);
    bool RewriteOnce(const std::string& newFile, const std::function<bool(const std::string& newFile)>& edit);

    std::string path_;
    WriteJournal journal_;
    CFile held_;
};
