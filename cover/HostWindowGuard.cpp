#include "cover/HostWindowGuard.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// Identifies this guard's subclass among others on the same window.
constexpr UINT_PTR kSubclassId = 0x56454C4D;   // "VELM"

struct OwnedSearch {
    HWND owner;
    HWND except;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM param) noexcept
{
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (window != search->except && ::GetWindow(window, GW_OWNER) == search->owner &&
        ::IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

} // namespace

HostWindowGuard::~HostWindowGuard()
{
    Release();
}

UINT HostWindowGuard::ReclaimFocusMessage() noexcept
{
    static const UINT message = ::RegisterWindowMessageA("Velmora.ReclaimFocus");
    return message;
}

void HostWindowGuard::Hide(HWND mainWindow, HWND cover)
{
    Release();
    if (mainWindow == nullptr || !::IsWindow(mainWindow))
        return;
    mainWindow_ = mainWindow;
    cover_ = cover;

    OwnedSearch search{mainWindow, cover, {}};
    ::EnumWindows(&CollectOwned, reinterpret_cast<LPARAM>(&search));
    owned_ = search.found;

    for (HWND window : Held())
        Watch(window);
    ::ShowWindow(mainWindow_, SW_HIDE);
    for (HWND window : owned_)
        ::ShowWindow(window, SW_HIDE);
}

void HostWindowGuard::Recheck() noexcept
{
    for (HWND window : Held()) {
        if (::IsWindow(window) && ::IsWindowVisible(window))
            ::ShowWindow(window, SW_HIDE);
    }
}

void HostWindowGuard::Release() noexcept
{
    if (mainWindow_ == nullptr)
        return;
    while (!watched_.empty())
        Unwatch(watched_.back());
    const HWND mainWindow = mainWindow_;
    const std::vector<HWND> owned = owned_;
    mainWindow_ = nullptr;
    cover_ = nullptr;
    owned_.clear();

    if (::IsWindow(mainWindow))
        ::ShowWindow(mainWindow, SW_SHOW);
    for (HWND window : owned) {
        if (::IsWindow(window))
            ::ShowWindow(window, SW_SHOWNA);
    }
}

void HostWindowGuard::Forget(HWND window) noexcept
{
    Unwatch(window);
    owned_.erase(std::remove(owned_.begin(), owned_.end(), window), owned_.end());
    if (window != mainWindow_)
        return;
    // The client is going away: nothing is left to show again.
    while (!watched_.empty())
        Unwatch(watched_.back());
    mainWindow_ = nullptr;
    cover_ = nullptr;
    owned_.clear();
}

std::vector<HWND> HostWindowGuard::Held() const
{
    std::vector<HWND> held;
    if (mainWindow_ != nullptr)
        held.push_back(mainWindow_);
    held.insert(held.end(), owned_.begin(), owned_.end());
    return held;
}

void HostWindowGuard::Watch(HWND window) noexcept
{
    // Only windows of this thread can be subclassed; the clock tick covers the others.
    if (::SetWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this)))
        watched_.push_back(window);
}

void HostWindowGuard::Unwatch(HWND window) noexcept
{
    ::RemoveWindowSubclass(window, &HostWindowGuard::GuardProc, kSubclassId);
    watched_.erase(std::remove(watched_.begin(), watched_.end(), window), watched_.end());
}

LRESULT CALLBACK HostWindowGuard::GuardProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self) noexcept
{
    auto* guard = reinterpret_cast<HostWindowGuard*>(self);
    switch (msg) {
    case WM_WINDOWPOSCHANGING: {
        // The window's own handler runs first; the last word on showing is ours.
        const LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
        if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam))
            pos->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
        return result;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && guard->cover_ != nullptr)
            ::PostMessageA(guard->cover_, ReclaimFocusMessage(), 0, 0);
        break;
    case WM_NCDESTROY:
        // A subclass must be gone before its window is.
        guard->Forget(window);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, msg, wParam, lParam);
}
