// What the host window guard shares with its hooks and subclasses (GuardHooks): the record
// of the guard that holds windows right now, read and written under one lock from
// whatever thread the client uses. The hooks reach the guard through this record only.
#pragma once
#include <windows.h>

#include <vector>

#include "cover/guard/HeldWindows.h"

// Told what the guard does where nothing else can see it; the product hands none.
class GuardObserver {
public:
    // Right after a held window was subclassed, before the guard is asked whether it
    // still holds it (another thread may let go in between).
    virtual void Subclassed() noexcept {}
    // A shown held window was hidden: caught by the show event in the thread that showed
    // it (true), or by the clock tick.
    virtual void Hid(bool byEvent) noexcept { static_cast<void>(byEvent); }

protected:
    ~GuardObserver() = default;
};

// A thread hook in another thread of the client. `pending`: that thread holds windows
// it has not subclassed yet, and has been woken to do so.
struct ThreadHook {
    DWORD thread;
    HHOOK hook;
    bool pending;
};

// What one guard holds, and what its hooks need to know of it.
struct GuardRecord {
    HWND mainWindow = nullptr;
    HWND cover = nullptr;
    UINT frontMessage = 0;
    DWORD process = 0;
    HeldWindows held;
    std::vector<ThreadHook> threadHooks;
    GuardObserver* observer = nullptr;

    // Whether the guard holds `window` once it sees it; expects the lock to be held.
    bool Eligible(HWND window) const noexcept;
};

// The hooks and subclasses run on whatever thread the client uses, so the records are
// read and written under one critical section (slimmer locks are missing on older
// Windows), one for the process: Windows tells hooks of no guard. No window is touched
// while it is held, since that could wait on a thread that waits for the lock.
class GuardLock {
public:
    GuardLock() noexcept;
    ~GuardLock();
    GuardLock(const GuardLock&) = delete;
    GuardLock& operator=(const GuardLock&) = delete;

    // The record the hooks serve: that of the guard holding windows right now, or null.
    GuardRecord*& Active() const noexcept;
};

inline DWORD ThreadOf(HWND window) noexcept
{
    return ::GetWindowThreadProcessId(window, nullptr);
}
