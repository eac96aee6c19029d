// A scratch install of the stand-in mail client for a test: <root>\Program and
// <root>\Data, apart as the client installs them by default, neither with a Plugins
// folder until a library is installed there; and what a client running on the test's
// own thread needs.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "host/ClientFolders.h"
#include "host/MainWindow.h"
#include "support/Files.h"

namespace testing_support {

class ClientLayout {
public:
    ClientLayout();
    const std::string& program() const { return program_; }
    const std::string& data() const { return data_; }
    // The folders the client is started with; a single-folder install names Program
    // for both.
    velmora_host::ClientFolders Folders(bool singleFolder = false) const;

private:
    ScratchDir root_;
    std::string program_;
    std::string data_;
};

// Copies a library built beside the test program (velmora.dll, api2_plugin.dll) into a
// Plugins folder, creating that folder (not its parents) when missing.
void InstallLibrary(const std::string& library, const std::string& pluginsFolder);

// A main window for a client on the test's thread: its end posts no WM_QUIT, and mail
// is checked only when asked unless `mailCheck` says otherwise.
velmora_host::MainWindowOptions InTestWindowOptions(velmora_host::MailCheckSettings mailCheck = {0, false});

// Dispatches the calling thread's messages until `condition` holds or the time runs out;
// returns whether it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

} // namespace testing_support
