// The stand-in mail client's main window: class "EudoraMainWindow", a Tools menu
// that carries each plug-in's special items (owner-drawn with their icons) before
// "Options...", a toolbar button for items that ask for one, and a log of every call
// the host makes into its plug-ins. Like the client it checks mail on a timer (with a
// progress window each time), puts up reminders, has a tray icon with the client's menu
// and a floating tool window it owns, and ends the application inside WM_ENDSESSION.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "host/MailCheck.h"
#include "host/PluginLoader.h"
#include "host/Reminder.h"
#include "host/ToolWindow.h"
#include "host/TrayIcon.h"

namespace velmora_host {

extern const char* const kMainWindowClass;   // "EudoraMainWindow"

struct MainWindowOptions {
    MailCheckSettings mailCheck;
    // A reminder every that many seconds; 0: only through IDM_HOST_REMIND_NOW.
    UINT reminderSeconds = 0;
    bool trayIcon = true;
    // The program ends its message loop when the window goes; a test hosting the window
    // in its own thread must not get that WM_QUIT.
    bool quitWhenDestroyed = true;
    // After WM_ENDSESSION has ended the session the program ends its process (Windows
    // would); a test's thread must survive it.
    bool exitProcessAfterEndSession = true;
};

class MainWindow {
public:
    explicit MainWindow(PluginHost& host, MainWindowOptions options = {});
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates and shows the window, then its tool window (visible), tray icon and
    // mail-check timer; null when that failed.
    HWND Create(int showCommand);
    HWND hwnd() const { return hwnd_; }
    HWND toolWindow() const { return toolWindow_.hwnd(); }
    const MailCheck& mailCheck() const { return mailCheck_; }
    // The running mail check's progress window (class kProgressWindowClass), or null.
    HWND progressWindow() const { return mailCheck_.progressWindow(); }
    const Reminder& reminder() const { return reminder_; }
    void AppendLog(const std::string& line);

    // Every log line also goes here.
    std::function<void(const std::string&)> echo;
    // What WM_ENDSESSION with wParam TRUE runs, inside that message, before it returns:
    // the application's exit (the client unloads its plug-ins there). The window stays.
    std::function<void()> onEndSession;

    // "Check Mail", on the window's thread. From another thread post WM_COMMAND with
    // IDM_HOST_CHECK_MAIL, or WM_TIMER with IDT_HOST_MAIL_CHECK, to hwnd(). Ignored while a
    // check runs.
    void CheckMailNow();

    // Command id of special item `item` of plug-in `plugin`, or 0.
    UINT CommandFor(size_t plugin, size_t item) const;

private:
    struct Entry {
        size_t plugin;
        size_t item;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCreated();
    void BuildMenu();
    void BuildToolbar();
    void Layout();
    void OnCommand(UINT id);
    void MeasureItem(MEASUREITEMSTRUCT& measure);
    void DrawItem(const DRAWITEMSTRUCT& draw);
    const Entry* EntryFor(UINT id) const;

    PluginHost& host_;
    MainWindowOptions options_;
    MailCheck mailCheck_;
    Reminder reminder_;
    TrayIcon tray_;
    ToolWindow toolWindow_;
    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND log_ = nullptr;
    std::vector<Entry> entries_;
    std::vector<std::string> pendingLog_;
    HIMAGELIST imageList_ = nullptr;
};

// "Message Plug-ins Settings...": every plug-in with its icon and description, and a
// Settings button that makes the plug-in's settings request.
void RunPluginSettingsDialog(HWND owner, PluginHost& host);

} // namespace velmora_host
