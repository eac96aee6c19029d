// The client's reminder windows (registration, updates, feature notices): a modeless
// dialog "Reminder" (class #32770) owned by the main window, shown with SW_RESTORE, on a
// timer of the main window or at once through the command IDM_HOST_REMIND_NOW. Its OK
// and Close buttons destroy it. While one is up, the next reminder shows the same
// window again with SW_RESTORE.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace velmora_host {

extern const char* const kReminderCaption;   // "Reminder"

class Reminder {
public:
    explicit Reminder(UINT periodSeconds) : periodSeconds_(periodSeconds) {}
    ~Reminder() { Stop(); }
    Reminder(const Reminder&) = delete;
    Reminder& operator=(const Reminder&) = delete;

    // Starts the timer IDT_HOST_REMINDER on the main window (nothing when the period is 0).
    void Start(HWND mainWindow);
    // Stops the timer and destroys a reminder that is up.
    void Stop();
    // Puts the reminder up (creating it when none is up); returns it, or null.
    HWND Show();
    // The reminder while it is up, or null.
    HWND hwnd() const { return dialog_; }
    // How many times one was put up.
    unsigned shown() const { return shown_; }

    // Every reminder is told here (the main window's log).
    std::function<void(const std::string&)> log;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    UINT periodSeconds_;
    HWND mainWindow_ = nullptr;
    HWND dialog_ = nullptr;
    unsigned shown_ = 0;
};

} // namespace velmora_host
