// What the host's requests set off, in-process: the start-up cover, "Activate Velmora"
// with and without a settings file, the screen-saver request through its seam, unknown
// items, the settings request, and requests that arrive while a dialog is already up.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <vector>

#include "plugin/EntryPoints.h"
#include "plugin/MenuCommands.h"
#include "plugin/PluginApp.h"
#include "resource.h"
#include "settings/SettingsFile.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"

using namespace testing_support;

namespace {

// What the user met while a command ran.
struct Seen {
    bool settings = false;
    bool cover = false;
    bool coverBeforeSettingsEnded = false;
    // Whether the settings file existed right after the settings dialog ended.
    bool fileAfterSettings = false;
};

// How the driver ends the settings dialog when it shows up.
enum class SettingsEnd { CancelButton, Apply, EnterKey, EscapeKey };

class MenuCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settingsFile_ = dir_.File("velmora.ini");
        // The entry points below run the in-process plug-in's own commands.
        theApp.settings.UsePath(settingsFile_);
        theApp.product.productName = "Velmora for Eudora";
    }
    void TearDown() override { theApp.settings.UsePath(""); }

    void WriteSettings(const std::string& lines) { WriteFileBytes(settingsFile_, "[Settings]\r\n" + lines); }

    // Runs `command` on this thread. The driver ends a settings dialog as told and
    // unlocks a cover (empty password); it stops watching once the command returned.
    Seen Run(const std::function<void()>& command, SettingsEnd end = SettingsEnd::CancelButton)
    {
        Seen seen;
        std::atomic<bool> returned{false};
        RunWithDriver(
            [&] {
                command();
                returned = true;
                return INT_PTR{0};
            },
            [&](DWORD ui) {
                HWND settings = nullptr;
                HWND cover = nullptr;
                WaitUntil([&] {
                    settings = FindDialogWithControl(ui, IDC_SET_APPLY);
                    cover = FindDialogWithControl(ui, IDC_COVER_UNLOCK);
                    return returned || settings != nullptr || cover != nullptr;
                });
                if (settings != nullptr) {
                    seen.settings = true;
                    EndSettings(settings, end);
                    seen.coverBeforeSettingsEnded = cover != nullptr;
                    EXPECT_TRUE(WaitForGone(settings));
                    seen.fileAfterSettings = PathExists(settingsFile_);
                    WaitUntil([&] {
                        cover = FindDialogWithControl(ui, IDC_COVER_UNLOCK);
                        return returned || cover != nullptr;
                    });
                }
                if (cover != nullptr) {
                    seen.cover = true;
                    Unlock(cover, "");
                }
            });
        EXPECT_TRUE(returned);
        return seen;
    }

    static void EndSettings(HWND settings, SettingsEnd end)
    {
        HWND passwordField = ::GetDlgItem(settings, IDC_SET_NEW_PASSWORD);
        switch (end) {
        case SettingsEnd::CancelButton: PostClick(settings, IDC_SET_CANCEL); break;
        case SettingsEnd::Apply: PostClick(settings, IDC_SET_APPLY); break;
        case SettingsEnd::EnterKey: PostKey(passwordField, VK_RETURN); break;
        case SettingsEnd::EscapeKey: PostKey(passwordField, VK_ESCAPE); break;
        }
    }

    ScratchDir dir_;
    std::string settingsFile_;
};

// ---- start-up activation ---------------------------------------------------------

TEST_F(MenuCommandsTest, StartUpBringsTheCoverOnlyWhenTheSwitchIsExactlyOne)
{
    struct Case {
        const char* lines;
        bool cover;
    } const cases[] = {
        {"Password=\r\nStartUp=0\r\n", false},
        {"Password=\r\nStartUp=2\r\n", false},
        {"Password=\r\nStartUp=-1\r\n", false},
        {"Password=\r\n", false},
        {"Password=\r\nStartUp=1\r\n", true},
        // A cover the client never saw unlocked comes back, whatever StartUp says.
        {"Password=\r\nStartUp=0\r\nLocked=1\r\n", true},
        {"Password=\r\nLocked=2\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        WriteSettings(c.lines);
        const Seen seen = Run([] { theApp.commands.RunStartUpActivation(); });
        EXPECT_EQ(c.cover, seen.cover);
        EXPECT_FALSE(seen.settings);
    }
}

// A host window that is active when the cover comes up and then goes away by itself,
// as a splash screen does: the cover it owned goes with it.
class PassingSplash : public TestWindow {
public:
    explicit PassingSplash(UINT lifetimeMs) : TestWindow("VelmoraTestSplash", "splash", &Proc, WS_POPUP | WS_VISIBLE)
    {
        ::SetActiveWindow(get());
        ::SetTimer(get(), 1, lifetimeMs, nullptr);
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (msg == WM_TIMER) {
            ::KillTimer(window, 1);
            ::DestroyWindow(window);
            return 0;
        }
        return ::DefWindowProcA(window, msg, wParam, lParam);
    }
};

TEST_F(MenuCommandsTest, StartUpCoverComesBackWhenTheWindowThatOwnedItGoesAway)
{
    WriteSettings("Password=\r\nStartUp=1\r\n");
    PassingSplash splash(600);
    ASSERT_EQ(splash.get(), ::GetActiveWindow());
    std::atomic<bool> returned{false};
    RunWithDriver(
        [&] {
            theApp.commands.RunStartUpActivation();
            returned = true;
            return INT_PTR{0};
        },
        [&](DWORD ui) {
            HWND first = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (first = FindDialogWithControl(ui, IDC_COVER_UNLOCK)) != nullptr; }));
            EXPECT_EQ(splash.get(), ::GetWindow(first, GW_OWNER));
            ASSERT_TRUE(WaitForGone(first)) << "the splash screen took its cover along";
            HWND second = nullptr;
            ASSERT_TRUE(WaitUntil([&] { return (second = FindDialogWithControl(ui, IDC_COVER_UNLOCK)) != nullptr; }))
                << "the cover is up again";
            EXPECT_FALSE(returned) << "the start-up waits for the unlock";
            Unlock(second, "");
        });
    EXPECT_TRUE(returned);
}

TEST_F(MenuCommandsTest, StartUpWithoutSettingsFileShowsNothing)
{
    const Seen seen = Run([] { theApp.commands.RunStartUpActivation(); });
    EXPECT_FALSE(seen.cover);
    EXPECT_FALSE(seen.settings);
}

// ---- "Activate Velmora" ----------------------------------------------------------

TEST_F(MenuCommandsTest, ActivateWithSettingsFileGoesStraightToTheCover)
{
    WriteSettings("Password=\r\n");
    const Seen seen = Run([] { theApp.commands.RunActivateCommand(); });
    EXPECT_FALSE(seen.settings);
    EXPECT_TRUE(seen.cover);
}

TEST_F(MenuCommandsTest, ActivateWithoutSettingsFileCoversOnlyAfterTheSettingsEndWithOne)
{
    struct Case {
        const char* name;
        SettingsEnd end;
        bool cover;
        bool fileWritten;
    } const cases[] = {
        {"Cancel button (0)", SettingsEnd::CancelButton, false, false},
        {"Apply (1)", SettingsEnd::Apply, true, true},
        {"Enter (1)", SettingsEnd::EnterKey, true, false},
        {"Esc (2)", SettingsEnd::EscapeKey, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileA(settingsFile_.c_str());
        MenuItemRecord item{};
        item.id = kMenuIdActivate;
        int32_t result = -1;
        const Seen seen = Run([&] { result = ems_special_hook(nullptr, &item); }, c.end);
        EXPECT_EQ(0, result);
        EXPECT_TRUE(seen.settings);
        EXPECT_FALSE(seen.coverBeforeSettingsEnded);
        EXPECT_EQ(c.cover, seen.cover);
        EXPECT_EQ(c.fileWritten, seen.fileAfterSettings);
    }
}

// ---- "Activate Screen Saver" and other ids ---------------------------------------

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<PostedMessage> g_posted;

BOOL WINAPI RecordPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_posted.push_back({window, message, wParam, lParam});
    return TRUE;
}

class PostSeam {
public:
    PostSeam()
    {
        g_posted.clear();
        theApp.commands.UsePostMessage(&RecordPost);
    }
    ~PostSeam() { theApp.commands.UsePostMessage(&::PostMessageA); }
    PostSeam(const PostSeam&) = delete;
    PostSeam& operator=(const PostSeam&) = delete;
};

TEST_F(MenuCommandsTest, ScreenSaverItemPostsExactlyOneRequestToTheDesktop)
{
    PostSeam seam;
    MenuItemRecord item{};
    item.id = kMenuIdScreenSaver;
    int32_t result = -1;
    const Seen seen = Run([&] { result = ems_special_hook(nullptr, &item); });
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, g_posted.size());
    EXPECT_EQ(::GetDesktopWindow(), g_posted[0].window);
    EXPECT_EQ(static_cast<UINT>(WM_SYSCOMMAND), g_posted[0].message);
    EXPECT_EQ(static_cast<WPARAM>(SC_SCREENSAVE), g_posted[0].wParam);
    EXPECT_EQ(1, g_posted[0].lParam);
    EXPECT_FALSE(seen.cover);
    EXPECT_FALSE(seen.settings);
}

TEST_F(MenuCommandsTest, OtherItemIdsDoNothingWithOrWithoutSettingsFile)
{
    PostSeam seam;
    for (bool withFile : {true, false}) {
        if (withFile)
            WriteSettings("Password=\r\n");
        else
            ::DeleteFileA(settingsFile_.c_str());
        for (int32_t id : {7, 0, -1, 3}) {
            SCOPED_TRACE(id);
            MenuItemRecord item{};
            item.id = id;
            int32_t result = -1;
            const Seen seen = Run([&] { result = ems_special_hook(nullptr, &item); });
            EXPECT_EQ(0, result);
            EXPECT_FALSE(seen.cover);
            EXPECT_FALSE(seen.settings);
        }
    }
    EXPECT_TRUE(g_posted.empty());
}

// ---- the settings request --------------------------------------------------------

TEST_F(MenuCommandsTest, SettingsRequestReturnsZeroHoweverTheDialogEndsAndNeverCovers)
{
    for (SettingsEnd end : {SettingsEnd::Apply, SettingsEnd::CancelButton, SettingsEnd::EnterKey,
                            SettingsEnd::EscapeKey}) {
        SCOPED_TRACE(static_cast<int>(end));
        ::DeleteFileA(settingsFile_.c_str());
        int32_t result = -1;
        const Seen seen = Run([&] { result = ems_plugin_config(nullptr, nullptr); }, end);
        EXPECT_EQ(0, result);
        EXPECT_TRUE(seen.settings);
        EXPECT_FALSE(seen.cover);
        EXPECT_EQ(end == SettingsEnd::Apply, seen.fileAfterSettings);
        EXPECT_EQ(end == SettingsEnd::Apply, PathExists(settingsFile_));
    }
}

// ---- requests while a dialog is up -----------------------------------------------

// A window of the host's thread whose messages make nested requests, as the host's
// own menu or toolbar would while our modal loop dispatches its messages.
constexpr UINT kRequest = WM_APP + 7;
enum Request : WPARAM { kActivate, kSettings, kStartUp, kScreenSaver };

struct NestedRequests {
    std::atomic<int> answered{0};
    std::atomic<int32_t> lastResult{-1};
};
NestedRequests g_nested;

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != kRequest)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    // The host's own window comes to the front first, as a click on it would do.
    ::SetForegroundWindow(window);
    MenuItemRecord item{};
    int32_t result = 0;
    switch (wParam) {
    case kActivate:
        item.id = kMenuIdActivate;
        result = ems_special_hook(nullptr, &item);
        break;
    case kSettings: result = ems_plugin_config(nullptr, nullptr); break;
    case kStartUp: theApp.commands.RunStartUpActivation(); break;
    case kScreenSaver:
        item.id = kMenuIdScreenSaver;
        result = ems_special_hook(nullptr, &item);
        break;
    default: break;
    }
    g_nested.lastResult = result;
    ++g_nested.answered;
    return 0;
}

class HostWindow : public TestWindow {
public:
    HostWindow() : TestWindow("VelmoraNestedRequestHost", "host", &HostProc) { g_nested.answered = 0; }
};

// Sends each request through the host window while `open` is up; checks that each
// came back at once with 0, left `open` the only one of its kind, opened no dialog of
// `otherKind`, and put `open` in front again.
void RequestWhileOpen(HWND host, DWORD ui, HWND open, int kindControl, int otherKind,
                      const std::vector<Request>& requests)
{
    for (Request request : requests) {
        SCOPED_TRACE(static_cast<int>(request));
        const int before = g_nested.answered;
        ::PostMessageA(host, kRequest, request, 0);
        ASSERT_TRUE(WaitUntil([&] { return g_nested.answered > before; }))
            << "a nested request must come back while the dialog is up";
        EXPECT_EQ(0, g_nested.lastResult);
        ::Sleep(200);
        EXPECT_EQ(1, CountDialogsWithControl(ui, kindControl));
        EXPECT_EQ(nullptr, FindDialogWithControl(ui, otherKind));
        EXPECT_TRUE(::IsWindowVisible(open));
        if (request != kScreenSaver) {
            EXPECT_EQ(open, ::GetForegroundWindow()) << "the open dialog is brought to the front";
        }
    }
}

// A dialog a command put up, the requests made through the host window while it is up,
// and its end: the cover by unlock; the settings dialog of the settings request by
// Cancel, that of an activation by Apply, after which the activation's own cover comes.
struct NestedCase {
    const char* name;
    const char* lines; // the settings file; null for none
    bool activate;     // "Activate Velmora", else the settings request
    int openControl;   // the dialog the requests meet
    int otherControl;  // the kind that must not open
    std::vector<Request> requests;
};

const NestedCase kNestedCases[] = {
    {"cover", "Password=\r\nStartUp=1\r\n", true, IDC_COVER_UNLOCK, IDC_SET_APPLY,
     {kActivate, kSettings, kStartUp, kScreenSaver}},
    {"settings", nullptr, false, IDC_SET_APPLY, IDC_COVER_UNLOCK, {kActivate, kSettings}},
    // No settings file: the settings dialog comes first, and a request made while it is
    // up must not slip a cover in before the activation's own.
    {"settings before the activation's cover", nullptr, true, IDC_SET_APPLY, IDC_COVER_UNLOCK, {kActivate}},
};

TEST_F(MenuCommandsTest, RequestsWhileADialogIsUpOpenNothingMoreAndReturnAtOnce)
{
    for (const NestedCase& c : kNestedCases) {
        SCOPED_TRACE(c.name);
        if (c.lines != nullptr)
            WriteSettings(c.lines);
        else
            ::DeleteFileA(settingsFile_.c_str());
        HostWindow host;
        PostSeam seam;
        RunWithDriver(
            [&] {
                if (c.activate)
                    theApp.commands.RunActivateCommand();
                else
                    theApp.commands.RunSettingsCommand();
                return INT_PTR{0};
            },
            [&](DWORD ui) {
                HWND open = WaitForDialogWithControl(ui, c.openControl);
                ASSERT_NE(nullptr, open);
                RequestWhileOpen(host.get(), ui, open, c.openControl, c.otherControl, c.requests);
                if (c.openControl == IDC_SET_APPLY) {
                    PostClick(open, c.activate ? IDC_SET_APPLY : IDC_SET_CANCEL);
                    EXPECT_TRUE(WaitForGone(open));
                    if (!c.activate)
                        return;
                    open = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                    ASSERT_NE(nullptr, open);
                    ::Sleep(200);
                    EXPECT_EQ(1, CountDialogsWithControl(ui, IDC_COVER_UNLOCK));
                }
                Unlock(open, "");
            });
        const size_t screenSavers = static_cast<size_t>(
            std::count(c.requests.begin(), c.requests.end(), kScreenSaver));
        EXPECT_EQ(screenSavers, g_posted.size()) << "the screen saver may still be asked for";

        // Afterwards the commands work as before.
        const bool file = PathExists(settingsFile_);
        const Seen seen = Run([] { theApp.commands.RunActivateCommand(); });
        EXPECT_EQ(file, seen.cover);
        EXPECT_EQ(!file, seen.settings);
    }
}

} // namespace
