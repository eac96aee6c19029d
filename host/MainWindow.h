// The stand-in mail client's main window: class "EudoraMainWindow", a Tools menu
// that carries each plug-in's special items (owner-drawn with their icons) before
// "Options...", a toolbar button for items that ask for one, and a log of every call
// the host makes into its plug-ins.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "host/PluginLoader.h"

namespace velmora_host {

extern const char* const kMainWindowClass;   // "EudoraMainWindow"

class MainWindow {
public:
    explicit MainWindow(PluginHost& host);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates and shows the window; null when that failed.
    HWND Create(int showCommand);
    HWND hwnd() const { return hwnd_; }
    void AppendLog(const std::string& line);

    // Command id of special item `item` of plug-in `plugin`, or 0.
    UINT CommandFor(size_t plugin, size_t item) const;

private:
    struct Entry {
        size_t plugin;
        size_t item;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void BuildMenu();
    void BuildToolbar();
    void Layout();
    void OnCommand(UINT id);
    void MeasureItem(MEASUREITEMSTRUCT& measure);
    void DrawItem(const DRAWITEMSTRUCT& draw);
    const Entry* EntryFor(UINT id) const;

    PluginHost& host_;
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
