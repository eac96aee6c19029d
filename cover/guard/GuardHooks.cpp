// The host window guard's hooks and subclasses: the code it runs in the client's threads.
#include "cover/guard/HostWindowGuard.h"

#include <commctrl.h>

#include <algorithm>

#include "cover/guard/GuardShared.h"
#include "framework/Module.h"

// A test seam (see the header): null in the product.
void (*g_afterGuardSubclassForTests)() = nullptr;

namespace {

// Identifies this guard's subclass among others on the same window.
constexpr UINT_PTR kSubclassId = 0x56454C4D;   // "VELM"
// How long the unlock waits for another thread to take its window's subclass off.
constexpr UINT kUnwatchWaitMs = 250;

// What the guard does about an event once the lock is left again.
struct Reaction {
    bool hide = false;
    bool watch = false;
    bool tellCover = false;
};

} // namespace

HeldWindow* HostWindowGuard::FindHeld(const GuardLock& lock, HWND window) noexcept
{
    return lock.Active() != nullptr ? lock.Active()->held_.Find(window) : nullptr;
}

void HostWindowGuard::TellCoverOfFront() noexcept
{
    HWND cover = nullptr;
    UINT message = 0;
    {
        GuardLock lock;
        if (const HostWindowGuard* guard = lock.Active()) {
            cover = guard->cover_;
            message = guard->frontMessage_;
        }
    }
    if (cover != nullptr)
        ::PostMessageA(cover, message, 0, 0);
}

void HostWindowGuard::Unwatch(HWND window) noexcept
{
    if (ThreadOf(window) == ::GetCurrentThreadId()) {
        ::RemoveWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId);
        return;
    }
    // A window of another thread: only that thread can take the subclass off. A thread
    // that does not answer keeps a subclass that does nothing but wait to be taken off;
    // its code must stay loaded for as long as the process lives.
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, UnwatchMessage(), 0, 0, SMTO_ABORTIFHUNG, kUnwatchWaitMs, &answer) &&
        ::IsWindow(window))
        PinModuleForever();
}

UINT HostWindowGuard::UnwatchMessage() noexcept
{
    static const UINT message = ::RegisterWindowMessageA("Velmora.Unwatch");
    return message;
}

void HostWindowGuard::Unhook() noexcept
{
    if (objectHook_ != nullptr)
        ::UnhookWinEvent(objectHook_);
    if (foregroundHook_ != nullptr)
        ::UnhookWinEvent(foregroundHook_);
    objectHook_ = nullptr;
    foregroundHook_ = nullptr;
    std::vector<ThreadHook> threadHooks;
    {
        GuardLock lock;
        threadHooks.swap(threadHooks_);
    }
    for (const ThreadHook& threadHook : threadHooks)
        ::UnhookWindowsHookEx(threadHook.hook);
}

// Windows refuses a subclass set from any thread but the window's own: a thread other
// than the cover's that owns held windows gets a hook on the messages it takes, which
// subclasses them there the first time it takes one.
void HostWindowGuard::HookOtherThreads(const std::vector<HWND>& unwatched) noexcept
{
    for (HWND window : unwatched) {
        const DWORD thread = ThreadOf(window);
        bool hooked = false;
        bool wake = false;
        {
            GuardLock lock;
            for (ThreadHook& threadHook : threadHooks_) {
                if (threadHook.thread == thread) {
                    hooked = true;
                    // Woken once; a thread that takes no message is not woken again.
                    wake = !threadHook.pending;
                    threadHook.pending = true;
                }
            }
        }
        if (!hooked && thread != 0) {
            // The hook's procedure is this module's: it stays loaded while the cover
            // runs, and Unhook comes before the cover's end.
            HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, &HostWindowGuard::GetMessageProc, ModuleInstance(), thread);
            if (hook == nullptr)
                continue;
            GuardLock lock;
            threadHooks_.push_back(ThreadHook{thread, hook, true});
            wake = true;
        }
        if (wake)
            ::PostMessageA(window, WM_NULL, 0, 0);
    }
}

void HostWindowGuard::WatchOwnWindows() noexcept
{
    const DWORD thread = ::GetCurrentThreadId();
    std::vector<HWND> windows;
    {
        GuardLock lock;
        HostWindowGuard* guard = lock.Active();
        if (guard == nullptr)
            return;
        auto threadHook = std::find_if(guard->threadHooks_.begin(), guard->threadHooks_.end(),
                                       [thread](const ThreadHook& t) { return t.thread == thread && t.pending; });
        if (threadHook == guard->threadHooks_.end())
            return;
        threadHook->pending = false;
        for (const HeldWindow& held : guard->held_) {
            if (!held.subclassed && ThreadOf(held.window) == thread)
                windows.push_back(held.window);
        }
    }
    for (HWND window : windows)
        Watch(window);
}

LRESULT CALLBACK HostWindowGuard::GetMessageProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION)
        WatchOwnWindows();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void HostWindowGuard::Watch(HWND window) noexcept
{
    // A subclass can only be set from the window's own thread: the cover's, that of a
    // window the event hook sees made, or one whose thread hook runs.
    if (ThreadOf(window) != ::GetCurrentThreadId() ||
        !::SetWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId, 0))
        return;
    if (g_afterGuardSubclassForTests != nullptr)
        g_afterGuardSubclassForTests();
    {
        GuardLock lock;
        if (HeldWindow* held = FindHeld(lock, window)) {
            held->subclassed = true;
            return;
        }
    }
    // Let go meanwhile: the release would not know to take it off.
    ::RemoveWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId);
}

// Every way of showing a held window is undone here before anything is drawn:
// ShowWindow, SetWindowPos with SWP_SHOWWINDOW, DeferWindowPos, SetWindowPlacement and a
// restore from minimised all pass through WM_WINDOWPOSCHANGING; WS_VISIBLE set directly
// passes through WM_STYLECHANGING.
LRESULT CALLBACK HostWindowGuard::GuardProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR) noexcept
{
    bool held = false;
    {
        GuardLock lock;
        held = FindHeld(lock, window) != nullptr;
    }
    // The guard let go of the window (or asks this thread to take the subclass off).
    if (!held || msg == UnwatchMessage()) {
        ::RemoveWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId);
        return msg == UnwatchMessage() ? 0 : ::DefSubclassProc(window, msg, wParam, lParam);
    }
    switch (msg) {
    case WM_WINDOWPOSCHANGING: {
        // The window's own handler runs first; the last word on showing is ours.
        const LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
        if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) {
            GuardLock lock;
            if (pos->flags & SWP_SHOWWINDOW)
                HeldWindows::Request(FindHeld(lock, window), true);
            else if (pos->flags & SWP_HIDEWINDOW)
                HeldWindows::Request(FindHeld(lock, window), false);
            pos->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
        }
        return result;
    }
    case WM_STYLECHANGING: {
        const LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
        auto* style = reinterpret_cast<STYLESTRUCT*>(lParam);
        if (static_cast<int>(wParam) == GWL_STYLE && style != nullptr) {
            GuardLock lock;
            const bool was = (style->styleOld & WS_VISIBLE) != 0;
            const bool asked = (style->styleNew & WS_VISIBLE) != 0;
            if (was != asked)
                HeldWindows::Request(FindHeld(lock, window), asked);
            style->styleNew &= ~static_cast<DWORD>(WS_VISIBLE);
        }
        return result;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            TellCoverOfFront();
        break;
    case WM_NCDESTROY: {
        // A subclass must be gone before its window is.
        ::RemoveWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId);
        GuardLock lock;
        if (lock.Active() != nullptr)
            lock.Active()->held_.Forget(window);
        break;
    }
    default:
        break;
    }
    return ::DefSubclassProc(window, msg, wParam, lParam);
}

// Runs in the thread that makes or shows a window: there a new window is subclassed
// before it can be shown, and a window of a thread that takes no message (so its thread
// hook never runs) is hidden right after it became visible, before it is painted. Also
// sees windows destroyed and a held window come to the front. Wine before wine 10 tells
// such hooks only of new windows.
void CALLBACK HostWindowGuard::EventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId,
                                         LONG childId, DWORD, DWORD) noexcept
{
    if (window == nullptr || objectId != OBJID_WINDOW || childId != CHILDID_SELF)
        return;
    Reaction reaction;
    {
        GuardLock lock;
        HostWindowGuard* guard = lock.Active();
        if (guard == nullptr)
            return;
        HeldWindow* held = guard->held_.Find(window);
        switch (event) {
        case EVENT_OBJECT_CREATE:
        case EVENT_OBJECT_SHOW:
            if (held == nullptr && guard->Eligible(window))
                held = guard->held_.TakeIn(window, false);
            if (held == nullptr)
                break;
            reaction.watch = !held->subclassed && ThreadOf(window) == ::GetCurrentThreadId();
            if (event == EVENT_OBJECT_SHOW) {
                HeldWindows::Request(held, true);
                reaction.hide = true;
            }
            break;
        case EVENT_OBJECT_HIDE:
            HeldWindows::Request(held, false);
            break;
        case EVENT_OBJECT_DESTROY:
            guard->held_.Forget(window);
            break;
        case EVENT_SYSTEM_FOREGROUND:
            reaction.tellCover = held != nullptr || guard->Eligible(window);
            break;
        default:
            break;
        }
    }
    if (reaction.watch)
        Watch(window);
    if (reaction.hide)
        HideHeld(window, true);
    if (reaction.tellCover)
        TellCoverOfFront();
}
