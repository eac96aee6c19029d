#include "cover/guard/HostWindowGuard.h"

#include "cover/guard/GuardShared.h"
#include "framework/Module.h"

const char* const kHostWindowClass = "EudoraMainWindow";

// A test seam (see the header): null in the product.
void (*g_guardHidForTests)(bool byEvent) noexcept = nullptr;

namespace {

// The windows as they are, for the records' refresh and the unlock.
class LiveWindows final : public WindowAccess {
public:
    WindowState StateOf(HWND window) noexcept override
    {
        if (!::IsWindow(window))
            return WindowState::Gone;
        return ::IsWindowVisible(window) ? WindowState::Visible : WindowState::Hidden;
    }
    void Show(HWND window, bool shown) noexcept override
    {
        ::ShowWindow(window, shown ? SW_SHOWNA : SW_HIDE);
    }
    void ShowAndActivate(HWND window) noexcept override
    {
        ::ShowWindow(window, SW_SHOW);
        ::SetForegroundWindow(window);
    }
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) noexcept
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

} // namespace

HostWindowGuard::HostWindowGuard() = default;

HostWindowGuard::~HostWindowGuard()
{
    Abandon();
}

bool HostWindowGuard::Holding() const noexcept
{
    return holding_;
}

void HostWindowGuard::Hold(HWND mainWindow, HWND cover, UINT frontMessage)
{
    Abandon();
    mainWindow_ = mainWindow != nullptr && ::IsWindow(mainWindow) ? mainWindow : nullptr;
    cover_ = cover;
    frontMessage_ = frontMessage;
    coverThread_ = ::GetCurrentThreadId();
    process_ = ::GetCurrentProcessId();
    holding_ = true;
    {
        GuardLock lock;
        lock.Active() = this;
    }
    // Hooked before the windows are counted, so none made meanwhile slips through. In
    // context: EventProc runs in the thread that makes or shows a window.
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
        GuardLock lock;
        LiveWindows windows;
        visible = held_.Refresh(windows);
        for (const HeldWindow& held : held_) {
            if (!held.subclassed)
                (ThreadOf(held.window) == coverThread_ ? unwatched : unwatchedElsewhere).push_back(held.window);
        }
    }
    for (HWND window : unwatched)
        Watch(window);
    HookOtherThreads(unwatchedElsewhere);
    // Whatever got past the subclasses and the hook is hidden here.
    for (HWND window : visible)
        HideHeld(window, false);
}

void HostWindowGuard::Release() noexcept
{
    if (!holding_)
        return;
    const HWND mainWindow = mainWindow_;
    LiveWindows windows;
    TakeRecords().Release(mainWindow, windows);
}

void HostWindowGuard::Abandon() noexcept
{
    if (holding_)
        TakeRecords();
}

HeldWindows HostWindowGuard::TakeRecords() noexcept
{
    HeldWindows records;
    {
        GuardLock lock;
        if (lock.Active() == this)
            lock.Active() = nullptr;
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

void HostWindowGuard::Collect()
{
    std::vector<HWND> windows;
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    if (mainWindow_ != nullptr)
        windows.push_back(mainWindow_);
    GuardLock lock;
    for (HWND window : windows) {
        if (held_.Find(window) == nullptr && Eligible(window))
            held_.TakeIn(window, ::IsWindowVisible(window) != FALSE);
    }
}

void HostWindowGuard::HideHeld(HWND window, bool byEvent) noexcept
{
    {
        GuardLock lock;
        if (lock.Active() == nullptr || !lock.Active()->held_.BeginOwnHide(window))
            return;
    }
    ::ShowWindow(window, SW_HIDE);
    {
        GuardLock lock;
        if (lock.Active() != nullptr)
            lock.Active()->held_.EndOwnHide(window);
    }
    if (g_guardHidForTests != nullptr)
        g_guardHidForTests(byEvent);
}
