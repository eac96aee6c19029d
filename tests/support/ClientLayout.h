// The mail client's default layout for a test: "<scratch>\Program Files\Eudora" (with
// Eudora.exe) and "<scratch>\Application Data\Eudora" (with eudora.ini), apart as the
// client installs them, neither with a Plugins folder yet; names with blanks, so their
// short forms differ. Also the client's record of its last start in the registry, as
// setup programs and the stand-in host find it, and what a client running on the test's
// own thread needs.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "host/Client.h"
#include "host/ClientFolders.h"
#include "host/MainWindow.h"
#include "support/Files.h"
#include "tools/dialogsearch/DialogSearch.h"

namespace testing_support {

// A REG_SZ value of HKEY_CURRENT_USER, or empty; whether a key of it exists.
std::string ReadUserValue(const std::string& key, const std::string& value);
void WriteUserValue(const std::string& key, const std::string& value, const std::string& data);
bool UserKeyExists(const std::string& key);

// A key of HKEY_CURRENT_USER a test owns: removed with all below it when the object is
// made and when it goes away, so no test sees another's leftovers.
class OwnedUserKey {
public:
    explicit OwnedUserKey(std::string key);
    ~OwnedUserKey();
    OwnedUserKey(const OwnedUserKey&) = delete;
    OwnedUserKey& operator=(const OwnedUserKey&) = delete;

private:
    std::string key_;
};

class ClientLayout {
public:
    static constexpr const char* kRecordKey = "Software\\Qualcomm\\Eudora\\CommandLine";

    ClientLayout();
    const std::string& program() const { return program_; }
    const std::string& data() const { return data_; }
    std::string ProgramPlugins() const { return program_ + "\\Plugins"; }
    std::string DataPlugins() const { return data_ + "\\Plugins"; }
    // The folders the client is started with; a single-folder install names the program
    // folder for both.
    velmora_host::ClientFolders Folders(bool singleFolder = false) const;
    // What the client records at every start (value "Current" of kRecordKey): the short
    // paths of Eudora.exe, the data folder and its eudora.ini, blank-separated.
    std::string CommandLine() const;
    // What a start of the client leaves behind: its program folder's Plugins and the
    // record of its command line.
    void RecordStart() const;

private:
    ScratchDir root_;
    std::string program_;
    std::string data_;
};

// Copies a library built beside the test program (velmora.dll, api2_plugin.dll) into a
// Plugins folder, creating that folder (not its parents) when missing.
void InstallLibrary(const std::string& library, const std::string& pluginsFolder);

// The mail check of a client on the test's thread unless a test asks for another: no
// timer, only when asked, and the whole check (its progress window put up, hidden,
// shown again and destroyed) within the call that starts it.
velmora_host::MailCheckSettings InstantMailCheck();

// A main window for a client on the test's thread: its end posts no WM_QUIT, the end of
// a session does not end the process, and mail is checked as `mailCheck` says.
velmora_host::MainWindowOptions InTestWindowOptions(velmora_host::MailCheckSettings mailCheck = InstantMailCheck());

// A client started on the test's thread with those folders (and its main window shown),
// as InTestWindowOptions makes it, or with main-window options of the test's own.
std::unique_ptr<velmora_host::Client> StartClient(const velmora_host::ClientFolders& folders,
                                                  velmora_host::MailCheckSettings mailCheck = InstantMailCheck());
std::unique_ptr<velmora_host::Client> StartClient(const velmora_host::ClientFolders& folders,
                                                  const velmora_host::MainWindowOptions& window);

// Dispatches the calling thread's messages until `condition` holds or the time runs out;
// returns whether it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = dialog_search::kPatienceMs);

} // namespace testing_support
