// Keeps the mail client's windows hidden while the cover is up: every top-level window
// of the client's process, of any thread, made before the cover or while it is up,
// except the cover and the windows it owns directly or through others (the cover's
// message boxes, and the client's new-mail alert, owned by the cover while it is up).
//
// Three ways in, from the earliest: held windows are subclassed, so that every attempt to
// show one is undone before anything is drawn; a WinEvent hook hides a window in the
// thread that shows it, for threads that take no message; the cover's clock tick hides
// whatever got past both. HeldWindows keeps what the client last asked of each window,
// which is how it ends at the unlock.
//
// Hooks and subclasses run this module's code in the client's threads: all of them are
// taken down at Release or Abandon, which the cover's end always reaches while its run
// still holds the module loaded.
#pragma once
#include <windows.h>

#include <vector>

#include "cover/guard/HeldWindows.h"

class GuardLock;

// The class of the mail client's main window.
extern const char* const kHostWindowClass;   // "EudoraMainWindow"

// Test seam: called right after a held window was subclassed, before the guard is asked
// whether it still holds it (another thread may let go in between). Null in the product.
extern void (*g_afterGuardSubclassForTests)();
// Test seam: told of every shown held window the guard hid, and whether the show event
// caught it in the thread that showed it (true) or the clock tick. Null in the product.
extern void (*g_guardHidForTests)(bool byEvent) noexcept;

class HostWindowGuard {
public:
    HostWindowGuard();
    ~HostWindowGuard();
    HostWindowGuard(const HostWindowGuard&) = delete;
    HostWindowGuard& operator=(const HostWindowGuard&) = delete;

    // Hides every top-level window of this process but `cover` and the windows it owns,
    // and `mainWindow` (which may be null or belong to another process), and keeps them
    // hidden until Release or Abandon. When one of them comes to the front, `cover` gets
    // `frontMessage` posted so that it can take the keyboard back.
    void Hold(HWND mainWindow, HWND cover, UINT frontMessage);
    // Hides again any held window that is visible and takes in any the hook missed;
    // called on every clock tick.
    void Recheck() noexcept;
    // The unlock: every held window other than the main window ends as the client last
    // asked (shown without activation, in the minimised or maximised state it has;
    // destroyed ones are forgotten), then the main window is shown (SW_SHOW) and gets the
    // activation. Harmless when nothing is held.
    void Release() noexcept;
    // Lets go without showing anything: the client is going away, or the session ends.
    // No hook, subclass or record is left.
    void Abandon() noexcept;
    // Whether the guard holds windows right now.
    bool Holding() const noexcept;

private:
    static LRESULT CALLBACK GuardProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self) noexcept;
    static void CALLBACK EventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId,
                                   LONG childId, DWORD thread, DWORD time) noexcept;
    static LRESULT CALLBACK GetMessageProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

    // A thread hook in another thread of the client. `pending`: that thread holds
    // windows it has not subclassed yet, and has been woken to do so.
    struct ThreadHook {
        DWORD thread;
        HHOOK hook;
        bool pending;
    };

    // The active guard's record of `window`, or null; under `lock`.
    static HeldWindow* FindHeld(const GuardLock& lock, HWND window) noexcept;
    // Whether the guard holds `window` once it sees it; expects the lock to be held.
    bool Eligible(HWND window) const noexcept;
    // Takes in every eligible top-level window not held yet (a visible one as shown by
    // the client); the lock is taken inside.
    void Collect();
    // Hides a window held by the active guard as the guard's own doing, caught by the
    // show event or the tick; called without the lock, from any thread.
    static void HideHeld(HWND window, bool byEvent) noexcept;
    // A held window came to the front: the cover is told to take it back; called without
    // the lock, from any thread.
    static void TellCoverOfFront() noexcept;
    // Subclasses a held window of the calling thread; called without the lock.
    static void Watch(HWND window) noexcept;
    // Takes the subclass off again, from whatever thread the window belongs to.
    static void Unwatch(HWND window) noexcept;
    static UINT UnwatchMessage() noexcept;
    void Unhook() noexcept;
    // Has the threads of `unwatched` (held windows of other threads, not subclassed yet)
    // subclass them: each thread is hooked the first time and woken with a WM_NULL; the
    // lock is taken inside.
    void HookOtherThreads(const std::vector<HWND>& unwatched) noexcept;
    // Subclasses the calling thread's held windows if its hook was woken for that;
    // called without the lock.
    static void WatchOwnWindows() noexcept;
    // Empties the records and returns them, with every hook and subclass taken down; the
    // lock is taken inside.
    HeldWindows TakeRecords() noexcept;

    HWND mainWindow_ = nullptr;
    HWND cover_ = nullptr;
    UINT frontMessage_ = 0;
    DWORD coverThread_ = 0;
    DWORD process_ = 0;
    bool holding_ = false;
    HeldWindows held_;
    HWINEVENTHOOK objectHook_ = nullptr;
    HWINEVENTHOOK foregroundHook_ = nullptr;
    std::vector<ThreadHook> threadHooks_;
};
