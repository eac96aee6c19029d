// The cover coming up by itself: after LockAfterMinutes without keyboard or mouse input
// anywhere on the desktop, and, with LockWithWindows, when Windows locks the session
// (or switches it away, or a remote session disconnects) and before the computer
// suspends or hibernates.
//
// With both settings off nothing of it exists. Once one is on (at initialisation or
// after the settings dialog's Apply), all of it lives on the host's user-interface
// thread, inside whatever message loop runs there: a hidden top-level window of the plug-in's own (session and power
// notifications go to top-level windows), one timer on it, armed for the time that
// remains until the cover is due but never for more than a minute, so that a setting
// changed in the file is seen within a minute, and the session registration, loaded
// from wtsapi32.dll at run time (Windows 2000 has none).
#pragma once
#include <windows.h>

#include "plugin/DesktopClock.h"
#include "plugin/IdleClock.h"

class MenuCommands;
class SettingsFile;

// The lock's window, timer and session registration; the plug-in's owner holds one.
class AutoLock {
public:
    // The commands bring the cover up; the settings say when; `clock` tells the time and
    // the last input.
    AutoLock(MenuCommands& commands, SettingsFile& settings, const DesktopClock& clock) noexcept;
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

    // Called by initialisation, before the start-up cover: a cover that came up at
    // start-up is locked against nothing else, but the window must be there for the
    // notifications. Creates the window only when a lock setting is on.
    void Start();
    // Called by ems_plugin_finish: the timer, the session registration, the window and
    // its class go, so that nothing of the plug-in runs afterwards and a new load starts
    // afresh.
    void Stop() noexcept;
    // Reads the settings again and re-arms the timer, creating the window when a setting
    // has just been turned on (after the settings dialog's Apply).
    void Rearm() noexcept;

private:
    // The window, its class and the session registration; false when they cannot be had.
    bool Create() noexcept;
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void RegisterSession() noexcept;
    void UnregisterSession() noexcept;
    void Arm(UINT milliseconds) noexcept;
    void OnWake();
    void OnSessionChange(WPARAM event);
    void OnSuspend();
    // Brings the cover up now and returns whether it came up. With a menu of the client
    // open the cover would run inside the menu's loop, under its capture: the menu is
    // closed and the cover asked for again once it has gone.
    bool Lock();
    bool RunCoverHeld();
    // Whether the cover is due now, and when to look again.
    IdleDecision Decide() const noexcept;

    MenuCommands& commands_;
    SettingsFile& settings_;
    const DesktopClock& clock_;
    HWND window_ = nullptr;
    ATOM class_ = 0;
    HMODULE wtsapi_ = nullptr;
    bool sessionRegistered_ = false;
    int menuWaits_ = 0;
    // When the lock started; until a cover has ended it stands in for the last unlock.
    DWORD startTick_ = 0;
};


// The class of the hidden window; nothing else in the host's process uses this name.
extern const char* const kLockWindowClass;
