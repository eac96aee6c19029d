// The host window guard's record of the windows it holds, and what each of them ends as
// at the unlock. Plain bookkeeping: what the windows are like is asked of WindowAccess,
// so the guard answers with Windows' own calls and the tests with a table.
#pragma once
#include <windows.h>

#include <vector>

struct HeldWindow {
    HWND window;
    // What the client last asked of it: shown (true) or hidden.
    bool shownByClient;
    // Hides of the guard's own under way; the hide requests they cause are not the
    // client's.
    int ownHides;
    // Whether the guard's subclass is on it.
    bool subclassed;
};

enum class WindowState { Gone, Hidden, Visible };

// The windows as the record sees and changes them.
class WindowAccess {
public:
    virtual WindowState StateOf(HWND window) noexcept = 0;
    // Shown without activation (true), or hidden.
    virtual void Show(HWND window, bool shown) noexcept = 0;
    // Shown as it is and given the activation.
    virtual void ShowAndActivate(HWND window) noexcept = 0;

protected:
    ~WindowAccess() = default;
};

class HeldWindows {
public:
    HeldWindow* Find(HWND window) noexcept;
    HeldWindow* TakeIn(HWND window, bool shownByClient);
    void Forget(HWND window) noexcept;

    // A request of the client's to show or hide a held window. A hide asked of a window
    // the guard keeps hidden cannot be seen (Windows does nothing for it and tells no
    // one), so such a window comes back at unlock if the client showed it last in a way
    // the guard saw. No-op for none (null).
    static void Request(HeldWindow* held, bool shown) noexcept;
    // Around one of the guard's own hides: the hide it causes is not the client's.
    // BeginOwnHide is false for a window not held.
    bool BeginOwnHide(HWND window) noexcept;
    void EndOwnHide(HWND window) noexcept;

    // Forgets the windows gone without a word (the guard is not told of every end) and
    // counts visible ones as shown by the client: shown in a way that got past the guard,
    // the client's doing all the same. Returns the visible ones.
    std::vector<HWND> Refresh(WindowAccess& windows);

    // The unlock: every held window other than `mainWindow` ends as the client last
    // asked (gone ones are left alone), then `mainWindow`, if it is there, is shown and
    // activated, last, so that the keyboard goes to it and not to a tool window.
    void Release(HWND mainWindow, WindowAccess& windows) const noexcept;

    std::vector<HeldWindow>::iterator begin() noexcept { return held_.begin(); }
    std::vector<HeldWindow>::iterator end() noexcept { return held_.end(); }
    void swap(HeldWindows& other) noexcept { held_.swap(other.held_); }

private:
    std::vector<HeldWindow> held_;
};
