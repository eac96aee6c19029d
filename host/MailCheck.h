// The client's mail check: a timer on the main window and the "Check Mail" command.
// Each check puts up a progress window of its own, as the client does: a new popup
// "Progress" (class kProgressWindowClass) owned by the main window, shown, hidden and
// shown again while the check runs, the main window disabled meanwhile and enabled
// after (whatever it was before), the foreground handed back to the main window
// (SetForegroundWindow) when the progress window has it, then the progress window
// destroyed. When the mail status changes (new mail
// downloaded, mail read), the client puts a hidden main window back on screen without
// activating it, unless the user chose to show the client only in the tray, and may
// then alert the user with the modal "New Mail" dialog, owned by the main window's last
// active popup. The stand-in has no mail server: every check counts as one new message.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace velmora_host {

extern const char* const kProgressWindowClass;   // "VelmoraHostProgress"
extern const char* const kProgressWindowTitle;   // "Progress"
extern const char* const kNewMailAlertCaption;   // "New Mail"

struct MailCheckSettings {
    UINT periodSeconds = 60;        // 0: no timer, only "Check Mail"
    bool showOnlyInTray = false;    // the client's "show only in tray": stay hidden
    // How long a check keeps its progress window, driven by a timer on that window (the
    // thread's message loop, or a plug-in's modal loop above it, keeps running). 0: the
    // whole check, progress window included, happens within the call that starts it.
    UINT progressMs = 600;
    int progressShow = SW_SHOWNA;   // how the progress window is shown: SW_SHOWNA or SW_SHOW
    bool newMailAlert = false;      // the modal "New Mail" dialog after a check with new mail
};

class MailCheck {
public:
    explicit MailCheck(MailCheckSettings settings) : settings_(settings) {}
    ~MailCheck() { Stop(); }
    MailCheck(const MailCheck&) = delete;
    MailCheck& operator=(const MailCheck&) = delete;

    // Starts the timer on the main window (nothing when the period is 0).
    void Start(HWND mainWindow);
    // Stops the timer and abandons a running check (its progress window goes).
    void Stop();
    // One check, from the timer or the command. False (nothing happens) while one runs,
    // its alert included, or before Start.
    bool Run();
    bool running() const { return running_; }
    // Checks finished (counted when the progress window has gone, before the alert).
    unsigned checks() const { return checks_; }
    // The running check's progress window, or null.
    HWND progressWindow() const { return progress_; }
    // The "New Mail" alert while it is up, or null.
    HWND alertWindow() const { return alert_; }
    const MailCheckSettings& settings() const { return settings_; }

    // Every step of a check is told here (the main window's log).
    std::function<void(const std::string&)> log;

private:
    static LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static INT_PTR CALLBACK AlertProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    HWND CreateProgressWindow();
    void Step();
    void Finish();
    void OnMailStatusChanged();
    void Log(const std::string& line);

    MailCheckSettings settings_;
    HWND mainWindow_ = nullptr;
    HWND progress_ = nullptr;
    HWND alert_ = nullptr;
    int step_ = 0;
    bool running_ = false;
    unsigned checks_ = 0;
};

} // namespace velmora_host
