// The client's mail check: a timer on the main window and the "Check Mail" command. When
// the mail status changes (new mail downloaded, mail read), the client puts a hidden
// main window back on screen without activating it, unless the user chose to show the
// client only in the tray. The stand-in has no mail server: every check counts as new
// mail.
#pragma once
#include <windows.h>

namespace velmora_host {

struct MailCheckSettings {
    UINT periodSeconds = 60;        // 0: no timer, only "Check Mail"
    bool showOnlyInTray = false;    // the client's "show only in tray": stay hidden
};

class MailCheck {
public:
    explicit MailCheck(MailCheckSettings settings) : settings_(settings) {}

    // Starts the timer on the main window (nothing when the period is 0).
    void Start(HWND mainWindow);
    void Stop();
    // One check, from the timer or the command; returns the new messages found.
    unsigned Run();
    unsigned checks() const { return checks_; }
    const MailCheckSettings& settings() const { return settings_; }

private:
    void OnMailStatusChanged();

    MailCheckSettings settings_;
    HWND mainWindow_ = nullptr;
    unsigned checks_ = 0;
};

} // namespace velmora_host
