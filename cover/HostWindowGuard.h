// Keeps the mail client's windows hidden while the cover is up. The client shows its
// main window again by itself (when mail arrives, from its tray icon), and hiding the
// main window leaves the floating tool windows it owns on the screen.
//
// The guard subclasses the windows it hides (they belong to the thread the cover runs
// on, the host's user-interface thread) and turns every attempt to show them into a
// no-op before anything is drawn: ShowWindow, SetWindowPos with SWP_SHOWWINDOW and a
// restore from minimised all pass through WM_WINDOWPOSCHANGING. Whatever gets past that
// (a window of another thread, a style set directly) is hidden again on the cover's
// next clock tick. The subclass lives exactly as long as the guard holds the windows.
#pragma once
#include <windows.h>

#include <vector>

class HostWindowGuard {
public:
    HostWindowGuard() = default;
    ~HostWindowGuard();
    HostWindowGuard(const HostWindowGuard&) = delete;
    HostWindowGuard& operator=(const HostWindowGuard&) = delete;

    // Hides `mainWindow` and the visible top-level windows it owns, except `cover`, and
    // keeps them hidden until Release. When one of them is activated, `cover` gets
    // ReclaimFocusMessage() posted so that it can take the keyboard back.
    void Hide(HWND mainWindow, HWND cover);
    // Hides again any held window that is visible; called on every clock tick.
    void Recheck() noexcept;
    // Lets go: the main window is shown once (SW_SHOW) and exactly the owned windows that
    // Hide hid come back, without being activated. Harmless when nothing is held.
    void Release() noexcept;

    // Posted to the cover when a held window was activated.
    static UINT ReclaimFocusMessage() noexcept;

private:
    static LRESULT CALLBACK GuardProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self) noexcept;
    void Watch(HWND window) noexcept;
    void Unwatch(HWND window) noexcept;
    // A held window is being destroyed.
    void Forget(HWND window) noexcept;
    std::vector<HWND> Held() const;

    HWND mainWindow_ = nullptr;
    HWND cover_ = nullptr;
    // Owned windows hidden with the main window, in the order they were found.
    std::vector<HWND> owned_;
    // Windows whose procedure runs through GuardProc right now.
    std::vector<HWND> watched_;
};
