// velmora_host: a stand-in for the mail client that loads the plug-ins of a Plugins
// folder the way the client does and offers their menu items and settings.
//
//   velmora_host [--plugins <folder>] [--demo <pictures folder>]
//
// The Plugins folder defaults to "Plugins" beside the program. With --demo the host
// walks through the plug-in's menu items and dialogs by itself, saves a picture of
// each step into the given folder and exits.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/Demo.h"
#include "host/MainWindow.h"
#include "host/PluginLoader.h"

namespace {

struct Options {
    std::string plugins;
    std::string demoFolder;
    bool demo = false;
};

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    return p.substr(0, p.find_last_of("\\/"));
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH];
    const DWORD n = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    options.plugins = ProgramFolder() + "\\Plugins";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--plugins" && i + 1 < argc) {
            options.plugins = FullPath(argv[++i]);
        } else if (arg == "--demo" && i + 1 < argc) {
            options.demo = true;
            options.demoFolder = FullPath(argv[++i]);
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: velmora_host [--plugins <folder>] [--demo <pictures folder>]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    // The client's main-window variable: plug-ins get its address while it is still
    // null, because they are loaded before the window exists.
    HWND mainWindow = nullptr;
    velmora_host::PluginHost host(options.plugins, &mainWindow);
    velmora_host::MainWindow window(host);
    host.observer = [&window](const velmora_host::PluginHost& h, const velmora_host::HostEvent& e) {
        const std::string line = velmora_host::DescribeEvent(h, e);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        window.AppendLog(line);
    };

    std::printf("Plugins folder: %s\n", host.folder().c_str());
    const size_t loaded = host.LoadAll();
    std::printf("%u plug-in(s) loaded\n", static_cast<unsigned>(loaded));
    std::fflush(stdout);
    for (const auto& plugin : host.plugins())
        window.AppendLog(plugin->fileName + ": \"" + plugin->Description() + "\"");

    mainWindow = window.Create(SW_SHOWNORMAL);
    if (mainWindow == nullptr) {
        std::fprintf(stderr, "cannot create the main window\n");
        return 1;
    }

    HANDLE demo = nullptr;
    if (options.demo) {
        ::CreateDirectoryA(options.demoFolder.c_str(), nullptr);
        demo = velmora_host::StartDemo(
            {::GetCurrentThreadId(), mainWindow, &window, &host, options.demoFolder});
    }

    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // Only after the main window is gone do the plug-ins get their blocks back.
    mainWindow = nullptr;
    host.UnloadAll();

    int status = 0;
    if (demo != nullptr) {
        ::WaitForSingleObject(demo, 10000);
        ::CloseHandle(demo);
        status = velmora_host::DemoSucceeded() ? 0 : 1;
        std::printf("demo %s\n", status == 0 ? "finished" : "FAILED");
    }
    return status;
}
