#include "plugin/AutoLock.h"

#include <windows.h>

#include "framework/HostFacts.h"
#include "framework/Module.h"
#include "plugin/IdleClock.h"
#include "plugin/MenuCommands.h"
#include "settings/SettingsFile.h"

const char* const kLockWindowClass = "VelmoraLockWindow";

namespace {

constexpr UINT_PTR kWakeTimer = 1;
// Posted to the window: bring the cover up now (after a session lock, or once a menu of
// the client that was open has closed).
constexpr UINT kLockRequest = WM_APP + 1;
// Posted just before a cover comes up inside a power notification; the cover's own
// message loop delivers it once the cover is up, and the sender is let go then.
constexpr UINT kReleaseSender = WM_APP + 2;
// How often a lock waits for a menu to close before it gives up until the next wake-up.
constexpr int kMenuWaits = 20;

// Session and power notifications, numbered as in winuser.h and wtsapi32.h.
constexpr UINT kSessionChange = 0x02B1;          // WM_WTSSESSION_CHANGE
constexpr WPARAM kConsoleDisconnect = 0x2;       // switched to another user
constexpr WPARAM kRemoteDisconnect = 0x4;
constexpr WPARAM kSessionLock = 0x7;
constexpr WPARAM kPowerSuspend = 0x4;            // PBT_APMSUSPEND
constexpr DWORD kThisSessionOnly = 0;            // NOTIFY_FOR_THIS_SESSION

using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

bool MenuIsOpen() noexcept
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetCurrentThreadId(), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

// `startTick`: when the lock started; until a cover has ended it stands in for the last
// unlock.
IdleTimes CurrentIdleTimes(const MenuCommands& commands, const DesktopClock& clock, DWORD startTick) noexcept
{
    IdleTimes times{};
    // Input first: read a moment later, it could lie after `now`.
    times.lastInput = clock.LastInput();
    times.now = clock.Now();
    DWORD coverEnd = 0;
    times.coverEnded = true;
    times.lastCoverEnd = commands.LastCoverEnd(coverEnd) ? coverEnd : startTick;
    return times;
}

} // namespace

AutoLock::AutoLock(MenuCommands& commands, SettingsFile& settings, const DesktopClock& clock) noexcept
    : commands_(commands), settings_(settings), clock_(clock)
{
}

IdleDecision AutoLock::Decide() const noexcept
{
    return DecideIdleLock(settings_.ReadLockAfterMinutes(), CurrentIdleTimes(commands_, clock_, startTick_));
}

void AutoLock::Start()
{
    Stop();
    // A client started by a script, or a system where nobody has touched the keyboard
    // since it booted, has no recent input: the minutes count from here at the earliest.
    startTick_ = clock_.Now();
    Rearm();
}

bool AutoLock::Create() noexcept
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = &AutoLock::WindowProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = kLockWindowClass;
    class_ = ::RegisterClassA(&wc);
    if (class_ == 0)
        return false;
    // Top-level, never shown: message-only windows get no power notifications.
    // The window carries this object from its first message on.
    window_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, kLockWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, ModuleInstance(), this);
    if (window_ == nullptr) {
        ::UnregisterClassA(kLockWindowClass, ModuleInstance());
        class_ = 0;
        return false;
    }
    RegisterSession();
    return true;
}

void AutoLock::Stop() noexcept
{
    if (window_ != nullptr) {
        UnregisterSession();
        // The timer goes with the window.
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
    if (class_ != 0) {
        ::UnregisterClassA(kLockWindowClass, ModuleInstance());
        class_ = 0;
    }
}

void AutoLock::Rearm() noexcept
{
    // With both settings off nothing of the lock exists: the plug-in is as it always
    // was. Turned on (Apply), the window, its timer and the registration come up now.
    if (window_ == nullptr) {
        const bool wanted = EffectiveLockMinutes(settings_.ReadLockAfterMinutes()) != 0 || settings_.ReadLockWithWindows() == 1;
        if (!wanted || !Create())
            return;
    }
    // A cover that is due comes through the timer, after the caller has returned.
    const IdleDecision decision = Decide();
    Arm(decision.lockNow ? 0 : decision.wakeAfterMs);
}

void AutoLock::RegisterSession() noexcept
{
    wtsapi_ = ::LoadLibraryA("wtsapi32.dll");
    if (wtsapi_ == nullptr)
        return;
    auto registerSession = reinterpret_cast<RegisterSessionFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(wtsapi_, "WTSRegisterSessionNotification")));
    sessionRegistered_ = registerSession != nullptr && registerSession(window_, kThisSessionOnly);
}

void AutoLock::UnregisterSession() noexcept
{
    if (sessionRegistered_) {
        auto unregisterSession = reinterpret_cast<UnregisterSessionFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(wtsapi_, "WTSUnRegisterSessionNotification")));
        if (unregisterSession != nullptr)
            unregisterSession(window_);
        sessionRegistered_ = false;
    }
    if (wtsapi_ != nullptr) {
        ::FreeLibrary(wtsapi_);
        wtsapi_ = nullptr;
    }
}

void AutoLock::Arm(UINT milliseconds) noexcept
{
    if (window_ != nullptr)
        ::SetTimer(window_, kWakeTimer, milliseconds, nullptr);
}

LRESULT CALLBACK AutoLock::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (msg == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    // Until CreateWindowEx returns, the window is not yet the lock's own.
    auto* lock = reinterpret_cast<AutoLock*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (lock != nullptr && window == lock->window_)
        return lock->Handle(msg, wParam, lParam);
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT AutoLock::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER:
        if (wParam == kWakeTimer)
            OnWake();
        return 0;
    case kSessionChange:
        OnSessionChange(wParam);
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == kPowerSuspend)
            OnSuspend();
        return TRUE;
    case kLockRequest:
        if (Lock())
            Rearm();
        return 0;
    case kReleaseSender:
        if (::InSendMessage())
            ::ReplyMessage(TRUE);
        return 0;
    default:
        return ::DefWindowProcA(window_, msg, wParam, lParam);
    }
}

void AutoLock::OnWake()
{
    const IdleDecision decision = Decide();
    Arm(decision.wakeAfterMs);
    // The user's absence counts from the unlock now.
    if (decision.lockNow && Lock())
        Rearm();
}

void AutoLock::OnSessionChange(WPARAM event)
{
    if (event != kSessionLock && event != kConsoleDisconnect && event != kRemoteDisconnect)
        return;
    if (settings_.ReadLockWithWindows() != 1)
        return;
    // The cover is there when the user comes back; whoever sent this is not kept waiting
    // for the unlock.
    menuWaits_ = 0;
    ::PostMessageA(window_, kLockRequest, 0, 0);
}

void AutoLock::OnSuspend()
{
    if (settings_.ReadLockWithWindows() != 1 || commands_.CoverIsUp() || !settings_.Exists())
        return;
    // The computer may sleep as soon as this returns, and nothing of the mail may show
    // on waking: the cover, and with it the hiding of the client's windows, comes up
    // here, and the sender is let go from inside the cover's loop.
    if (!MenuIsOpen()) {
        ::PostMessageA(window_, kReleaseSender, 0, 0);
        if (RunCoverHeld())
            Rearm();
        return;
    }
    // A menu's loop is running below: its window goes now, the cover right after.
    if (settings_.ReadSwitches().hideEudora == 1) {
        if (HWND host = ::FindWindowExA(nullptr, nullptr, kHostWindowClass, nullptr))
            ::ShowWindow(host, SW_HIDE);
    }
    menuWaits_ = 0;
    Lock();
}

bool AutoLock::Lock()
{
    if (commands_.CoverIsUp())
        return false;
    if (MenuIsOpen()) {
        ::EndMenu();
        if (menuWaits_++ < kMenuWaits)
            ::PostMessageA(window_, kLockRequest, 0, 0);
        return false;
    }
    menuWaits_ = 0;
    return RunCoverHeld();
}

bool AutoLock::RunCoverHeld()
{
    // The host may finish and unload the plug-in from inside the cover's message loop (at
    // the end of the session): every dialog's run holds the module, and keeps it loaded
    // for good once the plug-in has finished, so this code is still there to return to.
    return commands_.RunLockCover();
}
