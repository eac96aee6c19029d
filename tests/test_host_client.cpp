// The stand-in mail client's own behaviour, as the real client has it: its two Plugins
// folders, an older plug-in beside Velmora, the command line it records, the mail check
// with its progress window that puts a hidden main window back, the new-mail alert,
// reminders, the tray menu and the floating tool window, the quit and the end of a
// session. The client runs on the test's thread with the real velmora.dll.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/Client.h"
#include "host/CommandLineRecord.h"
#include "host/HostResource.h"
#include "host/MailCheck.h"
#include "host/Reminder.h"
#include "support/ClientLayout.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"

using namespace testing_support;
using velmora_host::Client;
using Kind = velmora_host::HostEvent::Kind;

namespace {


std::string ShortPath(const std::string& path)
{
    char buffer[MAX_PATH] = "";
    ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return buffer;
}

// What happened to one plug-in, in order, and what should: loaded (and, from a folder
// named twice, found again), then its blocks back in the client's order, finished and
// unloaded.
std::vector<Kind> KindsOf(const velmora_host::PluginHost& host, size_t plugin)
{
    std::vector<Kind> kinds;
    for (const velmora_host::HostEvent& e : host.events()) {
        if (e.plugin == plugin)
            kinds.push_back(e.kind);
    }
    return kinds;
}

std::vector<Kind> Life(bool olderApi, bool foundTwice)
{
    std::vector<Kind> life{Kind::Version, Kind::Init};
    if (!olderApi)
        life.insert(life.end(), {Kind::SpecialInfo, Kind::SpecialInfo});
    if (foundTwice)
        life.push_back(Kind::AlreadyLoaded);
    if (!olderApi)
        life.insert(life.end(), {Kind::FreeItemText, Kind::FreeItemIcon, Kind::FreeItemText, Kind::FreeItemIcon});
    life.insert(life.end(), {Kind::FreeDescription, Kind::FreePluginIcon, Kind::Finish, Kind::Unload});
    return life;
}

TEST(HostClientStartUp, CreatesOnlyTheProgramPluginsFolderAndRecordsItsCommandLine)
{
    ClientLayout layout;
    const velmora_host::ClientFolders folders = layout.Folders();
    auto client = StartClient(folders);
    EXPECT_TRUE(PathExists(folders.ProgramPlugins()));
    EXPECT_FALSE(PathExists(folders.DataPlugins())) << "never the data folder's";

    char recorded[3 * MAX_PATH] = "";
    DWORD size = sizeof recorded;
    ::RegGetValueA(HKEY_CURRENT_USER, velmora_host::kCommandLineKey, velmora_host::kCommandLineValue,
                   RRF_RT_REG_SZ, nullptr, recorded, &size);
    const std::string expected = ShortPath(velmora_host::ProgramFile()) + " " + ShortPath(layout.data()) +
                                 " " + ShortPath(layout.data() + "\\eudora.ini");
    EXPECT_EQ(expected, recorded);
    EXPECT_EQ(std::string::npos, expected.find("\\ ")) << "no trailing backslash on the data folder";
}

// Where each library is installed, and the order the client must take them in.
struct FoldersCase {
    const char* name;
    bool singleFolder;
    const char* programLibraries[2];
    const char* dataLibraries[2];
    const char* expectedOrder[2];
};

const FoldersCase kFolderCases[] = {
    {"side by side", false, {"api2_plugin.dll", "velmora.dll"}, {}, {"api2_plugin.dll", "velmora.dll"}},
    {"program folder first", false, {"velmora.dll"}, {"api2_plugin.dll"}, {"velmora.dll", "api2_plugin.dll"}},
    {"one folder named twice", true, {"api2_plugin.dll", "velmora.dll"}, {}, {"api2_plugin.dll", "velmora.dll"}},
};

void PrintTo(const FoldersCase& c, std::ostream* out)
{
    *out << c.name;
}

class HostClientFolders : public ::testing::TestWithParam<FoldersCase> {};

TEST_P(HostClientFolders, LoadEachLibraryOnceAndHandEveryPlugInTheDataPluginsFolder)
{
    const FoldersCase& c = GetParam();
    ClientLayout layout;
    const velmora_host::ClientFolders folders = layout.Folders(c.singleFolder);
    ::CreateDirectoryA(folders.DataPlugins().c_str(), nullptr);
    for (size_t i = 0; i < 2; ++i) {
        if (c.programLibraries[i] != nullptr)
            InstallLibrary(c.programLibraries[i], folders.ProgramPlugins());
        if (c.dataLibraries[i] != nullptr)
            InstallLibrary(c.dataLibraries[i], folders.DataPlugins());
    }

    auto client = StartClient(folders);
    velmora_host::PluginHost& host = client->host();
    ASSERT_EQ(2u, host.plugins().size());
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(c.expectedOrder[i], host.plugins()[i]->fileName) << i;
    const size_t older = host.IndexOf("api2_plugin.dll");
    const size_t velmora = host.IndexOf("VELMORA.DLL");
    ASSERT_NE(std::string::npos, older);
    ASSERT_NE(std::string::npos, velmora);

    // The older plug-in got the eight-argument call, with the data folder's Plugins.
    const velmora_host::LoadedPlugin& api2 = *host.plugins()[older];
    using ConfigDirectoryFn = const char*(CDECL*)();
    auto given = reinterpret_cast<ConfigDirectoryFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(api2.module, "api2_config_directory")));
    ASSERT_NE(nullptr, given);
    EXPECT_EQ(folders.DataPlugins(), given());
    EXPECT_EQ("Older translator (test)", api2.Description());
    EXPECT_EQ(2002, api2.id);
    EXPECT_NE(nullptr, api2.Icon());

    // Velmora beside it keeps its settings there too, and has its items in the menu.
    EXPECT_EQ(4398, host.plugins()[velmora]->id);
    EXPECT_TRUE(PathExists(folders.DataPlugins() + "\\velmora.ini"));
    EXPECT_EQ(c.singleFolder, PathExists(folders.ProgramPlugins() + "\\velmora.ini"));
    for (size_t item = 0; item < 2; ++item) {
        const UINT command = client->window().CommandFor(velmora, item);
        EXPECT_NE(static_cast<UINT>(-1), ::GetMenuState(::GetMenu(client->mainWindow()), command, MF_BYCOMMAND));
    }
    EXPECT_EQ(0u, client->window().CommandFor(older, 0));

    client->Shutdown();
    EXPECT_EQ(Life(true, c.singleFolder), KindsOf(host, older));
    EXPECT_EQ(Life(false, c.singleFolder), KindsOf(host, velmora));
    EXPECT_EQ(nullptr, ::GetModuleHandleA("velmora.dll")) << "every reference given back";
    EXPECT_EQ(nullptr, ::GetModuleHandleA("api2_plugin.dll"));
}

INSTANTIATE_TEST_SUITE_P(Layouts, HostClientFolders, ::testing::ValuesIn(kFolderCases));

// ---- the main window's comings and goings ---------------------------------------------

class HostClientWindow : public ::testing::Test {
protected:
    void Start(velmora_host::MailCheckSettings mailCheck = InstantMailCheck())
    {
        StartWith(InTestWindowOptions(mailCheck));
    }
    void StartWith(const velmora_host::MainWindowOptions& options)
    {
        client_.reset();
        InstallLibrary("velmora.dll", layout_.Folders().ProgramPlugins());
        log_.clear();
        client_ = StartClient(layout_.Folders(), options);
        main_ = client_->mainWindow();
        client_->echo = [this](const std::string& line) { log_.push_back(line); };
    }
    // Where the first log line containing `text` is, or -1.
    int LogIndexOf(const std::string& text) const
    {
        for (size_t i = 0; i < log_.size(); ++i) {
            if (log_[i].find(text) != std::string::npos)
                return static_cast<int>(i);
        }
        return -1;
    }
    void TearDown() override { client_.reset(); }

    ClientLayout layout_;
    std::unique_ptr<Client> client_;
    HWND main_ = nullptr;
    std::vector<std::string> log_;
};

TEST_F(HostClientWindow, OwnsAFloatingToolWindowThatHidingTheMainWindowLeavesUp)
{
    Start();
    HWND tool = client_->window().toolWindow();
    EXPECT_EQ(main_, ::GetWindow(tool, GW_OWNER));
    EXPECT_NE(0, ::GetWindowLongA(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(main_, ::GetActiveWindow()) << "it comes up without taking the activation";
    ::ShowWindow(main_, SW_HIDE);
    EXPECT_TRUE(::IsWindowVisible(tool)) << "an owned popup outlives its owner's SW_HIDE";
}

struct MailCheckCase {
    const char* name;
    velmora_host::MailCheckSettings settings;
    UINT message;       // sent to the main window; 0: wait for the timer
    WPARAM wParam;
};

const MailCheckCase kMailChecks[] = {
    {"File Check Mail", {0, false, 0}, WM_COMMAND, IDM_HOST_CHECK_MAIL},
    {"timer message", {0, false, 0}, WM_TIMER, IDT_HOST_MAIL_CHECK},
    {"the timer itself", {1, false, 0}, 0, 0},
    {"show only in tray", {0, true, 0}, WM_COMMAND, IDM_HOST_CHECK_MAIL},
    {"a check that takes its time", {0, false, 300}, WM_COMMAND, IDM_HOST_CHECK_MAIL},
};

TEST_F(HostClientWindow, NewMailShowsAHiddenMainWindowWithoutActivatingIt)
{
    for (const MailCheckCase& c : kMailChecks) {
        SCOPED_TRACE(c.name);
        Start(c.settings);
        TestWindow other("VelmoraHostTestOther", "another program");
        ::ShowWindow(main_, SW_HIDE);
        other.Activate();
        const unsigned before = client_->window().mailCheck().checks();
        if (c.message != 0)
            ::SendMessageA(main_, c.message, c.wParam, 0);
        ASSERT_TRUE(PumpUntil([&] { return client_->window().mailCheck().checks() > before; }));
        EXPECT_EQ(!c.settings.showOnlyInTray, ::IsWindowVisible(main_) != FALSE);
        EXPECT_EQ(other.get(), ::GetActiveWindow()) << "shown with SW_SHOWNA: not activated";
    }
}

struct TrayCase {
    const char* name;
    int startState;     // ShowWindow command before the tray command
    LPARAM trayEvent;   // mouse event through the icon's callback, or 0
    UINT command;       // otherwise this menu command
};

const TrayCase kTrayCases[] = {
    {"New Message, hidden", SW_HIDE, 0, IDM_HOST_NEW_MESSAGE},
    {"New Message, minimised", SW_MINIMIZE, 0, IDM_HOST_NEW_MESSAGE},
    {"New Message, behind another window", SW_SHOWNOACTIVATE, 0, IDM_HOST_NEW_MESSAGE},
    {"Open, hidden", SW_HIDE, 0, IDM_HOST_OPEN},
    {"double click, minimised", SW_MINIMIZE, WM_LBUTTONDBLCLK, 0},
};

TEST_F(HostClientWindow, TrayCommandsBringTheMainFrameBackToTheFront)
{
    Start();
    TestWindow other("VelmoraHostTestOther", "another program");
    for (const TrayCase& c : kTrayCases) {
        SCOPED_TRACE(c.name);
        ::ShowWindow(main_, c.startState);
        other.Activate();
        ASSERT_NE(main_, ::GetActiveWindow());
        if (c.trayEvent != 0)
            ::SendMessageA(main_, WM_HOST_TRAY_ICON, ID_HOST_TRAY_ICON, c.trayEvent);
        else
            ::SendMessageA(main_, WM_COMMAND, MAKEWPARAM(c.command, 0), 0);
        EXPECT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == main_; }));
        EXPECT_TRUE(::IsWindowVisible(main_));
        EXPECT_FALSE(::IsIconic(main_));
        EXPECT_EQ(main_, ::GetForegroundWindow());
    }
}

TEST_F(HostClientWindow, TrayMenuOffersTheClientsCommandsAndItsExitClosesTheClient)
{
    Start();
    // The display's focus events from creating the windows arrive late and would cancel
    // a menu opened at once; a user's right click never comes that early.
    PumpUntil([] { return false; }, 500);
    std::vector<std::string> texts;
    const unsigned before = client_->window().mailCheck().checks();
    RunWithDriver(
        [&] { return ::SendMessageA(main_, WM_HOST_TRAY_ICON, ID_HOST_TRAY_ICON, WM_RBUTTONUP); },
        [&](DWORD ui) {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (popup = VisibleMenuOf(ui)) != nullptr; }));
            HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                char text[64] = "";
                ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                texts.push_back(text);
            }
            // Down to "Check Mail" and pick it, as the keyboard does.
            for (int i = 0; i < 3; ++i)
                PostKey(main_, VK_DOWN);
            PostKey(main_, VK_RETURN);
        });
    EXPECT_EQ((std::vector<std::string>{"Open", "New Message", "Check Mail", "", "Exit"}), texts);
    EXPECT_EQ(before + 1, client_->window().mailCheck().checks());

    ::SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_EXIT, 0), 0);
    EXPECT_FALSE(::IsWindow(main_));
    client_->Shutdown();
    EXPECT_EQ(Kind::Unload, client_->host().events().back().kind);
}

// ---- what the client does over a long absence ------------------------------------------

// A check that takes its time, its progress window shown one way or the other, while the
// main window is hidden (nothing would give it the activation but the check itself) and
// another program is in front.
struct ProgressCase {
    const char* name;
    int show;
};

const ProgressCase kProgressCases[] = {
    {"shown without activation", SW_SHOWNA},
    {"shown and activated", SW_SHOW},
};

TEST_F(HostClientWindow, EveryMailCheckPutsUpANewProgressWindowWhileTheMainWindowIsDisabled)
{
    for (const ProgressCase& c : kProgressCases) {
        SCOPED_TRACE(c.name);
        velmora_host::MailCheckSettings check = InstantMailCheck();
        check.progressMs = 600;
        check.progressShow = c.show;
        Start(check);
        TestWindow other("VelmoraHostTestOther", "another program");
        HWND seen[2] = {};
        for (HWND& progress : seen) {
            ::ShowWindow(main_, SW_HIDE);
            other.Activate();
            const unsigned before = client_->window().mailCheck().checks();
            ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_CHECK_MAIL, 0), 0);
            std::vector<bool> shown;
            bool mainEnabled = false;
            bool activeAtFirstShow = false;
            ASSERT_TRUE(PumpUntil([&] {
                if (HWND now = client_->window().progressWindow()) {
                    progress = now;
                    const bool visible = ::IsWindowVisible(now) != FALSE;
                    if (shown.empty() || shown.back() != visible)
                        shown.push_back(visible);
                    mainEnabled = mainEnabled || ::IsWindowEnabled(main_);
                    if (shown.size() == 1)
                        activeAtFirstShow = activeAtFirstShow || ::GetActiveWindow() == now;
                }
                return client_->window().mailCheck().checks() > before;
            }));
            ASSERT_NE(nullptr, progress);
            EXPECT_EQ((std::vector<bool>{true, false, true}), shown) << "shown, hidden, shown again";
            EXPECT_FALSE(mainEnabled) << "the main window is disabled while the check runs";
            // (Shown again, wine's display may hand it the focus whatever the command.)
            EXPECT_EQ(c.show == SW_SHOW, activeAtFirstShow);
            EXPECT_FALSE(::IsWindow(progress)) << "destroyed after the check";
            EXPECT_TRUE(::IsWindowEnabled(main_));
            EXPECT_TRUE(::IsWindowVisible(main_)) << "new mail";
            if (c.show == SW_SHOW) {
                EXPECT_EQ(main_, ::GetActiveWindow()) << "what the progress window took goes back to the main window";
            }
        }
        EXPECT_NE(seen[0], seen[1]) << "a new window for every check";
    }
}

TEST_F(HostClientWindow, ReminderIsAModelessDialogOfTheMainWindowShownWithRestore)
{
    // By its timer, then at once by the command, which puts the one that is up back.
    velmora_host::MainWindowOptions options = InTestWindowOptions();
    options.reminderSeconds = 1;
    StartWith(options);
    TestWindow other("VelmoraHostTestOther", "another program");
    other.Activate();
    HWND reminder = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (reminder = client_->window().reminder().hwnd()) != nullptr; }));
    EXPECT_EQ(FindThreadDialog(::GetCurrentThreadId(), velmora_host::kReminderCaption), reminder);
    EXPECT_EQ(main_, ::GetWindow(reminder, GW_OWNER));
    EXPECT_TRUE(::IsWindowEnabled(main_)) << "modeless";
    EXPECT_EQ(reminder, ::GetActiveWindow()) << "SW_RESTORE activates it";

    ::ShowWindow(reminder, SW_MINIMIZE);
    other.Activate();
    ::SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_REMIND_NOW, 0), 0);
    EXPECT_EQ(reminder, client_->window().reminder().hwnd()) << "the same reminder";
    EXPECT_FALSE(::IsIconic(reminder)) << "restored";
    EXPECT_TRUE(::IsWindowVisible(reminder));

    PostClick(reminder, IDOK);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(reminder); }));
    // The next tick may have put up a new one by now.
    EXPECT_NE(reminder, client_->window().reminder().hwnd()) << "the host's record let go of it";
}

TEST_F(HostClientWindow, NewMailAlertIsModalOnTheMainWindowsLastActivePopup)
{
    velmora_host::MailCheckSettings check = InstantMailCheck();
    check.newMailAlert = true;
    Start(check);
    // A window of the client in front of the main window, as a plug-in's dialog would be.
    ::SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_REMIND_NOW, 0), 0);
    HWND popup = client_->window().reminder().hwnd();
    ASSERT_NE(nullptr, popup);
    ASSERT_EQ(popup, ::GetLastActivePopup(main_));
    HWND alert = nullptr;
    HWND owner = nullptr;
    bool popupEnabled = true;
    RunWithDriver(
        [&] { return ::SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_CHECK_MAIL, 0), 0); },
        [&](DWORD ui) {
            alert = WaitForThreadDialog(ui, velmora_host::kNewMailAlertCaption);
            ASSERT_NE(nullptr, alert);
            owner = ::GetWindow(alert, GW_OWNER);
            popupEnabled = ::IsWindowEnabled(popup) != FALSE;
            EXPECT_EQ(alert, client_->window().mailCheck().alertWindow());
            PostClick(alert, IDOK);
        });
    EXPECT_EQ(popup, owner);
    EXPECT_FALSE(popupEnabled) << "modal: its owner is disabled while it is up";
    EXPECT_EQ(1u, client_->window().mailCheck().checks());
    EXPECT_FALSE(::IsWindow(alert));
    EXPECT_TRUE(::IsWindowEnabled(popup));
}

TEST_F(HostClientWindow, TrayExitEndsTheMessageLoopThenFreesFinishesAndUnloadsThePlugIns)
{
    velmora_host::MainWindowOptions options = InTestWindowOptions();
    options.quitWhenDestroyed = true;
    StartWith(options);
    ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_EXIT, 0), 0);
    EXPECT_EQ(0, client_->RunMessageLoop());
    EXPECT_FALSE(::IsWindow(main_));
    const int destroyed = LogIndexOf("Main window destroyed");
    const int loopEnded = LogIndexOf("Message loop ended (WM_QUIT)");
    const int freed = LogIndexOf("velmora.dll: ems_free");
    const int finished = LogIndexOf("velmora.dll: ems_plugin_finish");
    const int unloaded = LogIndexOf("velmora.dll: FreeLibrary");
    EXPECT_TRUE(destroyed >= 0 && destroyed < loopEnded && loopEnded < freed && freed < finished &&
                finished < unloaded)
        << destroyed << " " << loopEnded << " " << freed << " " << finished << " " << unloaded;
    EXPECT_EQ(nullptr, ::GetModuleHandleA("velmora.dll"));
}

// The session ending (wParam TRUE) or going on after all (FALSE).
struct EndSessionCase {
    const char* name;
    WPARAM ending;
};

const EndSessionCase kEndSessionCases[] = {
    {"the session ends", TRUE},
    {"the session goes on", FALSE},
};

TEST_F(HostClientWindow, EndOfTheSessionUnloadsThePlugInsInsideTheMessageAndKeepsTheWindow)
{
    for (const EndSessionCase& c : kEndSessionCases) {
        SCOPED_TRACE(c.name);
        Start();
        EXPECT_EQ(TRUE, ::SendMessageA(main_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        ::SendMessageA(main_, WM_ENDSESSION, c.ending, ENDSESSION_LOGOFF);
        // Nothing was dispatched in between: it all happened inside the message.
        const auto& events = client_->host().events();
        EXPECT_EQ(c.ending != FALSE, !events.empty() && events.back().kind == Kind::Unload);
        EXPECT_EQ(c.ending != FALSE, ::GetModuleHandleA("velmora.dll") == nullptr);
        EXPECT_TRUE(::IsWindow(main_)) << "the application ends, its window stays";
        EXPECT_EQ(c.ending != FALSE,
                  PumpUntil([&] { return LogIndexOf("Session ended: the process is kept") >= 0; }, 300));
        client_->Shutdown();
        EXPECT_EQ(nullptr, ::GetModuleHandleA("velmora.dll"));
    }
}

} // namespace
