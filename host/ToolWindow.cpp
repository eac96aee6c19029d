#include "host/ToolWindow.h"

namespace velmora_host {

const char* const kToolWindowClass = "VelmoraHostToolWindow";

namespace {

constexpr int kWidth = 220;
constexpr int kHeight = 150;

} // namespace

ToolWindow::~ToolWindow()
{
    if (hwnd_ != nullptr && ::IsWindow(hwnd_))
        ::DestroyWindow(hwnd_);
}

HWND ToolWindow::Create(HWND owner)
{
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &ToolWindow::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kToolWindowClass;
    ::RegisterClassA(&wc);

    RECT frame{};
    ::GetWindowRect(owner, &frame);
    hwnd_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, kToolWindowClass, "Directory Services",
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                              frame.right - kWidth - 24, frame.top + 96, kWidth, kHeight, owner,
                              nullptr, instance, this);
    if (hwnd_ == nullptr)
        return nullptr;
    HWND text = ::CreateWindowExA(0, "STATIC", "No directory services in the stand-in host.",
                                  WS_CHILD | WS_VISIBLE | SS_LEFT, 8, 8, kWidth - 32, 48, hwnd_,
                                  nullptr, instance, nullptr);
    ::SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // Up beside the main window, which keeps the activation.
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    return hwnd_;
}

LRESULT CALLBACK ToolWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (msg == WM_CLOSE) {
        // Closing a floating window of the client only puts it away.
        ::ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        auto* self = reinterpret_cast<ToolWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self != nullptr)
            self->hwnd_ = nullptr;
    } else if (msg == WM_NCCREATE) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace velmora_host
