// The host's unattended tour for machines without a screen: a second thread picks the
// menu items, fills in and presses the plug-in's dialogs like a user would, and saves
// a picture of each step (24-bit BMP files, named after the step).
#pragma once
#include <windows.h>

#include <string>

#include "host/MainWindow.h"
#include "host/PluginLoader.h"

namespace velmora_host {

struct DemoSetup {
    DWORD uiThread;
    HWND mainWindow;
    const MainWindow* window;
    PluginHost* host;
    std::string shotsFolder;
};

// Starts the tour; the main window is closed when it ends. Returns the thread handle.
HANDLE StartDemo(const DemoSetup& setup);
// Whether every step of a finished tour went as planned.
bool DemoSucceeded();

// Saves the screen area as a 24-bit BMP file.
bool SaveScreenArea(const RECT& area, const std::string& path);

} // namespace velmora_host
