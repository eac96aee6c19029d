#include "host/Client.h"

#include <utility>

#include "host/CommandLineRecord.h"

namespace velmora_host {

std::string ProgramFile()
{
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

Client::Client(ClientOptions options)
    : options_(std::move(options)), host_(options_.folders, &mainWindow_),
      window_(host_, options_.window)
{
    host_.observer = [this](const PluginHost& host, const HostEvent& event) {
        Log(DescribeEvent(host, event));
    };
    window_.echo = [this](const std::string& line) {
        if (echo)
            echo(line);
    };
    window_.onEndSession = [this] { ExitApplication(); };
}

Client::~Client()
{
    Shutdown();
}

HWND Client::Start(int showCommand)
{
    commandLine_ = RecordCommandLine(ProgramFile(), options_.folders);
    Log("Command line recorded: " + (commandLine_.empty() ? std::string("(failed)") : commandLine_));
    if (!options_.folders.CreateProgramPlugins())
        Log("cannot create " + options_.folders.ProgramPlugins());
    for (const std::string& folder : host_.searchFolders())
        Log("Plugins folder: " + folder);
    Log("Config directory: " + host_.configDirectory());
    host_.LoadAll();
    for (const auto& plugin : host_.plugins())
        Log(plugin->fileName + ": \"" + plugin->Description() + "\"");
    mainWindow_ = window_.Create(showCommand);
    return mainWindow_;
}

int Client::RunMessageLoop()
{
    MSG msg{};
    BOOL got;
    while ((got = ::GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        HWND reminder = window_.reminder().hwnd();
        if (reminder != nullptr && ::IsDialogMessageA(reminder, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    Log(got == 0 ? "Message loop ended (WM_QUIT)" : "Message loop ended (GetMessage failed)");
    Shutdown();
    return got == 0 ? static_cast<int>(msg.wParam) : -1;
}

void Client::Shutdown()
{
    if (mainWindow_ != nullptr && ::IsWindow(mainWindow_))
        ::DestroyWindow(mainWindow_);
    // Only after the main window is gone do the plug-ins get their blocks back.
    mainWindow_ = nullptr;
    ExitApplication();
}

void Client::ExitApplication()
{
    if (!exited_)
        Log("Exit: the plug-ins are freed, finished and unloaded");
    exited_ = true;
    host_.UnloadAll();
}

void Client::Log(const std::string& line)
{
    window_.AppendLog(line);
}

} // namespace velmora_host
