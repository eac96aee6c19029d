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

#include "cover/guard/GuardHooks.h"
#include "cover/guard/GuardShared.h"
#include "cover/guard/HeldWindows.h"

class HostWindowGuard {
public:
    // `observer` (tests only) is told what the guard does in the client's threads.
    explicit HostWindowGuard(GuardObserver* observer = nullptr);
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
    // Takes in every eligible top-level window not held yet (a visible one as shown by
    // the client); the lock is taken inside.
    void Collect();
    // Empties the records and returns them, with every hook and subclass taken down; the
    // lock is taken inside.
    HeldWindows TakeRecords() noexcept;

    // What the hooks read of this guard while it holds windows (the active record).
    GuardRecord record_;
    DWORD coverThread_ = 0;
    bool holding_ = false;
    GuardEventHooks events_;
};
