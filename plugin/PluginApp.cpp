#include "plugin/PluginApp.h"

#include "cover/front/CoverScreens.h"
#include "framework/Module.h"
#include "plugin/ProductInfo.h"

// The application object the module starts and ends with; it owns the plug-in's state.
PluginApp theApp;

PluginApp::PluginApp() noexcept : CWinApp("Velmora")
{
}

PluginApp::~PluginApp() = default;

BOOL PluginApp::InitInstance()
{
    return TRUE;
}

int PluginApp::ExitInstance()
{
    return CWinApp::ExitInstance();
}

void PluginApp::Start(int32_t hostApiVersion, const char* configDirectory)
{
    commands.StartCommandsAtInit();
    HostApiVersion = static_cast<short>(hostApiVersion & 0xFFFF);
    ConfigDirectory = configDirectory != nullptr ? configDirectory : "";
    // The mail client hands every plug-in its data folder's Plugins but never creates
    // that folder; without it no setting could ever be stored.
    settings.UseFolder(ConfigDirectory);
    // Users copy plug-ins into the client's program folder, which is not the folder the
    // client names: then the file actually loaded carries the product strings.
    if (!ReadProductInfo(ConfigDirectory + "\\" + "velmora.dll", product))
        ReadProductInfo(ModuleFilePath(), product);
    // Before the start-up cover, so that the lock's window takes the session and power
    // notifications while that cover is up too.
    autoLock.Start();
}

void PluginApp::Finish() noexcept
{
    autoLock.Stop();
    commands.EndCommandsAtFinish();
    CoverScreens::UnregisterClass();
    settings.Release();
}
