#include "cover/DisabledOwner.h"

#include <commctrl.h>

namespace {
// Identifies this subclass among others on the same window (the window guard's, say).
constexpr UINT_PTR kSubclassId = 0x56454C44;   // "VELD"
} // namespace

DisabledOwner::~DisabledOwner()
{
    Release();
}

void DisabledOwner::Keep(HWND owner) noexcept
{
    Release();
    if (owner == nullptr || ::IsWindowEnabled(owner) ||
        ::GetWindowThreadProcessId(owner, nullptr) != ::GetCurrentThreadId())
        return;
    if (::SetWindowSubclass(owner, &DisabledOwner::KeepProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this)))
        owner_ = owner;
}

void DisabledOwner::Release() noexcept
{
    if (owner_ == nullptr)
        return;
    ::RemoveWindowSubclass(owner_, &DisabledOwner::KeepProc, kSubclassId);
    owner_ = nullptr;
}

LRESULT CALLBACK DisabledOwner::KeepProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) noexcept
{
    switch (msg) {
    case WM_ENABLE:
        if (wParam != FALSE) {
            const LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
            ::EnableWindow(window, FALSE);
            return result;
        }
        break;
    case WM_NCDESTROY:
        // A subclass must be gone before its window is.
        reinterpret_cast<DisabledOwner*>(self)->Release();
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, msg, wParam, lParam);
}
