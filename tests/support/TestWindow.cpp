#include "support/TestWindow.h"

namespace testing_support {

TestWindow::TestWindow(const char* className, const char* title, WNDPROC procedure, DWORD style)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassA(&wc);
    window_ = ::CreateWindowExA(0, className, title, style, 40, 40, 400, 300, nullptr, nullptr,
                                wc.hInstance, nullptr);
}

TestWindow::~TestWindow()
{
    if (::IsWindow(window_))
        ::DestroyWindow(window_);
}

void TestWindow::Activate() const
{
    ::SetForegroundWindow(window_);
    ::SetActiveWindow(window_);
}

} // namespace testing_support
