#include "plugin/PluginApp.h"

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
