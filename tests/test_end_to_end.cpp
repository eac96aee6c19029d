// The real velmora.dll driven through the stand-in mail client's own loader: the
// client's records, call order and shutdown sequence, with the plug-in's dialogs run
// on this thread and worked from a second one as a user would.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <set>

#include "host/HostResource.h"
#include "host/PluginLoader.h"
#include "resource.h"
#include "support/ClientLayout.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/TestSupport.h"

using namespace testing_support;
using velmora_host::HostEvent;
using velmora_host::LoadedPlugin;
using velmora_host::MenuItemBlock;
using velmora_host::PluginHost;
using Kind = HostEvent::Kind;

namespace {

const char* const kProductName = "Velmora for Eudora";


// A page that faults on any access: what the config record's window field points to,
// so a plug-in that read the client's still-null window variable would crash here.
class GuardPage {
public:
    GuardPage() : page_(::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS)) {}
    ~GuardPage() { ::VirtualFree(page_, 0, MEM_RELEASE); }
    GuardPage(const GuardPage&) = delete;
    GuardPage& operator=(const GuardPage&) = delete;
    HWND* slot() const { return static_cast<HWND*>(page_); }

private:
    void* page_;
};

// Removes a file the way another program on the machine would, past the plug-in's
// hold on it (the hold keeps Windows programs from deleting it, not the system's own
// tools). Returns false where that is not possible.
bool RemoveBehindThePluginsBack(const std::string& path)
{
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr)
        return false;
    wchar_t wide[MAX_PATH];
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* name = unixName(wide);
    if (name == nullptr)
        return false;
    std::string command = std::string("/bin/rm -f \"") + name + "\"";
    ::HeapFree(::GetProcessHeap(), 0, name);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // Not every wine can wait on a Unix program's handle (wine 10 cannot): watch the file.
    return WaitUntil([&] { return !PathExists(path); }, 10000);
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugins_ = root_.path() + "\\Plugins";
        ASSERT_NO_FATAL_FAILURE(MakePluginsFolder(plugins_));
        host_ = std::make_unique<PluginHost>(plugins_, guard_.slot());
        host_->observer = [this](const PluginHost&, const HostEvent& e) {
            if (e.kind == Kind::Init)
                initReturned_ = true;
        };
    }
    void TearDown() override { host_.reset(); }

    std::string SettingsFile() const { return plugins_ + "\\velmora.ini"; }
    const LoadedPlugin& Plugin() const { return *host_->plugins().at(0); }
    std::vector<Kind> Kinds() const
    {
        std::vector<Kind> kinds;
        for (const HostEvent& e : host_->events())
            kinds.push_back(e.kind);
        return kinds;
    }

    ScratchDir root_;
    std::string plugins_;
    GuardPage guard_;
    std::unique_ptr<PluginHost> host_;
    std::atomic<bool> initReturned_{false};
};

TEST_F(EndToEndTest, LoadsAsTheMailClientLoadsItAndNeverReadsTheWindowField)
{
    MEMORY_BASIC_INFORMATION page{};
    ASSERT_NE(0u, ::VirtualQuery(guard_.slot(), &page, sizeof page));
    ASSERT_EQ(static_cast<DWORD>(PAGE_NOACCESS), page.Protect) << "a read of the window field would fault";
    ASSERT_EQ(1u, host_->LoadAll());
    EXPECT_EQ((std::vector<Kind>{Kind::Version, Kind::Init, Kind::SpecialInfo, Kind::SpecialInfo}),
              Kinds());
    for (const HostEvent& e : host_->events())
        EXPECT_EQ(e.kind == Kind::Version ? 4 : 0, e.value) << EventName(e.kind);

    const LoadedPlugin& plugin = Plugin();
    EXPECT_EQ(4, plugin.apiVersion);
    EXPECT_EQ(4398, plugin.id);
    EXPECT_EQ(40, plugin.info.size) << "the client's size field is the client's";
    EXPECT_EQ(2, plugin.info.numSpecials);
    EXPECT_EQ(std::string(kProductName) + ", Version: 2.0.0.1", plugin.Description());
    for (int32_t word : plugin.info.reserved)
        EXPECT_EQ(0, word) << "nothing past the plug-in's fields is written";
    const SIZE big = IconSize(plugin.Icon());
    EXPECT_EQ(32, big.cx);
    EXPECT_EQ(32, big.cy);

    ASSERT_EQ(2u, plugin.items.size());
    const char* const texts[] = {"Activate Velmora", "Activate Screen Saver"};
    for (size_t i = 0; i < 2; ++i) {
        const MenuItemBlock& item = plugin.items[i];
        EXPECT_EQ(20, item.size);
        EXPECT_EQ(static_cast<int32_t>(i + 1), item.id);
        EXPECT_EQ(texts[i], LoadedPlugin::ItemText(item));
        EXPECT_EQ(velmora_host::kToolbarFlag, item.flags) << "a newer client gets the toolbar flag";
        const SIZE small = IconSize(LoadedPlugin::ItemIcon(item));
        EXPECT_EQ(16, small.cx);
        EXPECT_EQ(16, small.cy);
    }
    EXPECT_NE(LoadedPlugin::ItemIcon(plugin.items[0]), LoadedPlugin::ItemIcon(plugin.items[1]));

    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(SettingsFile()))
        << "the first start leaves a settings file with an empty password";
}

TEST_F(EndToEndTest, LibrariesOfThePluginsFolderThatAreNoPlugInsAreLeftAlone)
{
    ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\no_resources.dll").c_str(),
                            (plugins_ + "\\helper.dll").c_str(), FALSE));
    ASSERT_EQ(1u, host_->LoadAll());
    EXPECT_EQ("velmora.dll", Plugin().fileName);
    EXPECT_EQ(nullptr, ::GetModuleHandleA("helper.dll")) << "unloaded again at once";
}

TEST_F(EndToEndTest, ActivateWithoutSettingsFileRunsTheSettingsThenTheCover)
{
    ASSERT_EQ(1u, host_->LoadAll());
    if (!RemoveBehindThePluginsBack(SettingsFile()))
        GTEST_SKIP() << "the settings file cannot be removed while the plug-in holds it";

    bool coverBeforeApply = true;
    std::string storedAfterApply;
    const INT_PTR result = RunWithDriver([&] { return host_->Pick(0, 0); },
                                         [&](DWORD ui) {
                                             HWND settings = WaitForDialogWithControl(ui, IDC_SET_APPLY);
                                             ASSERT_NE(nullptr, settings);
                                             EXPECT_EQ(kProductName, WindowText(settings));
                                             coverBeforeApply = FindDialogWithControl(ui, IDC_COVER_UNLOCK) != nullptr;
                                             SetItemText(settings, IDC_SET_NEW_PASSWORD, "Lantern");
                                             SetItemText(settings, IDC_SET_NEW_PASSWORD2, "Lantern");
                                             PostClick(settings, IDC_SET_APPLY);
                                             HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                                             ASSERT_NE(nullptr, cover);
                                             EXPECT_FALSE(::IsWindow(settings));
                                             storedAfterApply = ReadFileBytes(SettingsFile());
                                             Unlock(cover, "Lantern");
                                         });
    EXPECT_EQ(0, result);
    EXPECT_FALSE(coverBeforeApply) << "the settings come first";
    EXPECT_NE(std::string::npos, storedAfterApply.find("StartUp=0"));
    EXPECT_EQ(std::string::npos, storedAfterApply.find("Lantern")) << "the password is stored scrambled";
    EXPECT_EQ(Kind::Hook, host_->events().back().kind);
}

TEST_F(EndToEndTest, StartUpActivationKeepsTheClientsInitWaitingUntilUnlock)
{
    WriteFileBytes(SettingsFile(), "[Settings]\r\nPassword=\r\nStartUp=1\r\n");
    bool initReturnedWhileCoverUp = true;
    size_t loaded = 0;
    RunWithDriver([&] { loaded = host_->LoadAll(); return INT_PTR{0}; },
                  [&](DWORD ui) {
                      HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                      ASSERT_NE(nullptr, cover);
                      EXPECT_EQ("Eudora", WindowText(cover));
                      ::Sleep(300);
                      initReturnedWhileCoverUp = initReturned_;
                      Unlock(cover, "");
                  });
    EXPECT_EQ(1u, loaded);
    EXPECT_FALSE(initReturnedWhileCoverUp);
    EXPECT_EQ((std::vector<Kind>{Kind::Version, Kind::Init, Kind::SpecialInfo, Kind::SpecialInfo}),
              Kinds());
    EXPECT_EQ(2u, Plugin().items.size()) << "the client goes on with the menu after the unlock";
}

TEST_F(EndToEndTest, SettingsRequestRunsTheSettingsDialogAloneAndReturnsZero)
{
    ASSERT_EQ(1u, host_->LoadAll());
    struct Case {
        const char* name;
        int button;
        const char* stretchAfter;
    } const cases[] = {
        {"cancelled", IDC_SET_CANCEL, nullptr},
        {"applied", IDC_SET_APPLY, "Stretch=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool coverSeen = true;
        const INT_PTR result = RunWithDriver([&] { return host_->OpenSettings(0); },
                                             [&](DWORD ui) {
                                                 HWND settings = WaitForDialogWithControl(ui, IDC_SET_APPLY);
                                                 ASSERT_NE(nullptr, settings);
                                                 PostClick(settings, IDC_SET_STRETCH);
                                                 PostClick(settings, c.button);
                                                 EXPECT_TRUE(WaitForGone(settings));
                                                 ::Sleep(200);
                                                 coverSeen = FindDialogWithControl(ui, IDC_COVER_UNLOCK) != nullptr;
                                             });
        EXPECT_EQ(0, result);
        EXPECT_FALSE(coverSeen);
        const std::string stored = ReadFileBytes(SettingsFile());
        if (c.stretchAfter != nullptr)
            EXPECT_NE(std::string::npos, stored.find(c.stretchAfter)) << stored;
        else
            EXPECT_EQ("[Settings]\r\nPassword=\r\n", stored);
    }
}

// A second "Activate Velmora" that reaches the client while the cover is up (a menu
// command the client's window gets through the cover's message loop) leaves the one
// cover as it is.
constexpr UINT kPickAgain = WM_APP + 1;

struct ReentryProbe {
    PluginHost* host;
    std::atomic<int> nestedResult{-99};
};

LRESULT CALLBACK ReentryProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kPickAgain) {
        auto* probe = reinterpret_cast<ReentryProbe*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        probe->nestedResult = probe->host->Pick(0, static_cast<size_t>(wParam));
        return 0;
    }
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

TEST_F(EndToEndTest, ActivateAgainWhileTheCoverIsUpOpensNoSecondCover)
{
    ASSERT_EQ(1u, host_->LoadAll());
    WNDCLASSA wc{};
    wc.lpfnWndProc = &ReentryProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmoraEndToEndClient";
    ::RegisterClassA(&wc);
    HWND client = ::CreateWindowExA(0, wc.lpszClassName, "client", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                    nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, client);
    ReentryProbe probe;
    probe.host = host_.get();
    ::SetWindowLongPtrA(client, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));

    int covers = -1;
    const INT_PTR result = RunWithDriver([&] { return host_->Pick(0, 0); },
                                         [&](DWORD ui) {
                                             HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                                             ASSERT_NE(nullptr, cover);
                                             ::PostMessageA(client, kPickAgain, 0, 0);
                                             EXPECT_TRUE(WaitUntil([&] { return probe.nestedResult != -99; }));
                                             ::Sleep(300);
                                             covers = CountDialogsWithControl(ui, IDC_COVER_UNLOCK);
                                             EXPECT_TRUE(::IsWindowVisible(cover));
                                             Unlock(cover, "");
                                         });
    ::DestroyWindow(client);
    EXPECT_EQ(0, result);
    EXPECT_EQ(0, probe.nestedResult) << "the nested pick returned at once";
    EXPECT_EQ(1, covers);
}

TEST_F(EndToEndTest, ShutdownReturnsEveryHandedOverBlockOnceInTheClientsOrder)
{
    ASSERT_EQ(1u, host_->LoadAll());
    const LoadedPlugin& plugin = Plugin();
    std::map<const void*, Kind> handedOver;
    for (const MenuItemBlock& item : plugin.items) {
        handedOver[item.text] = Kind::FreeItemText;
        handedOver[item.icon] = Kind::FreeItemIcon;
    }
    handedOver[plugin.info.description] = Kind::FreeDescription;
    handedOver[plugin.info.icon] = Kind::FreePluginIcon;
    ASSERT_EQ(6u, handedOver.size()) << "six distinct blocks";
    ASSERT_EQ(0u, handedOver.count(nullptr));
    EXPECT_FALSE(::DeleteFileA(SettingsFile().c_str())) << "held open while the plug-in runs";

    const size_t before = host_->events().size();
    host_->UnloadAll();
    host_->UnloadAll();   // a second call must not free anything again

    std::vector<HostEvent> shutdown(host_->events().begin() + static_cast<std::ptrdiff_t>(before),
                                    host_->events().end());
    std::vector<Kind> kinds;
    std::multiset<const void*> freed;
    for (const HostEvent& e : shutdown) {
        kinds.push_back(e.kind);
        if (e.block != nullptr) {
            freed.insert(e.block);
            auto it = handedOver.find(e.block);
            ASSERT_NE(handedOver.end(), it) << "freed a block that was never handed over";
            EXPECT_EQ(it->second, e.kind) << "freed as what it was handed over as";
        }
    }
    EXPECT_EQ((std::vector<Kind>{Kind::FreeItemText, Kind::FreeItemIcon, Kind::FreeItemText,
                                 Kind::FreeItemIcon, Kind::FreeDescription, Kind::FreePluginIcon,
                                 Kind::Finish, Kind::Unload}),
              kinds);
    for (const auto& block : handedOver)
        EXPECT_EQ(1u, freed.count(block.first)) << EventName(block.second);
    EXPECT_EQ(0, shutdown[6].value) << "ems_plugin_finish result";
    EXPECT_EQ(nullptr, ::GetModuleHandleA("velmora.dll")) << "unloaded";
    EXPECT_TRUE(::DeleteFileA(SettingsFile().c_str())) << "released at finish";
}

// ---- in the client's default layout, doing what the client does -------------------------

// What the client does to its main window while a plug-in's dialog is up: new mail (from
// File, from its timer), and the tray menu's items.
struct ClientDoing {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

const ClientDoing kClientDoings[] = {
    {"Check Mail", WM_COMMAND, IDM_HOST_CHECK_MAIL, 0},
    {"the mail-check timer", WM_TIMER, IDT_HOST_MAIL_CHECK, 0},
    {"tray: New Message", WM_COMMAND, IDM_HOST_NEW_MESSAGE, 0},
    {"tray: Open", WM_COMMAND, IDM_HOST_OPEN, 0},
    {"tray icon double-clicked", WM_HOST_TRAY_ICON, ID_HOST_TRAY_ICON, WM_LBUTTONDBLCLK},
};

TEST(EndToEndInTheClientsLayout, CopiedIntoTheProgramFolderItKeepsItsSettingsAndTheClientHidden)
{
    ClientLayout layout;
    const velmora_host::ClientFolders folders = layout.Folders();
    InstallLibrary("velmora.dll", folders.ProgramPlugins());
    auto client = StartClient(folders);
    velmora_host::PluginHost& host = client->host();
    const size_t velmora = host.IndexOf("velmora.dll");
    ASSERT_NE(std::string::npos, velmora);

    // The client names its data folder's Plugins, which it never creates: Velmora makes it
    // for its settings, and takes its strings from the file it was loaded from.
    const std::string settings = folders.DataPlugins() + "\\velmora.ini";
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(settings));
    EXPECT_EQ(std::string(kProductName) + ", Version: 2.0.0.1", host.plugins()[velmora]->Description());
    ASSERT_TRUE(::WritePrivateProfileStringA("Settings", "HideEudora", "1", settings.c_str()));

    HWND main = client->mainWindow();
    HWND tool = client->window().toolWindow();
    ASSERT_TRUE(::IsWindowVisible(tool));
    const INT_PTR result = RunWithDriver(
        [&] { return static_cast<INT_PTR>(host.Pick(velmora, 0)); },
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover) << "the cover itself: the settings file is there";
            HWND password = ::GetDlgItem(cover, IDC_COVER_PASSWORD);
            for (const ClientDoing& doing : kClientDoings) {
                SCOPED_TRACE(doing.name);
                ::SendMessageA(main, doing.message, doing.wParam, doing.lParam);
                EXPECT_FALSE(::IsWindowVisible(main));
                EXPECT_FALSE(::IsWindowVisible(tool));
                EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == password; }))
                    << "the cover keeps the keyboard";
            }
            Unlock(cover, "");
        });
    EXPECT_EQ(0, result);
    EXPECT_GT(client->window().mailCheck().checks(), 1u) << "the client did check its mail";
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_TRUE(::IsWindowVisible(tool)) << "the tool window that was up comes back";

    // Nothing of the cover remains: new mail shows the hidden window again.
    ::ShowWindow(main, SW_HIDE);
    ::SendMessageA(main, WM_COMMAND, IDM_HOST_CHECK_MAIL, 0);
    EXPECT_TRUE(::IsWindowVisible(main));
    client->Shutdown();
}

} // namespace
