// Finding the plug-in's dialogs among a thread's (or the desktop's) windows, and waiting
// for them: the tests, the benchmark and the host's tour drive the same dialogs and
// look for them the same way. A dialog is a visible top-level window of class #32770;
// the plug-in's are told apart by a control only that dialog has (the cover by its
// Unlock button, the settings dialog by Apply, the about box by Close, a message box by
// its text, id 0xFFFF) or by their caption.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace dialog_search {

// Whether the window is of the dialog class, shown or not.
bool IsDialogClass(HWND window);
// The window's text, asked of the window itself (WM_GETTEXT).
std::string WindowText(HWND window);

// How long a wait gives a window or a state by default before it calls it missing: long
// enough for a busy machine that runs the 32-bit code through an emulator, several test
// programs at once. A wait whose condition holds sooner ends sooner.
constexpr DWORD kPatienceMs = 15000;

// Polls `condition` every `pollMs` until it holds or the time runs out; returns whether
// it held. A timeout of 0 checks once.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kPatienceMs, DWORD pollMs = 20);
// Polls `find` the same way until it gives a window; null when the time runs out.
HWND WaitFor(const std::function<HWND()>& find, DWORD timeoutMs, DWORD pollMs = 20);

// A visible dialog of the thread with that caption (any caption when `caption` is
// null), or null.
HWND FindThreadDialog(DWORD threadId, const char* caption);
HWND WaitForThreadDialog(DWORD threadId, const char* caption, DWORD timeoutMs = kPatienceMs);
// A dialog other than `exclude` (e.g. a message box above a dialog).
HWND WaitForOtherDialog(DWORD threadId, HWND exclude, DWORD timeoutMs = kPatienceMs);

// A visible dialog of the thread with that control, other than `exclude`, or null.
HWND FindDialogWithControl(DWORD threadId, int controlId, HWND exclude = nullptr);
HWND WaitForDialogWithControl(DWORD threadId, int controlId, HWND exclude = nullptr,
                              DWORD timeoutMs = kPatienceMs);
// How many such dialogs the thread shows at once.
int CountDialogsWithControl(DWORD threadId, int controlId);

// For programs started apart (the setup program): a visible top-level dialog of any
// process whose caption begins with `caption` (a wizard adds its page's), with a control
// as FindDescendant finds it.
HWND WaitForDesktopDialog(const std::string& caption, int controlId, const std::string& controlText = "",
                          DWORD timeoutMs = kPatienceMs);
// A control at any depth under `parent` (a wizard's pages are dialogs inside the
// dialog) with that id, or with that text when `id` is 0; null when there is none.
HWND FindDescendant(HWND parent, int id, const std::string& text = std::string());

// The popup menu the thread shows (class #32768), or null.
HWND VisibleMenuOf(DWORD thread);

} // namespace dialog_search
