#include "cover/front/CoverFront.h"

namespace {

bool OwnedBy(HWND window, HWND cover) noexcept
{
    for (HWND owner = ::GetWindow(window, GW_OWNER); owner != nullptr; owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner == cover)
            return true;
    }
    return false;
}

// A visible window of the client's own (this process) that lies above `cover` and over
// it, other than the windows the cover owns (its curtains, its message box, an alert
// above it).
bool ClientWindowAbove(HWND cover) noexcept
{
    RECT coverRect{};
    ::GetWindowRect(cover, &coverRect);
    for (HWND w = ::GetWindow(cover, GW_HWNDPREV); w != nullptr; w = ::GetWindow(w, GW_HWNDPREV)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(w, &process);
        RECT r{}, common{};
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(w) && !OwnedBy(w, cover) &&
            ::GetWindowRect(w, &r) && ::IntersectRect(&common, &r, &coverRect))
            return true;
    }
    return false;
}

} // namespace

UINT CoverFront::FrontMessage() noexcept
{
    static const UINT message = ::RegisterWindowMessageA("Velmora.ReclaimFocus");
    return message;
}

LRESULT CoverFront::CurtainClicked(HWND curtain) noexcept
{
    ::PostMessageA(::GetWindow(curtain, GW_OWNER), FrontMessage(), 0, 0);
    return MA_NOACTIVATE;
}

void CoverFront::Follow(HWND cover, HWND password, bool stretched) noexcept
{
    cover_ = cover;
    password_ = password;
    stretched_ = stretched;
    FrontMessage();
    if (stretched_)
        Raise();
}

void CoverFront::Keep() noexcept
{
    if (cover_ == nullptr)
        return;
    // Wine restacks a client's window above the cover on its own now and then (a busy
    // machine, no message to anyone): the cover puts itself back, its curtains with it.
    if (ClientWindowAbove(cover_))
        Raise();
    // Wine hands the foreground to the desktop when it learns late that a window of the
    // client lost the keyboard (one hidden while it had it): the cover's thread is left
    // with no active window, nobody has the keyboard, and nothing tells the cover.
    // Another program given the front keeps it.
    HWND front = ::GetForegroundWindow();
    if (::GetActiveWindow() == nullptr && (front == nullptr || front == ::GetDesktopWindow()))
        Reclaim();
}

void CoverFront::Raise() noexcept
{
    // Stretched, the cover is topmost like its curtains: a window of the client brought
    // to the top stays below it.
    ::SetWindowPos(cover_, stretched_ ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CoverFront::Reclaim() noexcept
{
    if (cover_ == nullptr)
        return;
    HWND front = ::GetLastActivePopup(cover_);
    if (front != nullptr && front != cover_) {
        ::SetForegroundWindow(front);
        return;
    }
    ::SetForegroundWindow(cover_);
    // The keyboard comes back to the cover even where the system refuses it the front (a
    // window that was never active there): the thread's active window is its own to set.
    ::SetActiveWindow(cover_);
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(cover_, focus))
        ::SetFocus(password_);
}
