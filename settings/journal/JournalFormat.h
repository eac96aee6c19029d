// The journal's own format and what initialisation makes of a journal it finds: plain
// functions on bytes and numbers, apart from the disk work (settings/journal/WriteJournal.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/SettingsLimits.h"

// The largest journal the plug-in writes: such a file with the journal's few records. A
// larger velmora.jnl is not one of its own: initialisation sets it aside, unread.
constexpr size_t kLargestJournal = kLargestSettingsFile + 4096;

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

// A file last written more than this long after the journal's stamp was changed by hand
// after the crash: the write itself ends within moments of its journal.
constexpr FileTimeValue kHandEditAfter = 10ull * 10000000ull;
// A file last written more than this long before the journal's stamp was not touched by
// the write (a backup put back by hand keeps its date): the margin covers coarse file
// times (FAT keeps them to 2 s).
constexpr FileTimeValue kUntouchedBefore = 5ull * 10000000ull;
// A file written exactly at either margin is the write's own, and is put back: in doubt,
// the file as it was before the write comes back rather than a torn one staying.

enum class Recovery { Leave, PutBack };
// Leave: the file is as before the write (untouched), as after it (completed), or as
// somebody made it by hand since (changed later, put back from before, or removed).
// PutBack otherwise.
Recovery DecideRecovery(const JournalRecord& journal, const FileFound& file) noexcept;
