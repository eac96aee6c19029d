// The cover coming up by itself, through the stand-in mail client and the real
// velmora.dll on this thread: after a minute without input (the lock's code as linked
// here, on a clock the test moves; the DLL's real minute on request), on the session and
// power notifications Windows sends (wine sends none: the test sends them to the plug-in's
// window), over the settings dialog and an open menu, and an unload with all of it armed.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "config_ui/AboutText.h"
#include "host/HostResource.h"
#include "plugin/AutoLock.h"
#include "plugin/MenuCommands.h"
#include "resource.h"
#include "support/ClientLayout.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/HookLedger.h"
#include "support/PluginLibrary.h"
#include "support/TempDirectory.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

constexpr UINT kSessionChange = 0x02B1;   // WM_WTSSESSION_CHANGE
constexpr WPARAM kSessionLock = 0x7;
constexpr WPARAM kSessionUnlock = 0x8;
constexpr WPARAM kConsoleDisconnect = 0x2;
constexpr WPARAM kRemoteDisconnect = 0x4;
constexpr WPARAM kPowerSuspend = 0x4;     // PBT_APMSUSPEND

HWND LockWindow()
{
    return ::FindWindowExA(nullptr, nullptr, kLockWindowClass, nullptr);
}

// A one-pixel mouse move: input as a user's, which resets the idle time.
DWORD NudgeMouse()
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    ::SendInput(1, &input, sizeof input);
    LASTINPUTINFO last{sizeof last, 0};
    ::GetLastInputInfo(&last);
    return last.dwTime;
}

// The lock's timer, due now. Once the lock has looked (a cover it brings runs inside the
// message): whether a cover is up.
bool LookAgain(HWND window, DWORD ui)
{
    DWORD_PTR ignored = 0;
    return !::SendMessageTimeoutA(window, WM_TIMER, 1, 0, SMTO_NORMAL, 3000, &ignored) ||
           FindDialogWithControl(ui, IDC_COVER_UNLOCK) != nullptr;
}

// Nobody has touched the desktop since the clock started; time passes as the test says.
struct DrivenClock final : DesktopClock {
    DWORD Now() const noexcept override { return now; }
    DWORD LastInput() const noexcept override { return 0; }
    std::atomic<DWORD> now{0};
};

class AutoLockTest : public ::testing::Test {
protected:
    // Starts the client with Velmora and these settings lines (empty password).
    void Start(const std::string& settings)
    {
        Install(settings);
        Launch();
    }
    void Install(const std::string& settings)
    {
        InstallLibrary("velmora.dll", layout_.ProgramPlugins());
        ::CreateDirectoryA(layout_.DataPlugins().c_str(), nullptr);
        WriteFileBytes(SettingsFile(), "[Settings]\r\nPassword=\r\n" + settings);
    }
    void Launch()
    {
        client_ = StartClient(layout_.Folders());
        main_ = client_->mainWindow();
        // The display's focus events from creating the windows arrive late.
        PumpUntil([] { return false; }, 300);
    }
    void TearDown() override
    {
        if (client_)
            client_->Shutdown();
    }
    std::string SettingsFile() const { return layout_.DataPlugins() + "\\velmora.ini"; }

    // Pumps this thread's messages, as the client's loop does, while `driver` works.
    void WhileClientRuns(const std::function<void(DWORD ui)>& driver, DWORD timeoutMs = 20000)
    {
        std::atomic<bool> done{false};
        RunWithDriver([&] { PumpUntil([&] { return done.load(); }, timeoutMs); return INT_PTR{0}; },
                      [&](DWORD ui) {
                          driver(ui);
                          done = true;
                      },
                      timeoutMs + 5000);
    }

    ClientLayout layout_;
    std::unique_ptr<velmora_host::Client> client_;
    HWND main_ = nullptr;
};

// The plug-in's lock, commands and cover as linked into this program, on a clock the test
// moves: the lock's window and its timer's handler look, and the minute passes at once.
TEST_F(AutoLockTest, AMinuteWithoutInputBringsTheCoverUpAndItsUnlockStartsTheMinuteAgain)
{
    ScratchDir folder;
    WriteFileBytes(folder.File("velmora.ini"), "[Settings]\r\nPassword=\r\nLockAfterMinutes=1\r\n");
    ::SettingsFile settings(folder.File("velmora.ini"));
    CommandState state;
    DrivenClock clock;
    const ProductStrings product{};
    MenuCommands commands(state, settings, product, clock);
    AutoLock lock(commands, settings, clock);
    lock.Start();
    HWND window = LockWindow();
    WhileClientRuns([&](DWORD ui) {
        // The second minute counts from the first one's unlock.
        for (int minute = 1; minute <= 2; ++minute) {
            clock.now += 59999;
            EXPECT_FALSE(LookAgain(window, ui)) << "a millisecond short of minute " << minute;
            ++clock.now;
            ::PostMessageA(window, WM_TIMER, 1, 0);
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover) << "minute " << minute;
            Unlock(cover, "");
            EXPECT_FALSE(LookAgain(window, ui)) << "idle time counts from the unlock";
        }
    });
    lock.Stop();
}

// velmora.dll's own minute, waited for: off in the suite (70 s); the soak runs it with
// GTEST_ALSO_RUN_DISABLED_TESTS=1.
TEST_F(AutoLockTest, DISABLED_ARealMinuteWithoutInputBringsTheCoverUp)
{
    Start("LockAfterMinutes=1\r\n");
    const DWORD lastInput = NudgeMouse();
    WhileClientRuns(
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK, nullptr, 90000);
            const DWORD idle = ::GetTickCount() - lastInput;
            ASSERT_NE(nullptr, cover);
            EXPECT_GE(idle, 60000u - 20);
            EXPECT_LT(idle, 70000u) << "within a few seconds of the minute";
            Unlock(cover, "");
        },
        120000);
}

// Both settings off: nothing of the lock exists, until Apply turns one on.
TEST_F(AutoLockTest, BothSettingsOffLeaveNothingRunningUntilApplyTurnsOneOn)
{
    Start("");
    EXPECT_EQ(nullptr, LockWindow()) << "no window, no timer, no registration";
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(SettingsFile()));
    HWND window = nullptr;
    RunWithDriver([&] { return INT_PTR{client_->host().OpenSettings(0)}; },
                  [&](DWORD ui) {
                      HWND settings = WaitForDialogWithControl(ui, IDC_SET_APPLY);
                      ASSERT_NE(nullptr, settings);
                      SetItemText(settings, IDC_SET_LOCK_MINUTES, "5");
                      PostClick(settings, IDC_SET_APPLY);
                      ASSERT_TRUE(WaitForGone(settings));
                      WaitUntil([&] { return (window = LockWindow()) != nullptr; }, 2000);
                  });
    ASSERT_NE(nullptr, window) << "Apply starts the lock at once";
    EXPECT_FALSE(::IsWindowVisible(window));
    // Only the minutes are on: Windows locking or sleeping brings no cover.
    int covers = -1;
    WhileClientRuns([&](DWORD ui) {
        ::SendMessageA(window, kSessionChange, kSessionLock, 1);
        ::SendMessageA(window, WM_POWERBROADCAST, kPowerSuspend, 0);
        ::Sleep(500);
        covers = CountDialogsWithControl(ui, IDC_COVER_UNLOCK);
    });
    EXPECT_EQ(0, covers);
    EXPECT_TRUE(::IsWindowVisible(main_));
}

TEST_F(AutoLockTest, SessionLockBringsTheCoverUpAndTheSessionUnlockLeavesItUp)
{
    Start("LockWithWindows=1\r\nHideEudora=1\r\n");
    HWND window = LockWindow();
    ASSERT_NE(nullptr, window);
    WhileClientRuns([&](DWORD ui) {
        ::SendMessageA(window, kSessionChange, kSessionUnlock, 1);
        ::Sleep(300);
        EXPECT_EQ(0, CountDialogsWithControl(ui, IDC_COVER_UNLOCK)) << "an unlock of Windows locks nothing";
        ::SendMessageA(window, kSessionChange, kSessionLock, 1);
        HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
        ASSERT_NE(nullptr, cover);
        EXPECT_FALSE(::IsWindowVisible(main_));
        ::SendMessageA(window, kSessionChange, kSessionLock, 1);
        ::SendMessageA(window, kSessionChange, kSessionUnlock, 1);
        ::Sleep(300);
        EXPECT_TRUE(::IsWindowVisible(cover)) << "Windows' unlock is not Velmora's";
        EXPECT_EQ(1, CountDialogsWithControl(ui, IDC_COVER_UNLOCK)) << "never two covers";
        Unlock(cover, "");
        // Switched to another user, or a remote session cut off: the same.
        for (WPARAM away : {kConsoleDisconnect, kRemoteDisconnect}) {
            ::SendMessageA(window, kSessionChange, away, 1);
            HWND again = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, again) << "session event " << away;
            Unlock(again, "");
        }
    });
    EXPECT_TRUE(::IsWindowVisible(main_));
}

TEST_F(AutoLockTest, SuspendHidesTheClientBeforeTheNotificationReturns)
{
    Start("LockWithWindows=1\r\nHideEudora=1\r\n");
    HWND window = LockWindow();
    HWND tool = client_->window().toolWindow();
    ASSERT_TRUE(::IsWindowVisible(tool));
    // With a menu of the client open, the menu's loop runs below: the cover comes right
    // after it, the main window goes at once.
    for (bool menuOpen : {false, true}) {
        SCOPED_TRACE(menuOpen ? "menu open" : "no menu");
        WhileClientRuns([&](DWORD ui) {
            if (menuOpen) {
                ::PostMessageA(main_, WM_HOST_TRAY_ICON, ID_HOST_TRAY_ICON, WM_RBUTTONUP);
                ASSERT_TRUE(WaitUntil([&] { return VisibleMenuOf(ui) != nullptr; }));
            }
            DWORD_PTR answer = 0;
            EXPECT_NE(0, ::SendMessageTimeoutA(window, WM_POWERBROADCAST, kPowerSuspend, 0, SMTO_NORMAL, 5000, &answer))
                << "Windows is not kept waiting until the unlock";
            EXPECT_EQ(static_cast<DWORD_PTR>(TRUE), answer);
            EXPECT_FALSE(::IsWindowVisible(main_));
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK, nullptr, menuOpen ? 8000 : 0);
            ASSERT_NE(nullptr, cover) << "the cover is up by then";
            EXPECT_FALSE(::IsWindowVisible(tool));
            Unlock(cover, "");
        });
        EXPECT_TRUE(::IsWindowVisible(main_));
        EXPECT_TRUE(::IsWindowVisible(tool));
    }
}

TEST_F(AutoLockTest, OverTheSettingsDialogTheUserIsBackInItAfterTheUnlock)
{
    Start("LockWithWindows=1\r\nSaveMemoPadText=0\r\n");
    const std::string before = ReadFileBytes(SettingsFile());
    HWND window = LockWindow();
    velmora_host::PluginHost& host = client_->host();
    RunWithDriver([&] { return static_cast<INT_PTR>(host.OpenSettings(host.IndexOf("velmora.dll"))); },
                  [&](DWORD ui) {
                      HWND settings = WaitForDialogWithControl(ui, IDC_SET_APPLY);
                      ASSERT_NE(nullptr, settings);
                      ::SendMessageA(::GetDlgItem(settings, IDC_SET_STRETCH), BM_CLICK, 0, 0);
                      ::SendMessageA(window, kSessionChange, kSessionLock, 1);
                      HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                      ASSERT_NE(nullptr, cover);
                      Unlock(cover, "");
                      EXPECT_TRUE(::IsWindow(settings));
                      EXPECT_EQ(BST_CHECKED, ::SendDlgItemMessageA(settings, IDC_SET_STRETCH, BM_GETCHECK, 0, 0))
                          << "the dialog as the user left it";
                      EXPECT_EQ(before, ReadFileBytes(SettingsFile())) << "nothing saved by the lock";
                      PostClick(settings, IDC_SET_CANCEL);
                  });
    EXPECT_EQ(before, ReadFileBytes(SettingsFile()));
}

TEST_F(AutoLockTest, AnOpenMenuOfTheClientIsClosedFirst)
{
    Start("LockWithWindows=1\r\n");
    HWND window = LockWindow();
    WhileClientRuns([&](DWORD ui) {
        ::PostMessageA(main_, WM_HOST_TRAY_ICON, ID_HOST_TRAY_ICON, WM_RBUTTONUP);
        ASSERT_TRUE(WaitUntil([&] { return VisibleMenuOf(ui) != nullptr; }));
        ::SendMessageA(window, kSessionChange, kSessionLock, 1);
        HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
        ASSERT_NE(nullptr, cover);
        EXPECT_EQ(nullptr, VisibleMenuOf(ui));
        Unlock(cover, "");
    });
}

TEST_F(AutoLockTest, FinishEndsEverythingAndASecondLoadLocksAgain)
{
    Start("LockAfterMinutes=1\r\nLockWithWindows=1\r\n");
    HMODULE first = ::GetModuleHandleA("velmora.dll");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, LockWindow());
    client_->Shutdown();
    client_.reset();
    EXPECT_EQ(nullptr, ::GetModuleHandleA("velmora.dll")) << "unloaded";
    EXPECT_EQ(nullptr, LockWindow());
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(::GetClassInfoExA(first, kLockWindowClass, &info)) << "the class went with it";

    client_ = StartClient(layout_.Folders());
    main_ = client_->mainWindow();
    HWND window = LockWindow();
    ASSERT_NE(nullptr, window);
    WhileClientRuns([&](DWORD ui) {
        ::SendMessageA(window, kSessionChange, kSessionLock, 1);
        HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
        ASSERT_NE(nullptr, cover);
        Unlock(cover, "");
    });
}

// A window of a worker thread of the client's that never takes a message, until `stop`.
struct SilentWorker {
    HANDLE stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> window{nullptr};
};

DWORD WINAPI SilentWindowThread(void* param)
{
    auto* worker = static_cast<SilentWorker*>(param);
    worker->window = ::CreateWindowExA(0, "STATIC", "Worker", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    // It returns by itself: killing a thread crashes wine 10 on qemu's i386 emulator.
    ::WaitForSingleObject(worker->stop, INFINITE);
    return 0;
}

// Hooks run the plug-in's code in the client's threads, and a session registration names
// its window: none may outlive the cover that made it, nor the plug-in's finish.
TEST_F(AutoLockTest, EveryHookGoesAtUnlockAndTheSessionRegistrationAtFinish)
{
    Install("LockWithWindows=1\r\nHideEudora=1\r\n");
    HookLedger ledger(layout_.ProgramPlugins() + "\\velmora.dll");
    ASSERT_TRUE(ledger.ready());
    Launch();
    EXPECT_EQ(1, ledger.LiveRegistrations());
    SilentWorker worker;
    HANDLE thread = ::CreateThread(nullptr, 0, &SilentWindowThread, &worker, 0, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return worker.window != nullptr; }));
    int hooksWhileUp = 0;
    WhileClientRuns([&](DWORD ui) {
        ::SendMessageA(LockWindow(), kSessionChange, kSessionLock, 1);
        HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
        ASSERT_NE(nullptr, cover);
        hooksWhileUp = ledger.LiveHooks();
        Unlock(cover, "");
    });
    // The event hooks and the worker thread's hook.
    EXPECT_EQ(3, hooksWhileUp);
    EXPECT_EQ(0, ledger.LiveHooks()) << "left after the unlock";
    EXPECT_EQ(1, ledger.LiveRegistrations());
    client_->Shutdown();
    client_.reset();
    EXPECT_EQ(0, ledger.LiveRegistrations()) << "left after the finish";
    EXPECT_EQ(0, ledger.LiveHooks());
    ::SetEvent(worker.stop);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 5000));
    ::CloseHandle(thread);
    ::CloseHandle(worker.stop);
}

// A host that unloads the plug-in without finishing it: nothing of the lock is left to call
// into the unloaded code.
TEST(AutoLockUnload, AnUnloadWithoutFinishTakesTheLockDownWithTheLibrary)
{
    ScratchDir folder;
    CopyPluginInto(folder.path());
    WriteFileBytes(folder.path() + "\\velmora.ini", "[Settings]\r\nPassword=\r\nLockAfterMinutes=1\r\n");
    PluginLibrary plugin(folder.path());
    ASSERT_TRUE(plugin.loaded());
    const HMODULE module = plugin.module();
    int32_t config[4] = {0, 0, static_cast<int32_t>(reinterpret_cast<intptr_t>(folder.path().c_str())), 0};
    int32_t info[8] = {};
    ASSERT_EQ(0, plugin.init(nullptr, 6, config, info));
    HWND window = LockWindow();
    ASSERT_NE(nullptr, window);
    // The lock's timer due at once: a wake-up after the unload would run freed code.
    ::SetTimer(window, 1, 0, nullptr);
    plugin.Unload();

    EXPECT_FALSE(::IsWindow(window));
    WNDCLASSEXA info2{};
    info2.cbSize = sizeof info2;
    EXPECT_FALSE(::GetClassInfoExA(module, kLockWindowClass, &info2));
    PumpUntil([] { return false; }, 300);
}

// Last in this program: the plug-in stays loaded for good afterwards.
class AutoLockEndOfSession : public AutoLockTest {};

// The session ends while a lock cover is up over the settings dialog: the client unloads
// the plug-in inside the cover's loop, and both dialogs end; nothing crashes.
TEST_F(AutoLockEndOfSession, EndsTheCoverAndTheSettingsDialogBelowIt)
{
    Start("LockWithWindows=1\r\n");
    HWND window = LockWindow();
    bool settingsGone = false;
    RunWithDriver([&] { return INT_PTR{client_->host().OpenSettings(client_->host().IndexOf("velmora.dll"))}; },
                  [&](DWORD ui) {
                      HWND settings = WaitForDialogWithControl(ui, IDC_SET_APPLY);
                      ASSERT_NE(nullptr, settings);
                      ::SendMessageA(window, kSessionChange, kSessionLock, 1);
                      HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                      ASSERT_NE(nullptr, cover);
                      ::SendMessageA(main_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                      EXPECT_TRUE(WaitForGone(cover));
                      settingsGone = WaitForGone(settings);
                  });
    EXPECT_TRUE(settingsGone) << "nothing of the plug-in runs after its finish";
}

} // namespace
