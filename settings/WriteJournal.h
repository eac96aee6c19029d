// Writes of velmora.ini that are all or nothing.
//
// The profile functions rewrite the whole file in place, and the handle held from
// initialisation keeps it from being replaced by a rename, so a crash or a power cut in
// the middle of a write could leave it cut: the lock, the password and the memo with it.
// A group of writes that belong together therefore goes like this: before the first
// write touches the file, the whole file as it was goes into a journal beside it
// (velmora.jnl) and is flushed to the disk; then the profile functions write and
// the file is flushed; then the journal records that the write completed and goes.
// Initialisation, before anything reads the file, puts the file back as it was when a
// journal is left over, unless the write had completed or the file was changed by hand
// after the crash. A journal that was itself cut is dropped: the file was not touched
// yet then. Versions that know no journal read the file as it is.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// velmora.jnl beside the settings file (velmora.ini).
std::string JournalPathFor(const std::string& settingsPath);

// ---- the journal's content ---------------------------------------------------------

// Time in the system's file-time units (100 ns since 1601, UTC).
using FileTimeValue = uint64_t;

// What a journal says, once read.
struct JournalRecord {
    // The file as it was before the write (empty and false when there was none).
    bool fileExisted = false;
    std::string preImage;
    // When the journal was written, or a later put-back of it began.
    FileTimeValue stamp = 0;
    // The write reached its end, leaving a file of this size and checksum.
    bool completed = false;
    uint32_t postSize = 0;
    uint32_t postChecksum = 0;
};

uint32_t Crc32(const std::string& bytes) noexcept;
// The journal as first written, and the records appended to it later.
std::string EncodeJournal(bool fileExisted, const std::string& preImage, FileTimeValue stamp);
std::string EncodeCompleted(const std::string& postImage);
std::string EncodePutBackBegun(FileTimeValue stamp);
// False when the journal is not whole (cut while it was written, or not one of ours);
// an appended record that is not whole is ignored.
bool ParseJournal(const std::string& bytes, JournalRecord& record);

// The settings file as initialisation finds it.
struct FileFound {
    bool exists = false;
    std::string bytes;
    FileTimeValue lastWrite = 0;
};

// A file last written this long after the journal's stamp was changed by hand after the
// crash: the write itself ends within moments of its journal.
constexpr FileTimeValue kHandEditAfter = 10ull * 10000000ull;

enum class Recovery { Leave, PutBack };
// Leave: the file is as before the write (untouched), as after it (completed), or as
// somebody made it by hand since (changed later, or removed). PutBack otherwise.
Recovery DecideRecovery(const JournalRecord& journal, const FileFound& file) noexcept;

// ---- writing ---------------------------------------------------------------------

// One group of writes of the settings file: what is written while one lives counts as
// one. Groups inside a group join it. The journal is written only when a write comes.
class SettingsWrite {
public:
    SettingsWrite() noexcept;
    ~SettingsWrite();
    SettingsWrite(const SettingsWrite&) = delete;
    SettingsWrite& operator=(const SettingsWrite&) = delete;
};

// Called right before each write of `path` (profile write or whole file): inside a
// group on the settings file, journals the file before its first write. False when the
// file must not be written: the journal could not be made, or the file not read.
bool PrepareSettingsWrite(const std::string& path);
// Called right after each such write.
void SettingsWritten(const std::string& path) noexcept;

// Initialisation: finishes what a journal left beside the file says, and removes it.
void RecoverInterruptedWrite(const std::string& settingsPath);

// ---- the steps, for tests ------------------------------------------------------------

enum class WriteStep {
    JournalWritten,  // the journal's bytes handed to the system, not yet flushed
    JournalFlushed,  // the journal on the disk; the file not touched yet
    ValueWritten,    // one write of the group made (the file may be cut on a power cut)
    FileFlushed,     // every write of the group on the disk
    Completed,       // the journal says the write completed
    JournalRemoved,  // nothing left beside the file
    PutBackBegun,    // recovery: the journal says a put-back began
    FilePutBack,     // recovery: the file as it was, on the disk; the journal still there
};
// Called at each step when set; null in the product. A test takes what is on the disk
// at that instant as a crash would leave it.
extern void (*WriteStepReached)(WriteStep step);
