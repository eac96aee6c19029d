#include "bench/FirstPaint.h"

#include "bench/Stopwatch.h"
#include "tools/dialogsearch/DialogSearch.h"

namespace bench {

namespace {

// Tells the marker apart from any other WM_NULL.
constexpr LPARAM kMarker = 0x7E57;

struct Watched {
    bool active = false;
    HWND dialog = nullptr;
    bool markerPending = false;
    bool painted = false;
    bool timedOut = false;
    LONGLONG paintedAt = 0;
    const EndAction* end = nullptr;
};

HHOOK g_hook = nullptr;
Watched g_watched;

BOOL CALLBACK ChildIsPainted(HWND child, LPARAM param)
{
    if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(param) = false;
        return FALSE;
    }
    return TRUE;
}

bool FullyPainted(HWND window)
{
    if (!::IsWindowVisible(window) || ::GetUpdateRect(window, nullptr, FALSE))
        return false;
    bool painted = true;
    ::EnumChildWindows(window, &ChildIsPainted, reinterpret_cast<LPARAM>(&painted));
    return painted;
}

void Watch(const MSG& msg)
{
    if (msg.message == WM_PAINT) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (g_watched.dialog == nullptr && root != nullptr && dialog_search::IsDialogClass(root))
            g_watched.dialog = root;
        if (root == g_watched.dialog && !g_watched.markerPending) {
            g_watched.markerPending = true;
            ::PostMessageA(root, WM_NULL, 0, kMarker);
        }
    } else if (msg.message == WM_NULL && msg.lParam == kMarker && msg.hwnd == g_watched.dialog) {
        g_watched.markerPending = false;
        if (FullyPainted(g_watched.dialog)) {
            g_watched.paintedAt = Ticks();
            g_watched.painted = true;
            (*g_watched.end)(g_watched.dialog);
        }
    }
}

LRESULT CALLBACK WatchMessages(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HC_ACTION && wParam == PM_REMOVE && g_watched.active && !g_watched.painted) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->hwnd != nullptr)
            Watch(*msg);
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    if (g_watched.active) {
        g_watched.timedOut = true;
        ::PostQuitMessage(0);
    }
}

} // namespace

PaintWatch::PaintWatch()
{
    g_hook = ::SetWindowsHookExA(WH_GETMESSAGE, &WatchMessages, nullptr, ::GetCurrentThreadId());
}

PaintWatch::~PaintWatch()
{
    if (g_hook != nullptr)
        ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

EndAction ClickButton(int controlId)
{
    return [controlId](HWND dialog) {
        ::PostMessageA(::GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
    };
}

PaintRun RunUntilPainted(const std::function<INT_PTR()>& run, const EndAction& end, UINT timeoutMs)
{
    g_watched = Watched{};
    g_watched.active = true;
    g_watched.end = &end;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, timeoutMs, &GiveUp);

    PaintRun result;
    const LONGLONG start = Ticks();
    result.result = run();

    ::KillTimer(nullptr, timer);
    result.painted = g_watched.painted;
    result.timedOut = g_watched.timedOut;
    if (result.painted)
        result.microseconds = TicksToMicroseconds(g_watched.paintedAt - start);
    g_watched = Watched{};
    // A quit that ended a stuck dialog is the watch's own, not the program's.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

} // namespace bench
