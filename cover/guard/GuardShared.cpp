#include "cover/guard/GuardShared.h"

namespace {

struct Shared {
    Shared() noexcept { ::InitializeCriticalSection(&section); }
    ~Shared() { ::DeleteCriticalSection(&section); }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    CRITICAL_SECTION section;
    HostWindowGuard* active = nullptr;
};

// One for the process: hook procedures and subclasses are told of no guard.
Shared g_shared;

} // namespace

GuardLock::GuardLock() noexcept
{
    ::EnterCriticalSection(&g_shared.section);
}

GuardLock::~GuardLock()
{
    ::LeaveCriticalSection(&g_shared.section);
}

HostWindowGuard*& GuardLock::Active() const noexcept
{
    return g_shared.active;
}
