#include "cover/guard/HostWindowGuard.h"

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

HostWindowGuard::HostWindowGuard(GuardObserver* observer)
{
    record_.observer = observer;
}

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
    record_.mainWindow = mainWindow != nullptr && ::IsWindow(mainWindow) ? mainWindow : nullptr;
    record_.cover = cover;
    record_.frontMessage = frontMessage;
    record_.process = ::GetCurrentProcessId();
    coverThread_ = ::GetCurrentThreadId();
    holding_ = true;
    {
        GuardLock lock;
        lock.Active() = &record_;
    }
    // Hooked before the windows are counted, so none made meanwhile slips through.
    events_.Hook(record_.process);
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
        visible = record_.held.Refresh(windows);
        for (const HeldWindow& held : record_.held) {
            if (!held.subclassed)
                (ThreadOf(held.window) == coverThread_ ? unwatched : unwatchedElsewhere).push_back(held.window);
        }
    }
    for (HWND window : unwatched)
        WatchHeld(window);
    HookOtherThreads(record_, unwatchedElsewhere);
    // Whatever got past the subclasses and the hook is hidden here.
    for (HWND window : visible)
        HideHeld(window, false);
}

void HostWindowGuard::Release() noexcept
{
    if (!holding_)
        return;
    const HWND mainWindow = record_.mainWindow;
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
        if (lock.Active() == &record_)
            lock.Active() = nullptr;
        records.swap(record_.held);
    }
    events_.Unhook();
    UnhookOtherThreads(record_);
    for (const HeldWindow& held : records) {
        if (held.subclassed)
            UnwatchHeld(held.window);
    }
    holding_ = false;
    record_.mainWindow = nullptr;
    record_.cover = nullptr;
    return records;
}

void HostWindowGuard::Collect()
{
    std::vector<HWND> windows;
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    if (record_.mainWindow != nullptr)
        windows.push_back(record_.mainWindow);
    GuardLock lock;
    for (HWND window : windows) {
        if (record_.held.Find(window) == nullptr && record_.Eligible(window))
            record_.held.TakeIn(window, ::IsWindowVisible(window) != FALSE);
    }
}
