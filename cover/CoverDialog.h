// The cover: a modal lock over the host with a memo pad, the date and a running clock.
// It ends only when the stored password is typed and Unlock is pressed.
#pragma once
#include <string>

#include "cover/clock/CoverClock.h"
#include "cover/front/CoverFront.h"
#include "cover/CoverLines.h"
#include "cover/front/CoverScreens.h"
#include "cover/DisabledOwner.h"
#include "cover/memo/MemoPad.h"
#include "cover/unlock/WrongPasswordGate.h"
#include "cover/guard/HostWindowGuard.h"
#include "framework/Dialog.h"
#include "resource.h"
#include "settings/SettingsFile.h"

class CoverDialog : public CDialog {
public:
    enum { IDD = IDD_COVER };

    // `productName` captions its message boxes. `guardObserver` (tests only) is told what
    // the guard over the client's windows does.
    CoverDialog(SettingsFile& settings, std::string productName, HWND parent = nullptr,
                GuardObserver* guardObserver = nullptr);
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
    BOOL OnInitDialog() override;
    const ClickEntry* GetClickTable() const override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnModalLoopEnded() noexcept override;
    // The standard commands would end the cover without the password; any program can
    // post them. Only Unlock ends it.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void OnUnlock();
    void OnClockTick();
    void OnDestroy() noexcept;
    // After a wrong password: the focus in the password edit, its text selected.
    void ReadyForNextTry() noexcept;
    // The line that says Caps Lock is on, shown while the password edit has the focus.
    void ShowCapsLock() noexcept;
    // Locked=1 in the settings file, once: after the first paint, before an unlock attempt,
    // or as a cover never drawn goes.
    void RecordLockOnce() noexcept;
    // Asked when the memo pad could not be saved: true to close all the same.
    bool ConfirmUnsavedMemo();
    // A refused try: the message `why`, and the password edit ready for the next try.
    void RefuseTry(const char* why);
    // The memo saved at unlock (with the switch on, when changed); false when it could not
    // be and the user keeps the cover open to copy it.
    bool SaveMemoAtUnlock();
    // Shows the line about wrong passwords (nothing while there are none).
    void ShowWrongPasswords();
    // Says so when an empty field opens the cover: it must not pass for a lock.
    void ShowNoPassword();
    // Says so while the settings file is too large to read: no password can open the
    // cover then. True while it is.
    bool ShowFileUnreadable();

    SettingsFile& m_settings;
    std::string m_productName;
    CoverClock m_clock;
    MemoPad m_memo;
    HWND m_hostWindow = nullptr;
    // Holds the host's windows hidden from initialisation until unlock.
    HostWindowGuard m_hostGuard;
    // Keeps the window the run disabled disabled until the run ends.
    DisabledOwner m_disabledOwner;
    WrongPasswordGate m_gate;
    // What the cover says about itself, each line taking room only while it says it.
    CoverLines m_lines;
    bool m_lockRecorded = false;
    // A message box of the unlock is up: Unlock clicks posted meanwhile are no tries.
    bool m_answering = false;
    // The stretched cover's curtains, and the cover kept on the monitors that exist.
    CoverScreens m_screens;
    // The cover in front, the keyboard with it.
    CoverFront m_front;
};
