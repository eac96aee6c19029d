#include "cover/guard/HeldWindows.h"

HeldWindow* HeldWindows::Find(HWND window) noexcept
{
    for (HeldWindow& held : held_) {
        if (held.window == window)
            return &held;
    }
    return nullptr;
}

HeldWindow* HeldWindows::TakeIn(HWND window, bool shownByClient)
{
    held_.push_back(HeldWindow{window, shownByClient, 0, false});
    return &held_.back();
}

void HeldWindows::Forget(HWND window) noexcept
{
    // Held once at most: taken in only when not found.
    if (const HeldWindow* held = Find(window))
        held_.erase(held_.begin() + (held - held_.data()));
}

void HeldWindows::Request(HeldWindow* held, bool shown) noexcept
{
    if (held != nullptr && (shown || held->ownHides == 0))
        held->shownByClient = shown;
}

bool HeldWindows::BeginOwnHide(HWND window) noexcept
{
    HeldWindow* held = Find(window);
    if (held == nullptr)
        return false;
    ++held->ownHides;
    return true;
}

void HeldWindows::EndOwnHide(HWND window) noexcept
{
    HeldWindow* held = Find(window);
    if (held != nullptr && held->ownHides > 0)
        --held->ownHides;
}

std::vector<HWND> HeldWindows::Refresh(WindowAccess& windows)
{
    std::vector<HWND> visible;
    size_t kept = 0;
    for (HeldWindow& held : held_) {
        const WindowState state = windows.StateOf(held.window);
        if (state == WindowState::Gone)
            continue;
        if (state == WindowState::Visible) {
            held.shownByClient = true;
            visible.push_back(held.window);
        }
        held_[kept++] = held;
    }
    held_.erase(held_.begin() + kept, held_.end());
    return visible;
}

void HeldWindows::Release(HWND mainWindow, WindowAccess& windows) const noexcept
{
    for (const HeldWindow& held : held_) {
        if (held.window == mainWindow)
            continue;
        const WindowState state = windows.StateOf(held.window);
        if (state != WindowState::Gone && held.shownByClient != (state == WindowState::Visible))
            windows.Show(held.window, held.shownByClient);
    }
    if (mainWindow != nullptr && windows.StateOf(mainWindow) != WindowState::Gone)
        windows.ShowAndActivate(mainWindow);
}
