// A long absence, through the stand-in mail client and the real velmora.dll: mail checks,
// reminders and the new-mail alert under the cover, the client quitting while locked,
// the end of the session, a lock that outlives the client, and a memo that outlives a
// client ended hard.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "host/Client.h"
#include "host/HostResource.h"
#include "host/MailCheck.h"
#include "resource.h"
#include "settings/PasswordScrambler.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "support/ClientLayout.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/HookLedger.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"
#include "support/WindowWitness.h"

using namespace testing_support;

namespace {

using Lines = std::vector<std::string>;

class LockWhileAway : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallLibrary("velmora.dll", layout_.Folders().ProgramPlugins());
        // The client names its data folder's Plugins as the plug-ins' folder.
        ::CreateDirectoryA(layout_.DataPlugins().c_str(), nullptr);
        settings_ = layout_.DataPlugins() + "\\velmora.ini";
        WriteFileBytes(settings_, "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) +
                                      "\r\nHideEudora=1\r\nSaveMemoPadText=1\r\n");
    }
    void TearDown() override { client_.reset(); }

    void Start(velmora_host::MainWindowOptions options)
    {
        client_ = StartClient(layout_.Folders(), options);
        main_ = client_->mainWindow();
    }
    std::string Stored(const char* key) const
    {
        return StoredString(key, "<missing>", settings_);
    }
    // "Activate Velmora" from the client's menu, as the user picks it.
    void PostActivate() const
    {
        ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(client_->window().CommandFor(0, 0), 0), 0);
    }

    ClientLayout layout_;
    std::string settings_;
    std::unique_ptr<velmora_host::Client> client_;
    HWND main_ = nullptr;
};

TEST_F(LockWhileAway, MailChecksRemindersAndTheAlertShowNothingButTheAlertAndUnlockRestoresAll)
{
    velmora_host::MainWindowOptions options = InTestWindowOptions();
    options.mailCheck.progressMs = 300;
    options.mailCheck.progressShow = SW_SHOW;
    options.mailCheck.newMailAlert = true;
    Start(options);
    const HWND tool = client_->window().toolWindow();
    ASSERT_TRUE(::IsWindowVisible(tool));
    WindowWitness witness(::GetCurrentThreadId());
    Lines seen;
    HWND reminder = nullptr;
    RunWithDriver(
        [&] {
            PostActivate();
            PumpUntil([&] { return client_->window().mailCheck().checks() >= 1 && FindDialogWithControl(::GetCurrentThreadId(), IDC_COVER_UNLOCK) == nullptr; }, 15000);
            return INT_PTR{0};
        },
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover);
            EXPECT_TRUE(WaitUntil([&] { return Stored(kKeyLocked) == "1"; }, 2000)) << "recorded as it came up";
            witness.Reset();
            ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_REMIND_NOW, 0), 0);
            ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_CHECK_MAIL, 0), 0);
            // The alert comes after the check, above the cover, and works.
            HWND alert = WaitForThreadDialog(ui, velmora_host::kNewMailAlertCaption, 10000);
            ASSERT_NE(nullptr, alert);
            EXPECT_EQ(cover, ::GetWindow(alert, GW_OWNER));
            EXPECT_TRUE(::IsWindowVisible(alert));
            EXPECT_FALSE(::IsWindowEnabled(cover)) << "the alert is modal";
            PostClick(alert, IDOK);
            ASSERT_TRUE(WaitForGone(alert));
            reminder = client_->window().reminder().hwnd();
            ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_OPEN, 0), 0);
            ASSERT_TRUE(WaitUntil([&] { return FocusOf(ui) == ::GetDlgItem(cover, IDC_COVER_PASSWORD); }))
                << "the cover keeps the keyboard";
            seen = witness.Seen();
            EXPECT_FALSE(::IsWindowVisible(main_));
            Unlock(cover, "pw");
        });
    EXPECT_EQ(Lines{}, seen) << "nothing of the client is shown or painted while the cover is up";
    EXPECT_EQ(1u, client_->window().mailCheck().checks());
    EXPECT_EQ(nullptr, client_->window().mailCheck().progressWindow());
    ASSERT_NE(nullptr, reminder);
    EXPECT_TRUE(::IsWindowVisible(reminder)) << "the reminder the client put up";
    EXPECT_TRUE(::IsWindowVisible(tool)) << "the tool window that was up";
    EXPECT_TRUE(::IsWindowVisible(main_));
    EXPECT_EQ(main_, ::GetActiveWindow()) << "the keyboard goes to the main window";
    EXPECT_EQ("<missing>", Stored(kKeyLocked)) << "the unlock removes the record";
}

// With the client left on screen behind the cover, the check's enabling of the main
// window at its end must not open the mailboxes to clicks and keys.
TEST_F(LockWhileAway, AMailCheckUnderACoverThatLeavesTheClientOnScreenKeepsItDisabled)
{
    WriteFileBytes(settings_, "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) + "\r\n");
    velmora_host::MainWindowOptions options = InTestWindowOptions();
    options.mailCheck.progressMs = 300;
    Start(options);
    bool enabledAfterCheck = true;
    RunWithDriver(
        [&] {
            PostActivate();
            PumpUntil([&] { return FindDialogWithControl(::GetCurrentThreadId(), IDC_COVER_UNLOCK) == nullptr; }, 15000);
            return INT_PTR{0};
        },
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover);
            ASSERT_TRUE(::IsWindowVisible(main_));
            ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_CHECK_MAIL, 0), 0);
            ASSERT_TRUE(WaitUntil([&] { return client_->window().mailCheck().checks() >= 1; }, 10000));
            enabledAfterCheck = ::IsWindowEnabled(main_) != FALSE;
            Unlock(cover, "pw");
        });
    EXPECT_FALSE(enabledAfterCheck) << "the client's window stays disabled behind the cover";
    EXPECT_TRUE(::IsWindowEnabled(main_)) << "and is enabled again at unlock";
}

TEST_F(LockWhileAway, TrayExitWhileLockedShowsNothingBringsNoSecondCoverAndTheLockOutlivesTheClient)
{
    velmora_host::MainWindowOptions options = InTestWindowOptions();
    options.quitWhenDestroyed = true;
    HookLedger ledger(layout_.Folders().ProgramPlugins() + "\\velmora.dll");
    ASSERT_TRUE(ledger.ready());
    Start(options);
    ledger.LetGo();
    WindowWitness witness(::GetCurrentThreadId());
    Lines seen;
    bool secondCover = false;
    int covers = -1;
    RunWithDriver(
        [&] {
            PostActivate();
            return INT_PTR{client_->RunMessageLoop()};
        },
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover);
            witness.Reset();
            ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_HOST_EXIT, 0), 0);
            EXPECT_TRUE(WaitForGone(cover));
            secondCover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK, nullptr, 1000) != nullptr;
            seen = witness.Seen();
            covers = witness.CoversOpened();
        });
    EXPECT_FALSE(secondCover);
    EXPECT_EQ(0, covers) << "no second cover, not even for a moment";
    EXPECT_EQ(Lines{}, seen) << "nothing of the client is shown during its teardown";
    EXPECT_FALSE(::IsWindow(main_));
    EXPECT_EQ(nullptr, ::GetModuleHandleA("velmora.dll")) << "finished and unloaded";
    EXPECT_GT(ledger.HooksInstalled(), 0);
    EXPECT_EQ(0, ledger.LiveHooks()) << "a hook left to call the unloaded code";
    EXPECT_EQ("1", Stored(kKeyLocked));
    client_.reset();

    // The next start brings the cover back at once, before the main window.
    std::unique_ptr<velmora_host::Client> next;
    RunWithDriver(
        [&] {
            next = StartClient(layout_.Folders(), InTestWindowOptions());
            return INT_PTR{0};
        },
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover);
            EXPECT_EQ(nullptr, FindWindowExA(nullptr, nullptr, velmora_host::kMainWindowClass, nullptr));
            Unlock(cover, "pw");
        });
    ASSERT_NE(nullptr, next);
    EXPECT_TRUE(::IsWindowVisible(next->mainWindow()));
    EXPECT_EQ("<missing>", Stored(kKeyLocked));
}

// The stand-in client as a program of its own, with a memo in three scripts and an emoji
// typed under the cover: however that client ends, the next start shows every character.
TEST_F(LockWhileAway, AMemoInAnyScriptSurvivesTheUnlockTheClientsExitAndAKill)
{
    enum class End { Unlock, ExitWithinThePause, KillAfterThePause };
    const std::wstring typed = L"Back at 3 \u00e9t\u00e9\r\u043f\u0430\u0440\u043e\u043b\u044c \u03a3 and \U0001F600\U0001F512";
    const std::wstring shown = L"Back at 3 \u00e9t\u00e9\r\n\u043f\u0430\u0440\u043e\u043b\u044c \u03a3 and \U0001F600\U0001F512";
    const std::string command = "\"" + ProgramDirectory() + "\\velmora_host.exe\" --mail-check 0 --program \"" +
                                layout_.program() + "\" --data \"" + layout_.data() + "\"";
    // Another program's windows: texts are asked for, not read from the window manager.
    const auto memoOf = [](HWND cover) {
        wchar_t text[128] = L"";
        ::SendDlgItemMessageW(cover, IDC_COVER_MEMO, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    for (End end : {End::Unlock, End::ExitWithinThePause, End::KillAfterThePause}) {
        SCOPED_TRACE(static_cast<int>(end));
        StoreString(kKeyMemoPadText, "", settings_);
        ::WritePrivateProfileStringA("Settings", "Locked", nullptr, settings_.c_str());
        {
            ProgramRun client(command);
            // "Activate Velmora" from the client's menu: the client's Exit needs its window.
            HWND main = nullptr;
            ASSERT_TRUE(WaitUntil([&] {
                return (main = ::FindWindowExA(nullptr, nullptr, velmora_host::kMainWindowClass, nullptr)) != nullptr;
            }));
            ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_HOST_FIRST_PLUGIN_ITEM, 0), 0);
            HWND cover = WaitForDesktopDialog("Eudora", IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover);
            PostCharsW(::GetDlgItem(cover, IDC_COVER_MEMO), typed);
            ASSERT_TRUE(WaitUntil([&] { return memoOf(cover) == shown; }));
            DWORD process = 0;
            ::GetWindowThreadProcessId(cover, &process);
            HANDLE handle = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process);
            ASSERT_NE(nullptr, handle);
            if (end == End::Unlock) {
                Unlock(cover, "pw");
                StoreInt(kKeyLocked, 1, settings_);
            } else if (end == End::ExitWithinThePause) {
                ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_HOST_EXIT, 0), 0);
            } else {
                ::Sleep(2500);
            }
            if (end != End::ExitWithinThePause)
                ::TerminateProcess(handle, 9);
            EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(handle, 5000));
            ::CloseHandle(handle);
        }
        ProgramRun next(command);
        HWND cover = WaitForDesktopDialog("Eudora", IDC_COVER_UNLOCK);
        ASSERT_NE(nullptr, cover) << "the recorded lock brings the cover up at start";
        EXPECT_TRUE(memoOf(cover) == shown) << "the memo came back changed";
    }
}

// Last in this program: the plug-in stays loaded for good afterwards.
TEST_F(LockWhileAway, TheEndOfTheSessionWhileLockedSavesTheMemoKeepsTheLockAndNothingCrashes)
{
    Start(InTestWindowOptions());
    LRESULT coverQuery = 0;
    RunWithDriver(
        [&] {
            ::SendMessageA(main_, WM_COMMAND, MAKEWPARAM(client_->window().CommandFor(0, 0), 0), 0);
            return INT_PTR{0};
        },
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover);
            SetItemText(cover, IDC_COVER_MEMO, "back at 9\r\nAnn");
            coverQuery = ::SendMessageA(cover, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
            // The client's main window first: it unloads the plug-ins right there,
            // inside the cover's loop.
            ::SendMessageA(main_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            EXPECT_FALSE(::IsWindow(cover));
        });
    EXPECT_EQ(TRUE, coverQuery);
    const auto& events = client_->host().events();
    EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                            [](const velmora_host::HostEvent& e) { return e.kind == velmora_host::HostEvent::Kind::Unload; }))
        << "the client unloaded the plug-in inside the cover's loop";
    EXPECT_NE(nullptr, ::GetModuleHandleA("velmora.dll")) << "kept loaded: its loop was still running";
    EXPECT_EQ("back at 9\tAnn", Stored(kKeyMemoPadText));
    EXPECT_EQ("1", Stored(kKeyLocked));
    EXPECT_FALSE(::IsWindowVisible(main_));
    // Nothing of the guard is left: the window shows when asked.
    ::ShowWindow(main_, SW_SHOWNA);
    EXPECT_TRUE(::IsWindowVisible(main_));
}

} // namespace
