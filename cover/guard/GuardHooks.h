// The host window guard's hooks and subclasses: the code it runs in the client's threads.
// They serve the guard whose record is active (GuardShared) and know no more of it.
#pragma once
#include <windows.h>

#include <vector>

#include "cover/guard/GuardShared.h"

// The in-context event hooks on the client's process: windows made, shown, hidden,
// destroyed, and the foreground changing.
class GuardEventHooks {
public:
    GuardEventHooks() = default;
    ~GuardEventHooks() { Unhook(); }
    GuardEventHooks(const GuardEventHooks&) = delete;
    GuardEventHooks& operator=(const GuardEventHooks&) = delete;

    void Hook(DWORD process) noexcept;
    void Unhook() noexcept;

private:
    HWINEVENTHOOK object_ = nullptr;
    HWINEVENTHOOK foreground_ = nullptr;
};

// Subclasses a held window of the calling thread; called without the lock.
void WatchHeld(HWND window) noexcept;
// Takes the subclass off again, from whatever thread the window belongs to.
void UnwatchHeld(HWND window) noexcept;
// Hides a window held by the active guard as the guard's own doing, caught by the show
// event or the tick; called without the lock, from any thread.
void HideHeld(HWND window, bool byEvent) noexcept;
// Has the threads of `unwatched` (held windows of other threads, not subclassed yet)
// subclass them: each thread is hooked the first time (the hook kept in `record`) and
// woken with a WM_NULL; the lock is taken inside.
void HookOtherThreads(GuardRecord& record, const std::vector<HWND>& unwatched) noexcept;
// Takes down the thread hooks kept in `record`; the lock is taken inside.
void UnhookOtherThreads(GuardRecord& record) noexcept;
