// The hook through which the unattended tour (--demo) drives the client: what the tour
// gets of it, and the two calls the program makes. The tour itself, which knows the
// plug-in's dialogs, lives in demo/ and is linked into velmora_host from there.
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

// Starts the tour on a thread of its own; the main window is closed when it ends.
// Returns the thread handle.
HANDLE StartDemo(const DemoSetup& setup);
// Whether every step of a finished tour went as planned.
bool DemoSucceeded();

} // namespace velmora_host
