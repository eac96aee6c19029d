// A top-level window made on the calling thread by a test or the benchmark: the host's
// main window the cover looks for, or any window that is active when a dialog opens.
// Free of the test framework.
#pragma once
#include <windows.h>

namespace testing_support {

// The class of the mail client's main window.
constexpr const char* kHostMainWindowClass = "EudoraMainWindow";

class TestWindow {
public:
    // Registers `className` with `procedure` the first time a program asks for it (later
    // registrations of the same name keep the first procedure) and creates the window.
    TestWindow(const char* className, const char* title, WNDPROC procedure = &::DefWindowProcA,
               DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const { return window_; }
    // Makes it the foreground and active window, as the host's own is when a dialog opens.
    void Activate() const;

private:
    HWND window_;
};

} // namespace testing_support
