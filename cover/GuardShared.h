// What the host window guard's two halves share: the holding (HostWindowGuard.cpp) and
// the hooks and subclasses (GuardHooks.cpp).
#pragma once
#include "cover/HostWindowGuard.h"

// The hooks and subclasses run on whatever thread the client uses, so the records are
// read and written under one critical section (slimmer locks are missing on older
// Windows). No window is touched while it is held, since that could wait on a thread
// that waits for the lock.
struct HostWindowGuard::Shared {
    Shared() noexcept { ::InitializeCriticalSection(&section); }
    ~Shared() { ::DeleteCriticalSection(&section); }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    CRITICAL_SECTION section;
    // The guard the hooks serve: the one holding windows right now, or null.
    HostWindowGuard* active = nullptr;
};

class HostWindowGuard::Locked {
public:
    Locked() noexcept { ::EnterCriticalSection(&shared_.section); }
    ~Locked() { ::LeaveCriticalSection(&shared_.section); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    HostWindowGuard*& Active() const noexcept { return shared_.active; }
    // The active guard's record of `window`, or null.
    HeldWindow* Find(HWND window) const noexcept
    {
        return shared_.active != nullptr ? shared_.active->held_.Find(window) : nullptr;
    }
};

inline DWORD ThreadOf(HWND window) noexcept
{
    return ::GetWindowThreadProcessId(window, nullptr);
}
