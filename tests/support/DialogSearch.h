// Finding the plug-in's dialogs among a thread's windows by a control that only that
// dialog has: the cover by its Unlock button, the settings dialog by Apply, the about
// box by Close, a message box by its text (id 0xFFFF).
#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

// A visible top-level dialog (#32770) of the thread with that control, other than
// `exclude`, or null.
HWND FindDialogWithControl(DWORD threadId, int controlId, HWND exclude = nullptr);
HWND WaitForDialogWithControl(DWORD threadId, int controlId, HWND exclude = nullptr,
                              DWORD timeoutMs = 8000);
// How many such dialogs the thread shows at once.
int CountDialogsWithControl(DWORD threadId, int controlId);

// For programs a test starts (the setup program): a visible top-level dialog of any
// process whose caption begins with `caption` (a wizard adds its page's), with a control
// as FindDescendant finds it.
HWND WaitForDesktopDialog(const std::string& caption, int controlId, const std::string& controlText = "",
                          DWORD timeoutMs = 8000);
// A control at any depth under `parent` (a wizard's pages are dialogs inside the
// dialog) with that id, or with that text when `id` is 0; null when there is none.
// The popup menu the thread shows (class #32768), or null.
HWND VisibleMenuOf(DWORD thread);

HWND FindDescendant(HWND parent, int id, const std::string& text = std::string());

} // namespace testing_support
