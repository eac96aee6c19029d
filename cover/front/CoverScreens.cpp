#include "cover/front/CoverScreens.h"

#include "cover/front/CoverFront.h"
#include "framework/Module.h"

namespace {

constexpr const char* kCurtainClass = "VelmoraCurtain";

LRESULT CALLBACK CurtainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (msg) {
    case WM_MOUSEACTIVATE:
        // A click brings the cover forward instead: the keyboard stays with it.
        return CoverFront::CurtainClicked(window);
    default:
        return ::DefWindowProcA(window, msg, wParam, lParam);
    }
}

bool RegisterCurtainClass() noexcept
{
    // Registered once per load; Windows keeps the record, unregistered at finish.
    WNDCLASSA wc{};
    if (::GetClassInfoA(ModuleInstance(), kCurtainClass, &wc))
        return true;
    wc.lpfnWndProc = &CurtainProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kCurtainClass;
    return ::RegisterClassA(&wc) != 0;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) noexcept
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoA(monitor, &info))
        reinterpret_cast<MonitorLayout*>(param)->Add(info.rcMonitor, info.rcWork);
    return TRUE;
}

MonitorLayout Monitors() noexcept
{
    MonitorLayout monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

MonitorArea MonitorOf(HWND window) noexcept
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return {info.rcMonitor, info.rcWork};
}

void MoveTo(HWND window, const RECT& r, UINT flags) noexcept
{
    ::SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   flags | SWP_NOACTIVATE);
}

} // namespace

CoverScreens::~CoverScreens()
{
    End();
}

void CoverScreens::UnregisterClass() noexcept
{
    ::UnregisterClassA(kCurtainClass, ModuleInstance());
}

void CoverScreens::Follow(HWND cover, bool stretched) noexcept
{
    cover_ = cover;
    stretched_ = stretched;
    Refit();
}

void CoverScreens::Recheck() noexcept
{
    if (cover_ != nullptr && !SameLayout(layout_, Monitors()))
        Refit();
}

void CoverScreens::Refit() noexcept
{
    if (cover_ == nullptr)
        return;
    layout_ = Monitors();
    FitCover(MonitorOf(cover_));
    if (stretched_) {
        // The cover's monitor, as it stands after the fit (its own may have gone).
        FitCurtains(CurtainRects(layout_, MonitorOf(cover_).monitor));
    }
}

void CoverScreens::FitCover(const MonitorArea& own) noexcept
{
    RECT window{};
    ::GetWindowRect(cover_, &window);
    if (stretched_) {
        // As maximising places it: the frame just outside the work area. Windows leaves
        // a maximised window as it was when its monitor changes size.
        RECT client{};
        ::GetClientRect(cover_, &client);
        const long frameX = ((window.right - window.left) - client.right) / 2;
        const long frameY = ((window.bottom - window.top) - client.bottom) / 2;
        const RECT target{own.work.left - frameX, own.work.top - frameY, own.work.right + frameX,
                          own.work.bottom + frameY};
        if (!SameRect(window, target))
            ::SetWindowPos(cover_, nullptr, target.left, target.top, target.right - target.left,
                           target.bottom - target.top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (!LiesOnAMonitor(window, layout_)) {
        const RECT target = MovedInto(window, own.work);
        ::SetWindowPos(cover_, nullptr, target.left, target.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CoverScreens::FitCurtains(const RectList& rects) noexcept
{
    while (curtainCount_ > rects.count)
        ::DestroyWindow(curtains_[--curtainCount_]);
    for (size_t i = 0; i < rects.count; ++i) {
        if (i == curtainCount_) {
            if (!RegisterCurtainClass())
                return;
            // Owned by the cover: above it, gone with it, and not one of the client's
            // windows the cover hides. Topmost, so no window of the client comes above.
            HWND curtain = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST,
                                             kCurtainClass, "", WS_POPUP, 0, 0, 0, 0, cover_, nullptr,
                                             ModuleInstance(), nullptr);
            if (curtain == nullptr)
                return;
            curtains_[curtainCount_++] = curtain;
            MoveTo(curtain, rects.rects[i], SWP_SHOWWINDOW);
        } else {
            MoveTo(curtains_[i], rects.rects[i], 0);
        }
    }
}

void CoverScreens::End() noexcept
{
    while (curtainCount_ > 0) {
        HWND curtain = curtains_[--curtainCount_];
        // Gone already when the cover went first (owned windows go with their owner).
        if (::IsWindow(curtain) && ::GetWindow(curtain, GW_OWNER) == cover_)
            ::DestroyWindow(curtain);
    }
    cover_ = nullptr;
}
