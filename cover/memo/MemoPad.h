// The cover's memo pad: what it is given of the stored memo, the save while typing, and
// the keys that enter it. The pad is saved once the typing pauses, so that the client's
// end (a crash, a power cut) loses at most the last moments of it.
#pragma once
#include <windows.h>

#include "cover/memo/MemoSeam.h"
#include "framework/WideText.h"

class CoverLines;
class SettingsFile;

class MemoPad {
public:
    // The dialog's timer this pad uses for the pause in typing.
    static constexpr UINT_PTR kPauseTimer = 2;

    explicit MemoPad(SettingsFile& settings) noexcept : settings_(settings) {}
    MemoPad(const MemoPad&) = delete;
    MemoPad& operator=(const MemoPad&) = delete;

    // The pad `memoId` of `dialog`, its "shown in part" line `partId` among `lines`; the
    // stored memo is shown and saved only when `saving` (the switch, and a file that can be
    // read); a pad not `typable` takes no typing (a file that cannot be read: a note typed
    // there could only be saved over a memo nobody saw).
    void Open(HWND dialog, int memoId, CoverLines& lines, int partId, bool saving, bool typable);
    // The dialog goes: the subclass with it.
    void Close() noexcept;
    // EN_CHANGE: the edit is told apart (see MemoSeam.h), and the save waits for the
    // typing to pause.
    void Changed();
    // EN_MAXTEXT: the box is full, and a key was refused; the pad's line says so.
    void Full();
    // WM_TIMER; false for a timer not the pad's.
    bool OnTimer(UINT_PTR id);
    // Saves the memo when it differs from what the file holds as far as the cover
    // knows (the text loaded, then each text saved), and the switch says so.
    void SaveChanged() noexcept;
    // Saves `memo`, the pad's text, followed by the part of the stored memo the pad was not
    // given; false when the file did not take it.
    bool Save(const WideText& memo);
    // Whether the file holds `memo` followed by that part, as a save would store it.
    bool FileHolds(const WideText& memo) const;
    // After each message of the dialog's loop: the memo pad entered from the keyboard
    // (Tab, Shift+Tab, its mnemonic) gets the caret at the end, nothing selected, so the
    // next key adds to the memo instead of replacing it.
    void EnterAtEnd(HWND focusBefore, const MSG& msg) noexcept;

    bool Saving() const noexcept { return saving_; }
    // The pad holds only the start of the stored memo; every save keeps the rest after it
    // (until the pad is emptied, see MemoSeam.h).
    bool PartShown() const noexcept { return !rest_.empty() && edits_ != PadEdits::kReplaced; }
    // The pad's text as the file holds it, as far as this cover knows.
    const WideText& Known() const noexcept { return known_; }
    WideText Text() const;

private:
    // The stored memo into the pad, as much of it as the pad is given (see MemoBound.h).
    void ShowStored();
    // How much of `memo` the pad is given: bounded, and each line up to the room of all
    // the box's rows (no longer line can be seen whole there, nor typed).
    size_t ShownLength(const WideText& memo) const noexcept;
    void SetText(const WideText& text);
    // The pad's text since the last look, told apart as an edit; and the selection after
    // every message, where the next change will be made. False when nothing changed.
    bool Reconcile();
    void NoteSelection() noexcept;
    void ShowPartLine();
    static LRESULT CALLBACK Proc(HWND memo, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data) noexcept;

    HWND dialog_ = nullptr;
    HWND pad_ = nullptr;
    CoverLines* lines_ = nullptr;
    int partId_ = 0;
    bool saving_ = false;
    WideText known_;
    // The stored memo after what the pad was given.
    WideText rest_;
    // What the pad was given, its text at the last look, the selection there, and the
    // kind of edit made so far.
    WideText given_;
    WideText last_;
    size_t selStart_ = 0;
    size_t selEnd_ = 0;
    PadEdits edits_ = PadEdits::kNone;
    SettingsFile& settings_;
};
