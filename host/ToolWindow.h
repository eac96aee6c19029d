// A floating tool window of the client ("Directory Services"): a popup owned by the
// main window. Hiding the main window with ShowWindow does not hide it.
#pragma once
#include <windows.h>

namespace velmora_host {

extern const char* const kToolWindowClass;

class ToolWindow {
public:
    ToolWindow() = default;
    ~ToolWindow();
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;

    // Creates it visible, not active, near the owner's right edge; null when that failed.
    HWND Create(HWND owner);
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
};

} // namespace velmora_host
