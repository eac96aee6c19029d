// What the host window guard's two halves share: the holding (HostWindowGuard.cpp) and
// the hooks and subclasses (GuardHooks.cpp). It knows the guard by name only.
#pragma once
#include <windows.h>

class HostWindowGuard;

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

    // The guard the hooks serve: the one holding windows right now, or null.
    HostWindowGuard*& Active() const noexcept;
};

inline DWORD ThreadOf(HWND window) noexcept
{
    return ::GetWindowThreadProcessId(window, nullptr);
}
