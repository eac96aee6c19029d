#include "host/TrayIcon.h"

#include <shellapi.h>

#include <cstring>

#include "host/HostResource.h"

namespace velmora_host {

bool TrayIcon::Add(HWND owner, HICON icon, const char* tip)
{
    owner_ = owner;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = ID_HOST_TRAY_ICON;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_HOST_TRAY_ICON;
    data.hIcon = icon;
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    added_ = ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    return added_;
}

void TrayIcon::Remove()
{
    if (!added_)
        return;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = ID_HOST_TRAY_ICON;
    ::Shell_NotifyIconA(NIM_DELETE, &data);
    added_ = false;
}

void TrayIcon::OnCallback(LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
        ShowMenu();
        break;
    case WM_LBUTTONDBLCLK:
        ::PostMessageA(owner_, WM_COMMAND, MAKEWPARAM(IDM_HOST_OPEN, 0), 0);
        break;
    default:
        break;
    }
}

void TrayIcon::ShowMenu()
{
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuA(menu, MF_STRING, IDM_HOST_OPEN, "Open");
    ::AppendMenuA(menu, MF_STRING, IDM_HOST_NEW_MESSAGE, "New Message");
    ::AppendMenuA(menu, MF_STRING, IDM_HOST_CHECK_MAIL, "Check Mail");
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING, IDM_HOST_EXIT, "Exit");
    ::SetMenuDefaultItem(menu, IDM_HOST_OPEN, FALSE);
    POINT at{};
    ::GetCursorPos(&at);
    // Without the owner in front the menu would not close when the user clicks away.
    ::SetForegroundWindow(owner_);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | TPM_RETURNCMD, at.x, at.y, 0, owner_, nullptr));
    ::PostMessageA(owner_, WM_NULL, 0, 0);
    ::DestroyMenu(menu);
    if (command != 0)
        ::SendMessageA(owner_, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void ActivateMainFrame(HWND mainWindow)
{
    if (!::IsWindowVisible(mainWindow))
        ::ShowWindow(mainWindow, SW_SHOW);
    if (::IsIconic(mainWindow))
        ::ShowWindow(mainWindow, SW_RESTORE);
    ::SetForegroundWindow(mainWindow);
}

} // namespace velmora_host
