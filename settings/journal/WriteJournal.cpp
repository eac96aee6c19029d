#include "settings/journal/WriteJournal.h"

#include "framework/File.h"

namespace {

FileTimeValue Now() noexcept
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<FileTimeValue>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// How long a group waits for another's journal to go.
constexpr DWORD kLongestJournalWaitMs = 2000;

// Every handle here lets the held handle, the profile functions and other programs go on.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenExisting(const std::string& path, DWORD access) noexcept
{
    return ::CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteWhole(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The file now: false when it exists but cannot be read (a folder of that name, a
// program that denies readers).
bool FindFile(const std::string& path, FileFound& found)
{
    found = FileFound();
    const ScopedHandle file(OpenExisting(path, GENERIC_READ));
    if (!file.IsValid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    FILETIME written{};
    const bool ok = ::GetFileTime(file.Get(), nullptr, nullptr, &written) &&
                    ReadToEnd(file.Get(), kLargestSettingsFile, found.bytes);
    found.exists = true;
    found.lastWrite = (static_cast<FileTimeValue>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return ok;
}

// Down to the disk. The held handle is read-only, so a second one with write access
// flushes; it writes nothing.
void FlushToDisk(const std::string& path) noexcept
{
    // The profile functions may keep a write in a cache of their own first.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    const ScopedHandle file(OpenExisting(path, GENERIC_WRITE));
    if (file.IsValid())
        ::FlushFileBuffers(file.Get());
}

// The file as the journal found it, back on the disk (or removed, when there was none).
bool PutBack(const std::string& path, const JournalRecord& record)
{
    if (!record.fileExisted)
        return ::DeleteFileA(path.c_str()) != FALSE;
    const ScopedHandle target(OpenExisting(path, GENERIC_WRITE));
    return target.IsValid() && WriteWhole(target.Get(), record.preImage) && ::SetEndOfFile(target.Get()) &&
           ::FlushFileBuffers(target.Get());
}

} // namespace

std::string JournalPathFor(const std::string& settingsPath)
{
    // A name as long as the file's own: a path the profile functions take fits the
    // journal too.
    const size_t dot = settingsPath.find_last_of(".\\/");
    if (dot == std::string::npos || settingsPath[dot] != '.' || settingsPath.size() - dot != 4)
        return settingsPath + ".jnl";
    return settingsPath.substr(0, dot) + ".jnl";
}

WriteJournal::WriteJournal(const std::string& settingsPath, WriteObserver* observer) noexcept
    : file_(settingsPath), observer_(observer)
{
}

void WriteJournal::Reach(WriteStep step)
{
    if (observer_ != nullptr)
        observer_->Reached(step);
}

void WriteJournal::BeginGroup() noexcept
{
    if (depth_++ == 0)
        notMade_ = false;
}

void WriteJournal::EndGroup() noexcept
{
    if (--depth_ == 0)
        FinishGroup();
}

bool WriteJournal::BeforeWrite()
{
    if (!started_) {
        started_ = true;
        refused_ = !StartJournal();
    }
    // A file that cannot be journalled is not written: a cut one could cost the password.
    return !refused_;
}

void WriteJournal::AfterWrite() noexcept
{
    Reach(WriteStep::ValueWritten);
}

bool WriteJournal::StartJournal()
{
    FileFound before;
    if (!FindFile(file_, before))
        return false;
    // A group of another settings file object (another copy of the plug-in, a tool of
    // its own) has its journal open: it ends within a write, so wait for it.
    const DWORD start = ::GetTickCount();
    for (;;) {
        journal_.Reset(::CreateFileA(JournalPathFor(file_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (journal_.IsValid() || ::GetLastError() != ERROR_SHARING_VIOLATION ||
            ::GetTickCount() - start > kLongestJournalWaitMs)
            break;
        ::Sleep(1);
    }
    if (!journal_.IsValid()) {
        notMade_ = ::GetLastError() != ERROR_PATH_NOT_FOUND;
        return false;
    }
    bool ok = WriteWhole(journal_.Get(), EncodeJournal(before.exists, before.bytes, Now()));
    Reach(WriteStep::JournalWritten);
    ok = ok && ::FlushFileBuffers(journal_.Get());
    if (!ok) {
        DropJournal();
        return false;
    }
    Reach(WriteStep::JournalFlushed);
    return true;
}

void WriteJournal::DropJournal() noexcept
{
    journal_.Reset();
    ::DeleteFileA(JournalPathFor(file_).c_str());
}

void WriteJournal::FinishGroup() noexcept
{
    if (journal_.IsValid()) {
        FlushToDisk(file_);
        Reach(WriteStep::FileFlushed);
        // Not flushed: lost on a power cut, it costs only the undoing of a write that
        // completed, which the flush above has already made whole.
        FileFound after;
        if (FindFile(file_, after) && after.exists)
            WriteWhole(journal_.Get(), EncodeCompleted(after.bytes));
        Reach(WriteStep::Completed);
        DropJournal();
        Reach(WriteStep::JournalRemoved);
    }
    started_ = false;
    refused_ = false;
}

void WriteJournal::UndoInterruptedWrite()
{
    const std::string journalPath = JournalPathFor(file_);
    ScopedHandle journal(::CreateFileA(journalPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal.IsValid())
        return;
    unsigned long long size = 0;
    if (FileSize(journal.Get(), size) && size > kLargestJournal) {
        journal.Reset();
        ::MoveFileA(journalPath.c_str(), (journalPath + ".bad").c_str());
        return;
    }
    std::string bytes;
    JournalRecord record;
    FileFound file;
    const bool whole = ReadToEnd(journal.Get(), kLargestJournal, bytes) && ParseJournal(bytes, record);
    // A file that cannot be read now is left, and its journal with it, for a later start.
    if (whole && !FindFile(file_, file))
        return;
    if (whole && DecideRecovery(record, file) == Recovery::PutBack) {
        // Dated afresh first: a put-back cut by another crash is put back again at the
        // next start, not taken for a change made by hand.
        WriteWhole(journal.Get(), EncodePutBackBegun(Now()));
        ::FlushFileBuffers(journal.Get());
        Reach(WriteStep::PutBackBegun);
        // Not put back: the journal stays for the next start to try again.
        if (!PutBack(file_, record))
            return;
        Reach(WriteStep::FilePutBack);
    }
    journal.Reset();
    ::DeleteFileA(journalPath.c_str());
}
