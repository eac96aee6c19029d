// The stand-in mail client as one object: its folders, its plug-ins and its main window,
// started and shut down in the client's order. The host program runs one; a test can run
// one on its own thread and drive it with the ids of host/HostResource.h.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "host/ClientFolders.h"
#include "host/MainWindow.h"
#include "host/PluginLoader.h"

namespace velmora_host {

struct ClientOptions {
    ClientFolders folders;
    MainWindowOptions window;
};

class Client {
public:
    explicit Client(ClientOptions options);
    // Shuts down if that has not happened yet.
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // The client's start-up: records its command line, creates <program>\Plugins when
    // missing, loads and initialises the plug-ins of both Plugins folders (a plug-in's
    // start-up dialog keeps this call waiting), then creates the main window. Returns
    // it, or null.
    HWND Start(int showCommand);
    // The client's message loop on the calling thread: runs until WM_QUIT (posted when
    // the main window goes, tray Exit say, unless quitWhenDestroyed is off), then shuts
    // down as the client does. Returns WM_QUIT's exit code.
    int RunMessageLoop();
    // Destroys the main window (with its tool window and tray icon) and then, as the
    // client does, hands every block back, finishes and unloads each plug-in (once:
    // after WM_ENDSESSION only the window is left to go).
    void Shutdown();
    // The application's exit as WM_ENDSESSION runs it, inside that message: every block
    // back, each plug-in finished and unloaded; the main window stays.
    void ExitApplication();

    PluginHost& host() { return host_; }
    MainWindow& window() { return window_; }
    HWND mainWindow() const { return mainWindow_; }
    const ClientFolders& folders() const { return options_.folders; }
    // The command line recorded at start-up, empty when that failed.
    const std::string& recordedCommandLine() const { return commandLine_; }

    // Every log line (the client's and its main window's) also goes here, in order: the
    // host program prints them, a test can read the order of events from them.
    std::function<void(const std::string&)> echo;

private:
    void Log(const std::string& line);

    ClientOptions options_;
    // The client's main-window variable; plug-ins get its address while it is null.
    HWND mainWindow_ = nullptr;
    PluginHost host_;
    MainWindow window_;
    std::string commandLine_;
    bool exited_ = false;
};

// The full path of the running program.
std::string ProgramFile();

} // namespace velmora_host
