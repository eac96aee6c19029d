// The plug-in's application object, alive while the library is loaded. It owns all that
// lives from ems_plugin_init to ems_plugin_finish: Start makes it, in this order, and
// Finish takes it down in the reverse order.
#pragma once
#include <cstdint>
#include <string>

#include "config_ui/AboutText.h"
#include "framework/WinApp.h"
#include "plugin/AutoLock.h"
#include "plugin/MenuCommands.h"
#include "settings/SettingsFile.h"

class PluginApp : public CWinApp {
public:
    PluginApp() noexcept;
    ~PluginApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // ems_plugin_init: the commands take requests again, the host's names are kept, the
    // settings file is made and held, the product strings read, the lock started.
    void Start(int32_t hostApiVersion, const char* configDirectory);
    // ems_plugin_finish.
    void Finish() noexcept;

    // The host's API version; only "greater than 3" is ever asked of it.
    short HostApiVersion = 0;
    // The folder the host names at initialisation; velmora.ini lives there.
    std::string ConfigDirectory;
    // velmora.ini, handed to whoever reads or writes it.
    SettingsFile settings;
    // Read from the version resource at Start, handed to whatever shows them.
    ProductStrings product;
    CommandState commandState;
    // The time and the last input, as the commands and the lock read them.
    SystemClock clock;
    MenuCommands commands{commandState, settings, product, clock};
    AutoLock autoLock{commands, settings, clock};
};

// The one application object; the framework's module start and end run through it.
extern PluginApp theApp;
