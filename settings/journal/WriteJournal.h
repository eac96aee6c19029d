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

#include "framework/ScopedHandle.h"
#include "settings/journal/JournalFormat.h"

// velmora.jnl beside the settings file (velmora.ini).
std::string JournalPathFor(const std::string& settingsPath);

// The steps of a write and of the undoing of one, in order.
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

// Told each step as it is reached; tests take what is on the disk at that instant as a
// crash would leave it. The product has none.
class WriteObserver {
public:
    virtual void Reached(WriteStep step) = 0;

protected:
    ~WriteObserver() = default;
};

// The journal of one settings file: the group open on it, and the undoing of a write a
// crash cut.
class WriteJournal {
public:
    // `settingsPath` is the file's path as its owner keeps it (it may change before the
    // first group).
    WriteJournal(const std::string& settingsPath, WriteObserver* observer) noexcept;
    WriteJournal(const WriteJournal&) = delete;
    WriteJournal& operator=(const WriteJournal&) = delete;

    // A group begins and ends; a group begun inside a group joins it.
    void BeginGroup() noexcept;
    void EndGroup() noexcept;
    // Right before each write of the file inside a group: journals the file before its
    // first write. False when the file must not be written: the journal could not be
    // made, or the file not read.
    bool BeforeWrite();
    // Right after each such write.
    void AfterWrite() noexcept;
    // Whether the last group was refused because the journal itself could not be made in
    // a folder that exists (a folder that takes no new files, something else of its name).
    bool JournalNotMade() const noexcept { return notMade_; }

    // Initialisation, before anything reads the file: a write a crash cut is undone (the
    // file put back as it was) unless it completed or the file was changed by hand since;
    // the journal goes once nothing is left to do. A journal larger than any the plug-in
    // writes is renamed velmora.jnl.bad (or left, when that name is taken), never read.
    void UndoInterruptedWrite();

private:
    void Reach(WriteStep step);
    bool StartJournal();
    void DropJournal() noexcept;
    void FinishGroup() noexcept;

    const std::string& file_;
    WriteObserver* observer_;
    int depth_ = 0;
    bool started_ = false;
    bool refused_ = false;
    bool notMade_ = false;
    ScopedHandle journal_;
};

// One group of writes of the settings file: what is written through it counts as one,
// with the journal written only when a write comes. Only the settings file makes one
// (IniFile::BeginWrite), and every write takes one: a write outside a group does not
// compile.
class WriteGroup {
public:
    ~WriteGroup() { journal_.EndGroup(); }
    WriteGroup(const WriteGroup&) = delete;
    WriteGroup& operator=(const WriteGroup&) = delete;

    // One write of the file, `write()` returning whether it was made: journalled before
    // it, and not made at all when the journal could not be.
    template <class Write>
    bool Make(Write write) const
    {
        if (!journal_.BeforeWrite())
            return false;
        const bool made = write();
        journal_.AfterWrite();
        return made;
    }

private:
    friend class IniFile;
    explicit WriteGroup(WriteJournal& journal) noexcept : journal_(journal) { journal_.BeginGroup(); }

    WriteJournal& journal_;
};
