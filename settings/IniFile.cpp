#include "settings/IniFile.h"

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/ScopedHandle.h"
#include "framework/TextNumbers.h"
#include "settings/FileBytes.h"
#include "settings/ProfileValue.h"
#include "settings/SettingsLimits.h"
#include "settings/SettingsStore.h"

namespace {

// The file's one section.
const char* const kSection = "Settings";

constexpr DWORD kFirstReadSize = 256;
// No value is longer than the largest file read, so every value reads whole.
constexpr DWORD kLargestRead = kLargestSettingsFile + 1;

// Each long value's stand-in, before the plug-in puts the long value in its place.
std::string PlaceholderValue()
{
    return "velmora-long-value-" + DecimalText(static_cast<int>(::GetCurrentProcessId())) + "-" +
           DecimalText(static_cast<int>(::GetTickCount() & 0x7FFFFFFF));
}

} // namespace

IniFile::IniFile(const std::string& path, WriteObserver* observer) : path_(path), journal_(path_, observer) {}

void IniFile::Open(const std::string& configDirectory)
{
    UsePath(SettingsPathFor(configDirectory));
    CreateSettingsFolderIfMissing(configDirectory);
    // Before anything reads the file: a write cut by a crash is undone first.
    journal_.UndoInterruptedWrite();
}

bool IniFile::Damaged() const
{
    // The profile functions read the whole file into memory at every call.
    WIN32_FILE_ATTRIBUTE_DATA data;
    return ::GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data) &&
           (data.nFileSizeHigh != 0 || data.nFileSizeLow > kLargestSettingsFile);
}

SaveProblem IniFile::LastSaveProblem() const
{
    if (Damaged())
        return SaveProblem::TooLarge;
    return journal_.JournalNotMade() ? SaveProblem::NoFileBeside : SaveProblem::Unknown;
}

std::string IniFile::ReadString(const char* key, const std::string& defaultValue) const
{
    return Damaged() ? defaultValue : ReadStringAt(path_, key, defaultValue);
}

std::string IniFile::ReadStringAt(const std::string& path, const char* key, const std::string& defaultValue) const
{
    if (!FitsTheProfileFunctions(path))
        return defaultValue;
    // Read while no other program is part-way through a write: the profile writer
    // rewrites the file in place, and a read meanwhile finds it empty. Other programs'
    // writes wait, or are refused, for the moment of the read.
    const ScopedHandle unwritten(OpenWhenUnwritten(path, GENERIC_READ, ::GetTickCount()));
    // The profile function cuts a value that does not fit and gives no error for it: a
    // result that fills the buffer may have been cut, and is read again with the largest
    // buffer at once, as every call reads the whole file again (measured under wine:
    // 0.7 ms more per call with a file of 100 KB).
    std::vector<char> buffer;
    for (DWORD size = kFirstReadSize;; size = kLargestRead) {
        buffer.assign(size, '\0');
        const DWORD copied = ::GetPrivateProfileStringA(kSection, key, defaultValue.c_str(), buffer.data(), size,
                                                        path.c_str());
        if (copied + 1 < size || size >= kLargestRead)
            return std::string(buffer.data(), copied < size ? copied : size - 1);
    }
}

int IniFile::ReadInt(const char* key, int defaultValue) const
{
    return ParseProfileInt(ReadString(key, DecimalText(defaultValue)));
}

bool IniFile::WriteLongString(const WriteGroup& group, const char* key, const std::string& value, size_t longest)
{
    if (!IsStorableProfileValue(value))
        return false;
    const std::string stored = QuoteProfileValue(value);
    if (stored.size() <= kLongestProfileWrite)
        return WriteString(group, key, value);
    if (stored.size() > longest)
        return false;
    // The profile writer finds (or makes) the key's line in the new file; the value goes
    // into it after, and only the file with the whole value is put in place.
    const std::string placeholder = PlaceholderValue();
    return Rewrite(group, [&](const std::string& newFile) {
        std::string bytes;
        if (!::WritePrivateProfileStringA(kSection, key, placeholder.c_str(), newFile.c_str()))
            return false;
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, newFile.c_str());
        return ReadWhole(newFile, bytes) && PutValueInPlace(bytes, placeholder, stored) &&
               WriteNewFile(newFile, bytes);
    });
}

bool IniFile::RemoveKey(const WriteGroup& group, const char* key)
{
    if (!KeyPresent(key))
        return true;
    return Rewrite(group, [&](const std::string& newFile) {
        return ::WritePrivateProfileStringA(kSection, key, nullptr, newFile.c_str()) != FALSE;
    });
}

bool IniFile::Rewrite(const WriteGroup& group, const std::function<bool(const std::string&)>& edit)
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
            Hold();
        return made;
    });
}

bool IniFile::RewriteOnce(const std::string& newFile, const std::function<bool(const std::string&)>& edit)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        // Past the wait for a moment when nobody has the file open, the new bytes go into
        // the file itself, still while no other program writes it.
        const bool inPlace = ::GetTickCount() - start > kLongestReplaceWaitMs;
        // No other program writes the file from its reading until the new file is made:
        // theirs are refused for those few milliseconds, none is lost.
        ScopedHandle file(OpenWhenUnwritten(path_, inPlace ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, start));
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
        if (!edited || !ReadWhole(newFile, after))
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

bool IniFile::KeyPresent(const char* key) const
{
    // A missing key gives back whichever default it is asked with.
    return ReadString(key, "0") == ReadString(key, "1");
}

std::string IniFile::Values(const std::string& path, const std::initializer_list<const char*>& keys) const
{
    const std::string absent(1, '\x01');
    std::string values;
    for (const char* key : keys)
        values += ReadStringAt(path, key, absent) + '\0';
    return values;
}

bool IniFile::WriteStringKeeping(const WriteGroup& group, const char* key, const std::string& value,
                                 const std::initializer_list<const char*>& kept)
{
    if (!IsStorableProfileValue(value))
        return false;
    const std::string stored = QuoteProfileValue(value);
    if (stored.size() > kLongestProfileWrite || !FitsTheProfileFunctions(path_))
        return false;
    // The write is made in the new file first, and that is put in place only when every
    // kept value reads there as it read before.
    return Rewrite(group, [&](const std::string& newFile) {
        const std::string before = Values(newFile, kept);
        if (!::WritePrivateProfileStringA(kSection, key, stored.c_str(), newFile.c_str()))
            return false;
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, newFile.c_str());
        return Values(newFile, kept) == before;
    });
}

bool IniFile::Exists() const { return FileExists(path_); }
