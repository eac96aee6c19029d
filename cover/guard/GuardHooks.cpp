#include "cover/guard/GuardHooks.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Module.h"

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

LRESULT CALLBACK GuardProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept;

// The active guard's record of `window`, or null; under `lock`.
HeldWindow* FindHeld(const GuardLock& lock, HWND window) noexcept
{
    return lock.Active() != nullptr ? lock.Active()->held.Find(window) : nullptr;
}

GuardObserver* ActiveObserver() noexcept
{
    GuardLock lock;
    return lock.Active() != nullptr ? lock.Active()->observer : nullptr;
}

// A held window came to the front: the cover is told to take it back; called without
// the lock, from any thread.
void TellCoverOfFront() noexcept
{
    HWND cover = nullptr;
    UINT message = 0;
    {
        GuardLock lock;
        if (const GuardRecord* record = lock.Active()) {
            cover = record->cover;
            message = record->frontMessage;
        }
    }
    if (cover != nullptr)
        ::PostMessageA(cover, message, 0, 0);
}

UINT UnwatchMessage() noexcept
{
    static const UINT message = ::RegisterWindowMessageA("Velmora.Unwatch");
    return message;
}

// Subclasses the calling thread's held windows if its hook was woken for that; called
// without the lock.
void WatchOwnWindows() noexcept
{
    const DWORD thread = ::GetCurrentThreadId();
    std::vector<HWND> windows;
    {
        GuardLock lock;
        GuardRecord* record = lock.Active();
        if (record == nullptr)
            return;
        auto threadHook = std::find_if(record->threadHooks.begin(), record->threadHooks.end(),
                                       [thread](const ThreadHook& t) { return t.thread == thread && t.pending; });
        if (threadHook == record->threadHooks.end())
            return;
        threadHook->pending = false;
        for (const HeldWindow& held : record->held) {
            if (!held.subclassed && ThreadOf(held.window) == thread)
                windows.push_back(held.window);
        }
    }
    for (HWND window : windows)
        WatchHeld(window);
}

LRESULT CALLBACK GetMessageProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION)
        WatchOwnWindows();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void UnwatchHeld(HWND window) noexcept
{
    if (ThreadOf(window) == ::GetCurrentThreadId()) {
        ::RemoveWindowSubclass(window, &GuardProc, kSubclassId);
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

void UnhookOtherThreads(GuardRecord& record) noexcept
{
    std::vector<ThreadHook> threadHooks;
    {
        GuardLock lock;
        threadHooks.swap(record.threadHooks);
    }
    for (const ThreadHook& threadHook : threadHooks)
        ::UnhookWindowsHookEx(threadHook.hook);
}

// Windows refuses a subclass set from any thread but the window's own: a thread other
// than the cover's that owns held windows gets a hook on the messages it takes, which
// subclasses them there the first time it takes one.
void HookOtherThreads(GuardRecord& record, const std::vector<HWND>& unwatched) noexcept
{
    for (HWND window : unwatched) {
        const DWORD thread = ThreadOf(window);
        bool hooked = false;
        bool wake = false;
        {
            GuardLock lock;
            for (ThreadHook& threadHook : record.threadHooks) {
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
            HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, &GetMessageProc, ModuleInstance(), thread);
            if (hook == nullptr)
                continue;
            GuardLock lock;
            record.threadHooks.push_back(ThreadHook{thread, hook, true});
            wake = true;
        }
        if (wake)
            ::PostMessageA(window, WM_NULL, 0, 0);
    }
}

void WatchHeld(HWND window) noexcept
{
    // A subclass can only be set from the window's own thread: the cover's, that of a
    // window the event hook sees made, or one whose thread hook runs.
    if (ThreadOf(window) != ::GetCurrentThreadId() ||
        !::SetWindowSubclass(window, &GuardProc, kSubclassId, 0))
        return;
    if (GuardObserver* observer = ActiveObserver())
        observer->Subclassed();
    {
        GuardLock lock;
        if (HeldWindow* held = FindHeld(lock, window)) {
            held->subclassed = true;
            return;
        }
    }
    // Let go meanwhile: the release would not know to take it off.
    ::RemoveWindowSubclass(window, &GuardProc, kSubclassId);
}

// Every way of showing a held window is undone here before anything is drawn:
// ShowWindow, SetWindowPos with SWP_SHOWWINDOW, DeferWindowPos, SetWindowPlacement and a
// restore from minimised all pass through WM_WINDOWPOSCHANGING; WS_VISIBLE set directly
// passes through WM_STYLECHANGING.
namespace {

LRESULT CALLBACK GuardProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept
{
    bool held = false;
    {
        GuardLock lock;
        held = FindHeld(lock, window) != nullptr;
    }
    // The guard let go of the window (or asks this thread to take the subclass off).
    if (!held || msg == UnwatchMessage()) {
        ::RemoveWindowSubclass(window, &GuardProc, kSubclassId);
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
        ::RemoveWindowSubclass(window, &GuardProc, kSubclassId);
        GuardLock lock;
        if (lock.Active() != nullptr)
            lock.Active()->held.Forget(window);
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
void CALLBACK EventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD,
                        DWORD) noexcept
{
    if (window == nullptr || objectId != OBJID_WINDOW || childId != CHILDID_SELF)
        return;
    Reaction reaction;
    {
        GuardLock lock;
        GuardRecord* record = lock.Active();
        if (record == nullptr)
            return;
        HeldWindow* held = record->held.Find(window);
        switch (event) {
        case EVENT_OBJECT_CREATE:
        case EVENT_OBJECT_SHOW:
            if (held == nullptr && record->Eligible(window))
                held = record->held.TakeIn(window, false);
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
            record->held.Forget(window);
            break;
        case EVENT_SYSTEM_FOREGROUND:
            reaction.tellCover = held != nullptr || record->Eligible(window);
            break;
        default:
            break;
        }
    }
    if (reaction.watch)
        WatchHeld(window);
    if (reaction.hide)
        HideHeld(window, true);
    if (reaction.tellCover)
        TellCoverOfFront();
}

} // namespace

void GuardEventHooks::Hook(DWORD process) noexcept
{
    // In context: EventProc runs in the thread that makes or shows a window.
    object_ = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE, ModuleInstance(), &EventProc, process, 0,
                                WINEVENT_INCONTEXT);
    foreground_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, ModuleInstance(), &EventProc,
                                    process, 0, WINEVENT_INCONTEXT);
}

void GuardEventHooks::Unhook() noexcept
{
    if (object_ != nullptr)
        ::UnhookWinEvent(object_);
    if (foreground_ != nullptr)
        ::UnhookWinEvent(foreground_);
    object_ = nullptr;
    foreground_ = nullptr;
}

void HideHeld(HWND window, bool byEvent) noexcept
{
    GuardObserver* observer = nullptr;
    {
        GuardLock lock;
        if (lock.Active() == nullptr || !lock.Active()->held.BeginOwnHide(window))
            return;
        observer = lock.Active()->observer;
    }
    ::ShowWindow(window, SW_HIDE);
    {
        GuardLock lock;
        if (lock.Active() != nullptr)
            lock.Active()->held.EndOwnHide(window);
    }
    if (observer != nullptr)
        observer->Hid(byEvent);
}
