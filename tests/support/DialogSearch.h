// Finding the plug-in's dialogs among a thread's windows by a control that only that
// dialog has: the cover by its Unlock button, the settings dialog by Apply, the about
// box by Close, a message box by its text (id 0xFFFF).
#pragma once
#include <windows.h>

namespace testing_support {

// A visible top-level dialog (#32770) of the thread with that control, other than
// `exclude`, or null.
HWND FindDialogWithControl(DWORD threadId, int controlId, HWND exclude = nullptr);
HWND WaitForDialogWithControl(DWORD threadId, int controlId, HWND exclude = nullptr,
                              DWORD timeoutMs = 8000);
// How many such dialogs the thread shows at once.
int CountDialogsWithControl(DWORD threadId, int controlId);

} // namespace testing_support
