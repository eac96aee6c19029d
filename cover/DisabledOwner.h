// Keeps the window the cover's modal run disabled from taking input until the run ends.
// The client enables its main window again at the end of every mail check (it disables
// it while the check's progress window is up), whether or not a modal window of someone
// else has disabled it meanwhile: with the client's window on screen behind the cover,
// its mailboxes would take clicks and keys through the lock.
//
// The owner belongs to the cover's thread (a modal run's owner is the thread's active
// window), so it is subclassed there, and an enable is undone inside the message that
// reports it, before any input can reach the window.
#pragma once
#include <windows.h>

class DisabledOwner {
public:
    DisabledOwner() = default;
    ~DisabledOwner();
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;

    // Keeps `owner` disabled if it is disabled now (the modal run did it) and belongs to
    // this thread; otherwise does nothing.
    void Keep(HWND owner) noexcept;
    // Lets go, so that the modal run can enable the owner again at its end. Harmless
    // when nothing is kept.
    void Release() noexcept;

private:
    static LRESULT CALLBACK KeepProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self) noexcept;

    HWND owner_ = nullptr;
};
