// velmora_host: a stand-in for the mail client that loads the plug-ins of its two
// Plugins folders the way the client does and offers their menu items and settings.
//
//   velmora_host [--program <folder>] [--data <folder>] [--mail-check <seconds>]
//                [--show-only-in-tray] [--progress-ms <ms>] [--progress-activates]
//                [--new-mail-alert] [--reminder <seconds>] [--demo <pictures folder>]
//
// The program folder defaults to the program's own folder, the data folder to the
// program folder (a single-folder install). Mail is checked every 60 seconds unless
// --mail-check says otherwise (0: only File -> Check Mail); each check keeps its progress
// window up for 600 ms (--progress-ms), shown without activation unless
// --progress-activates; --new-mail-alert adds the modal "New Mail" alert after each
// check. --reminder puts a reminder up every that many seconds (default 0: never).
// WM_ENDSESSION ends the application and then the process. With --demo the host walks
// through Velmora's menu items and dialogs by itself, saves a picture of each step into
// the given folder and exits.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/Client.h"
#include "host/DemoHook.h"

namespace {

struct Options {
    std::string program;
    std::string data;
    velmora_host::MailCheckSettings mailCheck;
    UINT reminderSeconds = 0;
    std::string demoFolder;
    bool demo = false;
};

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH];
    const DWORD n = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

// Seconds or milliseconds up to a day's worth of seconds.
bool ParseNumber(const char* text, UINT& number)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0' || value > 24UL * 60 * 60)
        return false;
    number = static_cast<UINT>(value);
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    const std::string file = velmora_host::ProgramFile();
    options.program = file.substr(0, file.find_last_of("\\/"));
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--program" && hasValue) {
            options.program = FullPath(argv[++i]);
        } else if (arg == "--data" && hasValue) {
            options.data = FullPath(argv[++i]);
        } else if (arg == "--mail-check" && hasValue) {
            if (!ParseNumber(argv[++i], options.mailCheck.periodSeconds))
                return false;
        } else if (arg == "--show-only-in-tray") {
            options.mailCheck.showOnlyInTray = true;
        } else if (arg == "--progress-ms" && hasValue) {
            if (!ParseNumber(argv[++i], options.mailCheck.progressMs))
                return false;
        } else if (arg == "--progress-activates") {
            options.mailCheck.progressShow = SW_SHOW;
        } else if (arg == "--new-mail-alert") {
            options.mailCheck.newMailAlert = true;
        } else if (arg == "--reminder" && hasValue) {
            if (!ParseNumber(argv[++i], options.reminderSeconds))
                return false;
        } else if (arg == "--demo" && hasValue) {
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
        std::fprintf(stderr, "usage: velmora_host [--program <folder>] [--data <folder>] "
                             "[--mail-check <seconds>] [--show-only-in-tray] [--progress-ms <ms>] "
                             "[--progress-activates] [--new-mail-alert] [--reminder <seconds>] "
                             "[--demo <pictures folder>]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    velmora_host::MainWindowOptions windowOptions;
    windowOptions.mailCheck = options.mailCheck;
    windowOptions.reminderSeconds = options.reminderSeconds;
    velmora_host::Client client({velmora_host::ClientFolders(options.program, options.data), windowOptions});
    client.echo = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    HWND mainWindow = client.Start(SW_SHOWNORMAL);
    if (mainWindow == nullptr) {
        std::fprintf(stderr, "cannot create the main window\n");
        return 1;
    }

    HANDLE demo = nullptr;
    if (options.demo) {
        ::CreateDirectoryA(options.demoFolder.c_str(), nullptr);
        demo = velmora_host::StartDemo({::GetCurrentThreadId(), mainWindow, &client.window(),
                                        &client.host(), options.demoFolder});
    }

    client.RunMessageLoop();

    int status = 0;
    if (demo != nullptr) {
        ::WaitForSingleObject(demo, 10000);
        ::CloseHandle(demo);
        status = velmora_host::DemoSucceeded() ? 0 : 1;
        std::printf("demo %s\n", status == 0 ? "finished" : "FAILED");
    }
    return status;
}
