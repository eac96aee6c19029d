#include "settings/WriteJournal.h"

#include "framework/File.h"

void (*WriteStepReached)(WriteStep step) = nullptr;

namespace {

void Reach(WriteStep step)
{
    if (WriteStepReached != nullptr)
        WriteStepReached(step);
}

FileTimeValue Now() noexcept
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<FileTimeValue>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Every handle here lets the held handle, the profile functions and other programs go on.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    FILETIME written{};
    bool ok = ::GetFileTime(file, nullptr, nullptr, &written) && ReadToEnd(file, found.bytes);
    ::CloseHandle(file);
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
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    ::FlushFileBuffers(file);
    ::CloseHandle(file);
}

// The group open now, on the one settings file of the plug-in.
struct OpenGroup {
    int depth = 0;
    std::string path;
    HANDLE journal = INVALID_HANDLE_VALUE;
    bool refused = false;
};
OpenGroup g_group;

void DropJournal(const std::string& journalPath) noexcept
{
    if (g_group.journal != INVALID_HANDLE_VALUE)
        ::CloseHandle(g_group.journal);
    g_group.journal = INVALID_HANDLE_VALUE;
    ::DeleteFileA(journalPath.c_str());
}

bool StartJournal()
{
    FileFound before;
    if (!FindFile(g_group.path, before))
        return false;
    const std::string journalPath = JournalPathFor(g_group.path);
    g_group.journal = ::CreateFileA(journalPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_group.journal == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteWhole(g_group.journal, EncodeJournal(before.exists, before.bytes, Now()));
    Reach(WriteStep::JournalWritten);
    ok = ok && ::FlushFileBuffers(g_group.journal);
    if (!ok) {
        DropJournal(journalPath);
        return false;
    }
    Reach(WriteStep::JournalFlushed);
    return true;
}

void EndGroup() noexcept
{
    const std::string journalPath = JournalPathFor(g_group.path);
    if (g_group.journal != INVALID_HANDLE_VALUE) {
        FlushToDisk(g_group.path);
        Reach(WriteStep::FileFlushed);
        // Not flushed: lost on a power cut, it costs only the undoing of a write that
        // completed, which the flush above has already made whole.
        FileFound after;
        if (FindFile(g_group.path, after) && after.exists)
            WriteWhole(g_group.journal, EncodeCompleted(after.bytes));
        Reach(WriteStep::Completed);
        DropJournal(journalPath);
        Reach(WriteStep::JournalRemoved);
    }
    g_group = OpenGroup();
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

SettingsWrite::SettingsWrite() noexcept
{
    ++g_group.depth;
}

SettingsWrite::~SettingsWrite()
{
    if (--g_group.depth == 0)
        EndGroup();
}

bool PrepareSettingsWrite(const std::string& path)
{
    if (g_group.depth == 0)
        return true;
    if (g_group.path.empty() && !g_group.refused) {
        g_group.path = path;
        g_group.refused = !StartJournal();
    }
    // A file that cannot be journalled is not written: a cut one could cost the password.
    return path != g_group.path || !g_group.refused;
}

void SettingsWritten(const std::string& path) noexcept
{
    if (g_group.depth > 0 && path == g_group.path)
        Reach(WriteStep::ValueWritten);
}

void RecoverInterruptedWrite(const std::string& settingsPath)
{
    const std::string journalPath = JournalPathFor(settingsPath);
    HANDLE journal = ::CreateFileA(journalPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (journal == INVALID_HANDLE_VALUE)
        return;
    std::string bytes;
    JournalRecord record;
    FileFound file;
    const bool whole = ReadToEnd(journal, bytes) && ParseJournal(bytes, record);
    // A file that cannot be read now is left, and its journal with it, for a later start.
    if (whole && !FindFile(settingsPath, file)) {
        ::CloseHandle(journal);
        return;
    }
    if (whole && DecideRecovery(record, file) == Recovery::PutBack) {
        // Dated afresh first: a put-back cut by another crash is put back again at the
        // next start, not taken for a change made by hand.
        WriteWhole(journal, EncodePutBackBegun(Now()));
        ::FlushFileBuffers(journal);
        Reach(WriteStep::PutBackBegun);
        bool putBack = false;
        if (record.fileExisted) {
            HANDLE target = ::CreateFileA(settingsPath.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
            if (target != INVALID_HANDLE_VALUE) {
                putBack = WriteWhole(target, record.preImage) && ::SetEndOfFile(target) &&
                          ::FlushFileBuffers(target);
                ::CloseHandle(target);
            }
        } else {
            putBack = ::DeleteFileA(settingsPath.c_str()) != FALSE;
        }
        // Not put back: the journal stays for the next start to try again.
        if (!putBack) {
            ::CloseHandle(journal);
            return;
        }
        Reach(WriteStep::FilePutBack);
    }
    ::CloseHandle(journal);
    ::DeleteFileA(journalPath.c_str());
}
