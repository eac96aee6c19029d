#include "cover/guard/GuardShared.h"

namespace {

struct Shared {
    Shared() noexcept { ::InitializeCriticalSection(&section); }
    ~Shared() { ::DeleteCriticalSection(&section); }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    CRITICAL_SECTION section;
    GuardRecord* active = nullptr;
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

GuardRecord*& GuardLock::Active() const noexcept
{
    return g_shared.active;
}

bool GuardRecord::Eligible(HWND window) const noexcept
{
    if (window == nullptr || window == cover)
        return false;
    if (window == mainWindow)
        return true;
    DWORD owningProcess = 0;
    ::GetWindowThreadProcessId(window, &owningProcess);
    if (owningProcess != process || (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 ||
        ::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow())
        return false;
    // The cover's own message boxes and the client's alert above the cover stay usable.
    for (HWND owner = ::GetWindow(window, GW_OWNER); owner != nullptr; owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner == cover)
            return false;
    }
    return true;
}
