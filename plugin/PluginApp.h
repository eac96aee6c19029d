// The plug-in's application object, alive while the library is loaded.
#pragma once
#include "framework/WinApp.h"

class PluginApp : public CWinApp {
public:
    PluginApp() noexcept;
    ~PluginApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;
};

extern PluginApp theApp;
