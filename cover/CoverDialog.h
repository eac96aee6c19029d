// The cover: a modal lock over the host with a memo pad, the date and a running clock.
// It ends only when the stored password is typed and Unlock is pressed.
#pragma once
#include <string>

#include "cover/CoverScreens.h"
#include "cover/DateClockText.h"
#include "cover/DisabledOwner.h"
#include "cover/HostWindowGuard.h"
#include "cover/WrongPasswordGate.h"
#include "framework/Dialog.h"
#include "framework/WideText.h"
#include "resource.h"
#include "settings/SettingsFile.h"

class CoverDialog : public CDialog {
public:
    enum { IDD = IDD_COVER };

    // Longest memo pad text, counted as the edit control counts it (a line break is
    // two characters there, one TAB in the settings file). The profile writer mangles
    // any value of 32767 characters or more (measured under wine: 32766 written
    // characters, quotes included, come back whole; 32767 leave a few garbage
    // characters in place of the whole value, and the write still reports success).
    // 30000 keeps a stored memo, quotes included, well below that.
    static constexpr int kMemoLimit = 30000;
    // Longest start of a stored memo the pad is given: whatever it held comes back whole,
    // lone line breaks too (one character in the pad, a CR LF pair after a save).
    static constexpr int kLongestShownMemo = 2 * kMemoLimit;

    // The lines the cover shows about itself while they apply.
    static const char* const kNoPasswordLine;
    static const char* const kLockUnrecordedLine;
    static const char* const kMemoPartLine;

    explicit CoverDialog(SettingsFile& settings, HWND parent = nullptr);
    ~CoverDialog() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    // The end of the session, or the host finishing with the plug-in while the cover is
    // up: the memo is saved as typed (when the switch says so), nothing of the client is
    // shown, the lock stays recorded, and the run ends at once.
    void EndForShutdown() noexcept override;
    // True after a run during which the host's main window, found when the cover came
    // up, was destroyed: the client is going away.
    bool HostWindowGone() const noexcept { return m_hostWindow != nullptr && !::IsWindow(m_hostWindow); }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    const ClickEntry* GetClickTable() const override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnModalLoopEnded() noexcept override;
    // The standard commands would end the cover without the password; any program can
    // post them. Only Unlock ends it.
    void OnOK() override;
    void OnCancel() override;

private:
    void OnUnlock();
    void OnClockTick();
    // The memo pad is saved while the cover is up, once the typing pauses, so that the
    // client's end (a crash, a power cut) loses at most the last moments of it.
    void OnMemoChanged() noexcept;
    void OnMemoPause();
    // Saves the memo when it differs from what the file holds as far as the cover
    // knows (the text loaded, then each text saved), and the switch says so.
    void SaveChangedMemo() noexcept;
    // After a wrong password: the focus in the password edit, its text selected.
    void ReadyForNextTry() noexcept;
    void ShowDate();
    // The line that says Caps Lock is on, shown while the password edit has the focus.
    void ShowCapsLock() noexcept;
    void ShowHostAgain() noexcept;
    // Locked=1 in the settings file, once: after the first paint, before an unlock attempt,
    // or as a cover never drawn goes.
    void RecordLockOnce() noexcept;
    // The clock tick: the keyboard back when nobody has it.
    void KeepKeyboard() noexcept;
    // Brings the cover (or the message box above it) back to the front.
    void ReclaimFocus() noexcept;
    // Asked when the memo pad could not be saved: true to close all the same.
    bool ConfirmUnsavedMemo();
    // A wrong password: the message, and the password edit ready for the next try.
    void RefuseTry();
    // The memo saved at unlock (with the switch on, when changed); false when it could not
    // be and the user keeps the cover open to copy it.
    bool SaveMemoAtUnlock();
    // Shows the line about wrong passwords (nothing while there are none).
    void ShowWrongPasswords();
    // The stored memo into the pad, as much of it as the pad is given (see ShownMemo.h).
    void ShowStoredMemo();
    // How much of `memo` the pad's box can show: each line up to the room of all its
    // rows (no longer line can be seen whole there, nor typed). The whole memo when the
    // box cannot be measured.
    size_t LengthTheBoxShows(const WideText& memo) const noexcept;
    // Says so while an empty field opens the cover (`show`): it must not pass for a lock.
    void ShowNoPassword(bool show);
    // The memo pad entered from the keyboard (Tab, Shift+Tab, its mnemonic): the caret
    // at the end, nothing selected, so the next key adds to the memo instead of
    // replacing it.
    void EnterMemoAtEnd(HWND focusBefore, const MSG& msg) noexcept;
    static LRESULT CALLBACK MemoProc(HWND memo, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data) noexcept;

    SettingsFile& m_settings;
    std::string m_dateText;
    std::string m_clockText;
    ClockReading m_clockReading;
    int m_saveMemoPadText = 0;
    // The memo as the file holds it, as far as this cover knows.
    WideText m_memoText;
    int m_hideEudora = 0;
    HWND m_hostWindow = nullptr;
    // Holds the host's windows hidden from initialisation until unlock.
    HostWindowGuard m_hostGuard;
    // Keeps the window the run disabled disabled until the run ends.
    DisabledOwner m_disabledOwner;
    WrongPasswordGate m_gate;
    std::string m_wrongLine;
    bool m_capsLockShown = false;
    bool m_noPasswordShown = false;
    // The pad holds only the start of the stored memo; the file keeps the rest until the
    // memo is changed.
    bool m_memoPartShown = false;
    bool m_lockRecorded = false;
    // A message box of the unlock is up: Unlock clicks posted meanwhile are no tries.
    bool m_answering = false;
    // The stretched cover's curtains, and the cover kept on the monitors that exist.
    CoverScreens m_screens;
};
