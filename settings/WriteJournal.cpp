#include "settings/WriteJournal.h"

#include "framework/File.h"

void (*WriteStepReached)(WriteStep step) = nullptr;

namespace {

// The first line says whose file it is to anyone who opens it.
const char kMagic[] = "Velmora journal 1: velmora.ini as it was before a write\r\n";
constexpr size_t kMagicSize = sizeof kMagic - 1;
const char kCompletedTag[] = "DONE";
const char kPutBackTag[] = "BACK";
// An appended record: a tag, two numbers and the checksum of the three.
constexpr size_t kAppendedSize = 16;

void Reach(WriteStep step)
{
    if (WriteStepReached != nullptr)
        WriteStepReached(step);
}

void PutNumber(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t NumberAt(const std::string& bytes, size_t at) noexcept
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

std::string Appended(const char* tag, uint32_t first, uint32_t second)
{
    std::string record(tag, 4);
    PutNumber(record, first);
    PutNumber(record, second);
    PutNumber(record, Crc32(record));
    return record;
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

uint32_t Crc32(const std::string& bytes) noexcept
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string EncodeJournal(bool fileExisted, const std::string& preImage, FileTimeValue stamp)
{
    std::string journal(kMagic, kMagicSize);
    PutNumber(journal, fileExisted ? 1 : 0);
    PutNumber(journal, static_cast<uint32_t>(stamp));
    PutNumber(journal, static_cast<uint32_t>(stamp >> 32));
    PutNumber(journal, static_cast<uint32_t>(preImage.size()));
    journal += preImage;
    PutNumber(journal, Crc32(journal));
    return journal;
}

std::string EncodeCompleted(const std::string& postImage)
{
    return Appended(kCompletedTag, static_cast<uint32_t>(postImage.size()), Crc32(postImage));
}

std::string EncodePutBackBegun(FileTimeValue stamp)
{
    return Appended(kPutBackTag, static_cast<uint32_t>(stamp), static_cast<uint32_t>(stamp >> 32));
}

bool ParseJournal(const std::string& bytes, JournalRecord& record)
{
    record = JournalRecord();
    constexpr size_t kHeaderSize = kMagicSize + 16;
    if (bytes.size() < kHeaderSize + 4 || bytes.compare(0, kMagicSize, kMagic) != 0)
        return false;
    const uint32_t existed = NumberAt(bytes, kMagicSize);
    const size_t size = NumberAt(bytes, kMagicSize + 12);
    if (existed > 1 || size > bytes.size() - kHeaderSize - 4)
        return false;
    const size_t end = kHeaderSize + size;
    if (Crc32(bytes.substr(0, end)) != NumberAt(bytes, end))
        return false;
    record.fileExisted = existed == 1;
    record.stamp = (static_cast<FileTimeValue>(NumberAt(bytes, kMagicSize + 8)) << 32) |
                   NumberAt(bytes, kMagicSize + 4);
    record.preImage = bytes.substr(kHeaderSize, size);
    for (size_t at = end + 4; bytes.size() - at >= kAppendedSize; at += kAppendedSize) {
        const std::string appended = bytes.substr(at, kAppendedSize);
        if (Crc32(appended.substr(0, 12)) != NumberAt(appended, 12))
            break;
        if (appended.compare(0, 4, kCompletedTag) == 0) {
            record.completed = true;
            record.postSize = NumberAt(appended, 4);
            record.postChecksum = NumberAt(appended, 8);
        } else if (appended.compare(0, 4, kPutBackTag) == 0) {
            record.stamp = (static_cast<FileTimeValue>(NumberAt(appended, 8)) << 32) | NumberAt(appended, 4);
        } else {
            break;
        }
    }
    return true;
}

Recovery DecideRecovery(const JournalRecord& journal, const FileFound& file) noexcept
{
    // Writes never remove the file: one missing was removed by hand (or never made).
    if (!file.exists)
        return Recovery::Leave;
    if (journal.fileExisted && file.bytes == journal.preImage)
        return Recovery::Leave;
    if (journal.completed && file.bytes.size() == journal.postSize && Crc32(file.bytes) == journal.postChecksum)
        return Recovery::Leave;
    if (file.lastWrite > journal.stamp + kHandEditAfter)
        return Recovery::Leave;
    return Recovery::PutBack;
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
