// Keeps the mail client's windows hidden while the cover is up: every top-level window
// of the client's process except the cover and the windows it owns (directly or through
// others: the client's new-mail alert is owned by the cover while it is up, and so are
// the cover's own message boxes). Windows that exist when the cover comes up and windows
// made while it is up, owned or not, of any thread.
//
// Three ways in, from the earliest:
// - Held windows are subclassed, and every attempt to show them becomes a no-op before
//   anything is drawn: ShowWindow, SetWindowPos with SWP_SHOWWINDOW, DeferWindowPos,
//   SetWindowPlacement and a restore from minimised all pass through
//   WM_WINDOWPOSCHANGING; WS_VISIBLE set directly passes through WM_STYLECHANGING. A
//   subclass can only be set from the window's own thread (Windows refuses it from any
//   other): the cover's thread subclasses its windows; an in-context WinEvent hook,
//   which runs in the thread that makes a window, subclasses each new window there as it
//   is created; and every other thread that owns held windows gets a thread hook on the
//   messages it takes (woken by a posted WM_NULL), which subclasses them there the first
//   time that thread takes one. At release each thread is asked to take its subclasses
//   off.
// - Windows of a thread that takes no message (so its hook never runs): the WinEvent
//   hook runs in the thread that shows one, right after it became visible and before it
//   is painted, and hides it there. The hook also sees windows destroyed and a held
//   window come to the front. (Wine reports only the creation of windows to such
//   hooks before wine 10.)
// - Whatever gets past all of these is hidden again on the cover's next clock tick.
//
// Hooks and subclasses run this module's code in the client's threads: all of them are
// taken down at Release or Abandon, which the cover's end always reaches while its run
// still holds the module loaded.
//
// For each held window the guard records what the client last asked: shown or hidden.
// Its own hides do not count. A hide asked of a window the guard already keeps hidden
// cannot be seen (Windows does nothing for it and tells no one), so such a window comes
// back at unlock if the client showed it last in a way the guard saw.
//
// The hook and the subclasses run on whatever thread the client uses, so the records
// are kept under a critical section; no window is touched while it is held, since that
// could wait on a thread that waits for the lock.
#pragma once
#include <windows.h>

#include <vector>

// The class of the mail client's main window.
extern const char* const kHostWindowClass;   // "EudoraMainWindow"

// Test seam: called right after a held window was subclassed, before the guard is asked
// whether it still holds it (another thread may let go in between). Null in the product.
extern void (*g_afterGuardSubclassForTests)();

class HostWindowGuard {
public:
    HostWindowGuard();
    ~HostWindowGuard();
    HostWindowGuard(const HostWindowGuard&) = delete;
    HostWindowGuard& operator=(const HostWindowGuard&) = delete;

    // Hides every top-level window of this process but `cover` and the windows it owns,
    // and `mainWindow` (which may be null or belong to another process), and keeps them
    // hidden until Release or Abandon. When one of them comes to the front, `cover` gets
    // ReclaimFocusMessage() posted so that it can take the keyboard back.
    void Hold(HWND mainWindow, HWND cover);
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

    // Posted to the cover when a held window was activated.
    static UINT ReclaimFocusMessage() noexcept;

    // How many shown held windows the guard has hidden in this process so far, by the
    // way that caught them: the hook, in the thread that showed one, or the clock tick.
    struct HideCounts {
        long byEvent;
        long byTick;
    };
    static HideCounts Hides() noexcept;

private:
    struct HeldWindow {
        HWND window;
        // What the client last asked of it: shown (true) or hidden.
        bool shownByClient;
        // Hides of the guard's own under way; the hide events they cause are not the
        // client's.
        int ownHides;
        bool subclassed;
    };

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

    // All of these expect the lock to be held.
    HeldWindow* Find(HWND window) noexcept;
    bool Eligible(HWND window) const noexcept;
    HeldWindow* TakeIn(HWND window, bool shownByClient);
    void Forget(HWND window) noexcept;

    // Records a request of the client's to show or hide a held window; a hide of the
    // guard's own does not count. Expects the lock to be held.
    static void RecordRequest(HeldWindow* held, bool shown) noexcept;
    // Takes in every eligible top-level window not held yet (a visible one as shown by
    // the client); the lock is taken inside.
    void Collect();
    // Hides a window held by the active guard as the guard's own doing; called without
    // the lock, from any thread. False when the window is not held.
    static bool HideHeld(HWND window) noexcept;
    // Subclasses a held window of the calling thread; called without the lock.
    static void Watch(HWND window) noexcept;
    // Takes the subclass off again, from whatever thread the window belongs to.
    static void Unwatch(HWND window) noexcept;
    static UINT UnwatchMessage() noexcept;
    // The active guard's record of a window; expects the lock to be held.
    static HeldWindow* ActiveFind(HWND window) noexcept;
    void Unhook() noexcept;
    // Has the threads of `unwatched` (held windows of other threads, not subclassed yet)
    // subclass them: each thread is hooked the first time and woken with a WM_NULL; the
    // lock is taken inside.
    void HookOtherThreads(const std::vector<HWND>& unwatched) noexcept;
    // Subclasses the calling thread's held windows if its hook was woken for that;
    // called without the lock.
    static void WatchOwnWindows() noexcept;
    // Empties the records and returns them; the lock is taken inside.
    std::vector<HeldWindow> TakeRecords() noexcept;

    HWND mainWindow_ = nullptr;
    HWND cover_ = nullptr;
    DWORD coverThread_ = 0;
    DWORD process_ = 0;
    bool holding_ = false;
    std::vector<HeldWindow> held_;
    HWINEVENTHOOK objectHook_ = nullptr;
    HWINEVENTHOOK foregroundHook_ = nullptr;
    std::vector<ThreadHook> threadHooks_;
};
