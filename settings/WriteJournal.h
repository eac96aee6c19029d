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

#include <string>

#include "settings/JournalFormat.h"

// velmora.jnl beside the settings file (velmora.ini).
std::string JournalPathFor(const std::string& settingsPath);

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
