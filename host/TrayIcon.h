// The client's tray icon and its menu: "Open", "New Message", "Check Mail", "Exit". A
// right click shows the menu, a double click opens. The chosen command reaches the main
// window as WM_COMMAND, the ids of host/HostResource.h.
#pragma once
#include <windows.h>

namespace velmora_host {

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon; its callback message is WM_HOST_TRAY_ICON to `owner`. False where
    // the shell has no tray (the callback message still works when sent directly).
    bool Add(HWND owner, HICON icon, const char* tip);
    void Remove();
    // The callback message's mouse event (its lParam).
    void OnCallback(LPARAM mouseMessage);

private:
    void ShowMenu();

    HWND owner_ = nullptr;
    bool added_ = false;
};

// What the client's "Open" and "New Message" do to the main frame: shown if hidden,
// restored if minimised, brought to the foreground.
void ActivateMainFrame(HWND mainWindow);

} // namespace velmora_host
