#include "cover/HostWindowGuard.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Module.h"

const char* const kHostWindowClass = "EudoraMainWindow";

namespace {

// Identifies this guard's subclass among others on the same window.
constexpr UINT_PTR kSubclassId = 0x56454C4D;   // "VELM"
// How long the unlock waits for another thread to take its window's subclass off.
constexpr UINT kUnwatchWaitMs = 250;

// The guard's records are read and written from whatever thread the client shows a
// window on. A critical section, since slimmer locks are missing on older Windows.
class GuardLock {
public:
    GuardLock() noexcept { ::InitializeCriticalSection(&section_); }
    ~GuardLock() { ::DeleteCriticalSection(&section_); }
    GuardLock(const GuardLock&) = delete;
    GuardLock& operator=(const GuardLock&) = delete;
    void Enter() noexcept { ::EnterCriticalSection(&section_); }
    void Leave() noexcept { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

GuardLock g_lock;
// The guard the hook serves: the one holding windows right now, or null. Read and
// written under g_lock only.
HostWindowGuard* g_active = nullptr;
// Hides by the hook and by the clock tick (see Hides).
LONG g_hidesByEvent = 0;
LONG g_hidesByTick = 0;

class Locked {
public:
    Locked() noexcept { g_lock.Enter(); }
    ~Locked() { g_lock.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) noexcept
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

DWORD ThreadOf(HWND window) noexcept
{
    return ::GetWindowThreadProcessId(window, nullptr);
}

} // namespace

HostWindowGuard::HostWindowGuard() = default;

HostWindowGuard::~HostWindowGuard()
{
    Abandon();
}

UINT HostWindowGuard::ReclaimFocusMessage() noexcept
{
    static const UINT message = ::RegisterWindowMessageA("Velmora.ReclaimFocus");
    return message;
}

bool HostWindowGuard::Holding() const noexcept
{
    return holding_;
}

void HostWindowGuard::Hold(HWND mainWindow, HWND cover)
{
    Abandon();
    mainWindow_ = mainWindow != nullptr && ::IsWindow(mainWindow) ? mainWindow : nullptr;
    cover_ = cover;
    coverThread_ = ::GetCurrentThreadId();
    process_ = ::GetCurrentProcessId();
    holding_ = true;
    ReclaimFocusMessage();
    {
        Locked lock;
        g_active = this;
    }
    // Hooked before the windows are counted, so none made meanwhile slips through.
    objectHook_ = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE, ModuleInstance(),
                                    &HostWindowGuard::EventProc, process_, 0, WINEVENT_INCONTEXT);
    foregroundHook_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                        ModuleInstance(), &HostWindowGuard::EventProc, process_, 0,
                                        WINEVENT_INCONTEXT);
    Recheck();
}

void HostWindowGuard::Recheck() noexcept
{
    if (!holding_)
        return;
    Collect();
    std::vector<HWND> unwatched;
    std::vector<HWND> unwatchedElsewhere;
    std::vector<HWND> visible;
    {
        Locked lock;
        // Windows gone without a word (the hook is not told of every end).
        held_.erase(std::remove_if(held_.begin(), held_.end(),
                                   [](const HeldWindow& held) { return !::IsWindow(held.window); }),
                    held_.end());
        for (HeldWindow& held : held_) {
            if (!held.subclassed)
                (ThreadOf(held.window) == coverThread_ ? unwatched : unwatchedElsewhere).push_back(held.window);
            if (::IsWindowVisible(held.window)) {
                // Shown in a way that passed the subclass and the hook: the client's
                // doing all the same.
                held.shownByClient = true;
                visible.push_back(held.window);
            }
        }
    }
    for (HWND window : unwatched)
        Watch(window);
    HookOtherThreads(unwatchedElsewhere);
    for (HWND window : visible) {
        if (HideHeld(window))
            ::InterlockedIncrement(&g_hidesByTick);
    }
}

HostWindowGuard::HideCounts HostWindowGuard::Hides() noexcept
{
    return HideCounts{::InterlockedCompareExchange(&g_hidesByEvent, 0, 0),
                      ::InterlockedCompareExchange(&g_hidesByTick, 0, 0)};
}

void HostWindowGuard::Release() noexcept
{
    if (!holding_)
        return;
    const HWND mainWindow = mainWindow_;
    const std::vector<HeldWindow> records = TakeRecords();
    for (const HeldWindow& held : records) {
        if (held.window == mainWindow || !::IsWindow(held.window))
            continue;
        const bool visible = ::IsWindowVisible(held.window) != FALSE;
        if (held.shownByClient && !visible)
            ::ShowWindow(held.window, SW_SHOWNA);
        else if (!held.shownByClient && visible)
            ::ShowWindow(held.window, SW_HIDE);
    }
    // Last, so that the keyboard goes to the main window and not to a tool window.
    if (mainWindow != nullptr && ::IsWindow(mainWindow)) {
        ::ShowWindow(mainWindow, SW_SHOW);
        ::SetForegroundWindow(mainWindow);
    }
}

void HostWindowGuard::Abandon() noexcept
{
    if (holding_)
        TakeRecords();
}

std::vector<HostWindowGuard::HeldWindow> HostWindowGuard::TakeRecords() noexcept
{
    std::vector<HeldWindow> records;
    {
        Locked lock;
        if (g_active == this)
            g_active = nullptr;
        records.swap(held_);
    }
    Unhook();
    for (const HeldWindow& held : records) {
        if (held.subclassed)
            Unwatch(held.window);
    }
    holding_ = false;
    mainWindow_ = nullptr;
    cover_ = nullptr;
    return records;
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
        Locked lock;
        threadHooks.swap(threadHooks_);
    }
    for (const ThreadHook& threadHook : threadHooks)
        ::UnhookWindowsHookEx(threadHook.hook);
}

void HostWindowGuard::HookOtherThreads(const std::vector<HWND>& unwatched) noexcept
{
    for (HWND window : unwatched) {
        const DWORD thread = ThreadOf(window);
        bool hooked = false;
        bool wake = false;
        {
            Locked lock;
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
            Locked lock;
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
        Locked lock;
        if (g_active == nullptr)
            return;
        auto threadHook = std::find_if(g_active->threadHooks_.begin(), g_active->threadHooks_.end(),
                                       [thread](const ThreadHook& t) { return t.thread == thread && t.pending; });
        if (threadHook == g_active->threadHooks_.end())
            return;
        threadHook->pending = false;
        for (const HeldWindow& held : g_active->held_) {
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

HostWindowGuard::HeldWindow* HostWindowGuard::Find(HWND window) noexcept
{
    for (HeldWindow& held : held_) {
        if (held.window == window)
            return &held;
    }
    return nullptr;
}

bool HostWindowGuard::Eligible(HWND window) const noexcept
{
    if (window == nullptr || window == cover_)
        return false;
    if (window == mainWindow_)
        return true;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != process_ || (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 ||
        ::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow())
        return false;
    // The cover's own message boxes and the client's alert above the cover stay usable.
    for (HWND owner = ::GetWindow(window, GW_OWNER); owner != nullptr; owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner == cover_)
            return false;
    }
    return true;
}

HostWindowGuard::HeldWindow* HostWindowGuard::TakeIn(HWND window, bool shownByClient)
{
    held_.push_back(HeldWindow{window, shownByClient, 0, false});
    return &held_.back();
}

void HostWindowGuard::Forget(HWND window) noexcept
{
    held_.erase(std::remove_if(held_.begin(), held_.end(),
                               [window](const HeldWindow& held) { return held.window == window; }),
                held_.end());
}

void HostWindowGuard::Collect()
{
    std::vector<HWND> windows;
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    if (mainWindow_ != nullptr)
        windows.push_back(mainWindow_);
    Locked lock;
    for (HWND window : windows) {
        if (Find(window) == nullptr && Eligible(window))
            TakeIn(window, ::IsWindowVisible(window) != FALSE);
    }
}

bool HostWindowGuard::HideHeld(HWND window) noexcept
{
    {
        Locked lock;
        HeldWindow* held = g_active != nullptr ? g_active->Find(window) : nullptr;
        if (held == nullptr)
            return false;
        ++held->ownHides;
    }
    ::ShowWindow(window, SW_HIDE);
    Locked lock;
    if (HeldWindow* held = g_active != nullptr ? g_active->Find(window) : nullptr) {
        if (held->ownHides > 0)
            --held->ownHides;
    }
    return true;
}

void (*g_afterGuardSubclassForTests)() = nullptr;

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
        Locked lock;
        if (HeldWindow* held = ActiveFind(window)) {
            held->subclassed = true;
            return;
        }
    }
    // Let go meanwhile: the release would not know to take it off.
    ::RemoveWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId);
}

HostWindowGuard::HeldWindow* HostWindowGuard::ActiveFind(HWND window) noexcept
{
    return g_active != nullptr ? g_active->Find(window) : nullptr;
}

void HostWindowGuard::RecordRequest(HeldWindow* held, bool shown) noexcept
{
    if (held != nullptr && (shown || held->ownHides == 0))
        held->shownByClient = shown;
}

namespace {

// What the guard does about an event once the lock is left again.
struct Reaction {
    bool hide = false;
    bool watch = false;
    HWND reclaimFor = nullptr;
};

} // namespace

LRESULT CALLBACK HostWindowGuard::GuardProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR) noexcept
{
    HWND cover = nullptr;
    bool held = false;
    {
        Locked lock;
        held = ActiveFind(window) != nullptr;
        cover = g_active != nullptr ? g_active->cover_ : nullptr;
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
            Locked lock;
            if (pos->flags & SWP_SHOWWINDOW)
                RecordRequest(ActiveFind(window), true);
            else if (pos->flags & SWP_HIDEWINDOW)
                RecordRequest(ActiveFind(window), false);
            pos->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
        }
        return result;
    }
    case WM_STYLECHANGING: {
        const LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
        auto* style = reinterpret_cast<STYLESTRUCT*>(lParam);
        if (static_cast<int>(wParam) == GWL_STYLE && style != nullptr) {
            Locked lock;
            const bool was = (style->styleOld & WS_VISIBLE) != 0;
            const bool asked = (style->styleNew & WS_VISIBLE) != 0;
            if (was != asked)
                RecordRequest(ActiveFind(window), asked);
            style->styleNew &= ~static_cast<DWORD>(WS_VISIBLE);
        }
        return result;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && cover != nullptr)
            ::PostMessageA(cover, ReclaimFocusMessage(), 0, 0);
        break;
    case WM_NCDESTROY: {
        // A subclass must be gone before its window is.
        ::RemoveWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId);
        Locked lock;
        if (g_active != nullptr)
            g_active->Forget(window);
        break;
    }
    default:
        break;
    }
    return ::DefSubclassProc(window, msg, wParam, lParam);
}

void CALLBACK HostWindowGuard::EventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId,
                                         LONG childId, DWORD, DWORD) noexcept
{
    if (window == nullptr || objectId != OBJID_WINDOW || childId != CHILDID_SELF)
        return;
    HostWindowGuard* guard = nullptr;
    Reaction reaction;
    {
        Locked lock;
        guard = g_active;
        if (guard == nullptr)
            return;
        HeldWindow* held = guard->Find(window);
        switch (event) {
        case EVENT_OBJECT_CREATE:
        case EVENT_OBJECT_SHOW:
            if (held == nullptr && guard->Eligible(window))
                held = guard->TakeIn(window, false);
            if (held == nullptr)
                break;
            // The hook runs in the thread that makes the window: there it can be
            // subclassed before it can be shown.
            reaction.watch = !held->subclassed && ThreadOf(window) == ::GetCurrentThreadId();
            if (event == EVENT_OBJECT_SHOW) {
                RecordRequest(held, true);
                reaction.hide = true;
            }
            break;
        case EVENT_OBJECT_HIDE:
            RecordRequest(held, false);
            break;
        case EVENT_OBJECT_DESTROY:
            guard->Forget(window);
            break;
        case EVENT_SYSTEM_FOREGROUND:
            if (held != nullptr || guard->Eligible(window))
                reaction.reclaimFor = guard->cover_;
            break;
        default:
            break;
        }
    }
    if (reaction.watch)
        Watch(window);
    if (reaction.hide && HideHeld(window))
        ::InterlockedIncrement(&g_hidesByEvent);
    if (reaction.reclaimFor != nullptr)
        ::PostMessageA(reaction.reclaimFor, ReclaimFocusMessage(), 0, 0);
}
