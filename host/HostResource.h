// Resource, command, message and timer identifiers of the stand-in host program (its own
// module, not the plug-in's). Tests drive the main window through these.
#pragma once

#define IDD_HOST_PLUGIN_SETTINGS    200
#define IDC_HOST_PLUGIN_LIST        201
#define IDC_HOST_PLUGIN_SETTINGS    202
#define IDC_HOST_PLUGIN_FILE        203
#define IDD_HOST_REMINDER           210     // modeless "Reminder", owned by the main window
#define IDD_HOST_NEW_MAIL           211     // modal "New Mail" alert

#define IDM_HOST_EXIT               300     // File -> Exit, and the tray menu's "Exit"
#define IDM_HOST_OPTIONS            301
#define IDM_HOST_PLUGIN_SETTINGS    302
#define IDM_HOST_ABOUT              303
#define IDM_HOST_CHECK_MAIL         304     // File -> Check Mail, and the tray menu's
#define IDM_HOST_OPEN               305     // tray menu: "Open"
#define IDM_HOST_NEW_MESSAGE        306     // tray menu: "New Message"
#define IDM_HOST_REMIND_NOW         307     // puts a reminder up now (what its timer does)
// Plug-in menu items and toolbar buttons take the ids from here upwards.
#define IDM_HOST_FIRST_PLUGIN_ITEM  1000

// The tray icon's callback message to the main window: wParam is ID_HOST_TRAY_ICON,
// lParam the mouse message (WM_RBUTTONUP shows the tray menu, WM_LBUTTONDBLCLK opens).
#define WM_HOST_TRAY_ICON           (WM_APP + 0x100)
#define ID_HOST_TRAY_ICON           1
// Posted by the main window to itself when WM_ENDSESSION has ended the session: the
// program ends its process there (as Windows would), a test's client only logs it.
#define WM_HOST_SESSION_ENDED       (WM_APP + 0x101)
// The main window's mail-check timer (WM_TIMER wParam).
#define IDT_HOST_MAIL_CHECK         1
// The main window's reminder timer.
#define IDT_HOST_REMINDER           2
// The progress window's timer, which walks a mail check through its steps.
#define IDT_HOST_PROGRESS           3
