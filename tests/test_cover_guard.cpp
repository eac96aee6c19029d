// The host's windows while the cover is up: hidden with the switch on, whatever the client
// does, every window of the client held and given back as it last asked, and the cover's
// end by quit or by the session's end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cover/guard/HostWindowGuard.h"
#include "support/CoverFixture.h"

using namespace testing_support;

namespace {

// ---- the host's main window, as the cover finds it ---------------------------------

int g_showWindowMessages = 0;
int g_paints = 0;

// What the mail client does to its main window by itself, on its own thread: on new
// mail, from its tray menu, and the other ways a window comes back.
enum ClientAction : WPARAM {
    kNewMail,
    kNewMessageFromTray,
    kSetWindowPosShow,
    kMinimiseAndRestore,
    kShowWindowAsync,
    kDeferWindowPos,
    kSetWindowPlacement,
};
constexpr UINT kClientActionMessage = WM_APP + 7;
// Runs the std::function<void()> at lParam on the window's thread.
constexpr UINT kRunHereMessage = WM_APP + 8;
using Action = std::function<void()>;

void DoClientAction(HWND window, WPARAM action)
{
    switch (action) {
    case kNewMail:
        if (!::IsWindowVisible(window))
            ::ShowWindow(window, SW_SHOWNA);
        break;
    case kNewMessageFromTray:
        ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
        ::SetForegroundWindow(window);
        break;
    case kSetWindowPosShow:
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        break;
    case kMinimiseAndRestore:
        ::ShowWindow(window, SW_MINIMIZE);
        ::ShowWindow(window, SW_RESTORE);
        break;
    case kShowWindowAsync:
        ::ShowWindowAsync(window, SW_SHOW);
        break;
    case kDeferWindowPos: {
        HDWP positions = ::BeginDeferWindowPos(1);
        positions = ::DeferWindowPos(positions, window, nullptr, 0, 0, 0, 0,
                                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        ::EndDeferWindowPos(positions);
        break;
    }
    case kSetWindowPlacement: {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        ::GetWindowPlacement(window, &placement);
        placement.showCmd = SW_SHOWNORMAL;
        ::SetWindowPlacement(window, &placement);
        break;
    }
    default:
        break;
    }
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (msg == WM_SHOWWINDOW)
        ++g_showWindowMessages;
    if (msg == WM_PAINT) {
        ++g_paints;
        // Each window counts its own as well.
        ::SetWindowLongPtrA(window, GWLP_USERDATA, ::GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
    }
    if (msg == kClientActionMessage) {
        DoClientAction(window, wParam);
        return 0;
    }
    if (msg == kRunHereMessage) {
        (*reinterpret_cast<const Action*>(lParam))();
        return 0;
    }
    return ::DefWindowProcA(window, msg, wParam, lParam);
}

// A floating tool window of the client: a popup its main window owns.
class ToolWindow {
public:
    ToolWindow(HWND owner, bool visible)
        : window_(::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "Tool",
                                    WS_POPUP | WS_CAPTION | (visible ? WS_VISIBLE : 0), 600, 40,
                                    160, 120, owner, nullptr, nullptr, nullptr))
    {
    }
    ~ToolWindow() { ::DestroyWindow(window_); }
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

// A visible, active top-level window of the host's main window class, made on the
// thread that runs the cover, as the host's own is.
class HostMainWindow : public TestWindow {
public:
    HostMainWindow() : TestWindow(kHostMainWindowClass, "Mail", &HostWindowProc)
    {
        ::SetActiveWindow(get());
        g_showWindowMessages = 0;
    }
};

LONG_PTR PaintsOf(HWND window)
{
    return ::GetWindowLongPtrA(window, GWLP_USERDATA);
}

// Runs `action` on the thread of `window` and waits for it.
void RunOn(HWND window, const Action& action)
{
    ::SendMessageA(window, kRunHereMessage, 0, reinterpret_cast<LPARAM>(&action));
}

// A top-level window of the client that paints itself and counts it; owned or not.
HWND MakeClientWindow(HWND owner, DWORD style = WS_POPUP | WS_CAPTION)
{
    static const ATOM registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &HostWindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "VelmoraTestClientWindow";
        return ::RegisterClassA(&wc);
    }();
    return ::CreateWindowExA(0, MAKEINTATOM(registered), "Client", style, 500, 60, 200, 150, owner,
                             nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

// A window of a worker thread of the client's: made on a thread of its own, which runs
// what it is asked and dispatches messages until the object goes. A silent one first
// takes no message at all: its thread waits on an event until ShowThere.
class ThreadWindow {
public:
    enum Start { kTakesMessages, kSilentUntilShown };
    explicit ThreadWindow(Start start = kTakesMessages)
    {
        ready_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        show_ = start == kSilentUntilShown ? ::CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
        thread_ = ::CreateThread(nullptr, 0, &ThreadWindow::Main, this, 0, &threadId_);
        ::WaitForSingleObject(ready_, 5000);
    }
    ~ThreadWindow()
    {
        if (show_ != nullptr)
            ::SetEvent(show_);
        ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        ::WaitForSingleObject(thread_, 5000);
        ::CloseHandle(thread_);
        ::CloseHandle(ready_);
        if (show_ != nullptr)
            ::CloseHandle(show_);
    }
    ThreadWindow(const ThreadWindow&) = delete;
    ThreadWindow& operator=(const ThreadWindow&) = delete;
    HWND get() const { return window_; }

    // A silent one's thread shows its window (SW_SHOW) and paints at once whatever is
    // visible, then starts taking messages. Returns whether the window was visible as
    // soon as ShowWindow returned there.
    bool ShowThere()
    {
        ::ResetEvent(ready_);
        ::SetEvent(show_);
        ::WaitForSingleObject(ready_, 5000);
        return visibleAfterShow_;
    }

private:
    static DWORD WINAPI Main(void* param)
    {
        auto* self = static_cast<ThreadWindow*>(param);
        self->window_ = MakeClientWindow(nullptr);
        ::SetEvent(self->ready_);
        if (self->show_ != nullptr) {
            ::WaitForSingleObject(self->show_, INFINITE);
            ::ShowWindow(self->window_, SW_SHOW);
            self->visibleAfterShow_ = ::IsWindowVisible(self->window_) != FALSE;
            ::UpdateWindow(self->window_);
            ::SetEvent(self->ready_);
        }
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::DestroyWindow(self->window_);
        return 0;
    }

    HANDLE ready_;
    HANDLE show_;
    HANDLE thread_;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
    bool visibleAfterShow_ = true;
};

// ---- the host's main window ------------------------------------------------------

// Lets go of the guard as the first held window is subclassed.
struct DropOnSubclass : GuardObserver {
    void Subclassed() noexcept override
    {
        if (++subclassed == 1)
            guard->Abandon();
    }
    HostWindowGuard* guard = nullptr;
    int subclassed = 0;
};

// The guard lets go (the unlock, on the cover's thread) just as another thread has
// subclassed a held window: that subclass must come off again, or it would call into an
// unloaded plug-in later.
TEST(HostWindowGuardRace, ASubclassSetAfterTheGuardLetGoIsTakenOffAgain)
{
    HostMainWindow host;
    const LONG_PTR proc = ::GetWindowLongPtrA(host.get(), GWLP_WNDPROC);
    TestWindow cover(kHostMainWindowClass, "cover", &HostWindowProc);
    DropOnSubclass observer;
    HostWindowGuard guard(&observer);
    observer.guard = &guard;
    guard.Hold(host.get(), cover.get(), WM_NULL);
    EXPECT_EQ(1, observer.subclassed) << "no window was subclassed";
    EXPECT_FALSE(guard.Holding());
    EXPECT_EQ(proc, ::GetWindowLongPtrA(host.get(), GWLP_WNDPROC)) << "the subclass stayed";
}

TEST_F(CoverTest, HideEudoraHidesTheHostUntilTheRightPassword)
{
    WriteInt(kKeyHideEudora, 1);
    StorePassword("pw");
    HostMainWindow host;
    ASSERT_TRUE(::IsWindowVisible(host.get()));
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
        EXPECT_FALSE(::IsWindowVisible(host.get())) << "hidden while the cover is up";
        ExpectRefused(ui, cover, "wrong");
        EXPECT_FALSE(::IsWindowVisible(host.get())) << "still hidden after a failed attempt";
        Unlock(cover, "pw");
    }));
    EXPECT_TRUE(::IsWindowVisible(host.get())) << "shown again after unlock";
}

TEST_F(CoverTest, HostWindowsStayHiddenWhateverTheClientDoesUntilUnlock)
{
    WriteInt(kKeyHideEudora, 1);
    StorePassword("pw");
    HostMainWindow host;
    ToolWindow floating(host.get(), true);
    ToolWindow closedTool(host.get(), false);
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
        EXPECT_FALSE(::IsWindowVisible(floating.get())) << "the floating tool window goes with the main window";
        g_paints = 0;
        g_showWindowMessages = 0;
        for (WPARAM action : {kNewMail, kNewMessageFromTray, kSetWindowPosShow, kMinimiseAndRestore,
                              kShowWindowAsync, kDeferWindowPos, kSetWindowPlacement}) {
            SCOPED_TRACE(action);
            ::SendMessageA(host.get(), kClientActionMessage, action, 0);
            EXPECT_FALSE(::IsWindowVisible(host.get()));
            ::SendMessageA(floating.get(), WM_NULL, 0, 0);
            ::ShowWindow(floating.get(), SW_SHOWNA);
            EXPECT_FALSE(::IsWindowVisible(floating.get()));
            Flush(cover);
            EXPECT_EQ(Item(cover, IDC_COVER_PASSWORD), FocusOf(ui)) << "the cover keeps the keyboard";
        }
        EXPECT_EQ(0, g_paints) << "the mail client's window is never drawn while the cover is up";
        g_showWindowMessages = 0;
        Unlock(cover, "pw");
    }));
    EXPECT_TRUE(::IsWindowVisible(host.get()));
    EXPECT_EQ(1, g_showWindowMessages) << "the main window is shown once";
    EXPECT_TRUE(::IsWindowVisible(floating.get())) << "the tool window that was up comes back";
    EXPECT_FALSE(::IsWindowVisible(closedTool.get())) << "one that was closed stays closed";
    EXPECT_EQ(host.get(), ::GetForegroundWindow()) << "the keyboard goes to the main window";
    EXPECT_EQ(host.get(), ::GetActiveWindow());

    // Nothing of the guard remains: the client hides and shows its window freely.
    ::ShowWindow(host.get(), SW_HIDE);
    ::SendMessageA(host.get(), kClientActionMessage, kNewMail, 0);
    EXPECT_TRUE(::IsWindowVisible(host.get()));
}

// Every other window of the client, whoever makes it and however it is shown, is held
// while the cover is up and ends at unlock as the client last asked.
enum class Made { BeforeCover, DuringCover, OtherThreadBefore, OtherThreadDuring };
enum class Act { Show, ShowAsync, SetWindowPosShow, ShowAsProgress, Restore, Maximise, StyleVisible, CreatedVisible, NeverShown, ShowThenDestroy };
struct HeldCase {
    const char* name;
    Made made;
    bool owned;
    Act act;
    // Only the clock tick can see it: it may show for a moment (and paint) first.
    bool onlyTheTick;
};
const HeldCase kHeldCases[] = {
    {"progress window: new, owned, shown while the main window is disabled", Made::DuringCover, true, Act::ShowAsProgress, false},
    {"reminder: new, owned, restored", Made::DuringCover, true, Act::Restore, false},
    {"owned window hidden at lock time, shown during it", Made::BeforeCover, true, Act::Show, false},
    {"new top-level window without owner, made visible", Made::DuringCover, false, Act::CreatedVisible, false},
    {"window of another thread, made and shown there", Made::OtherThreadDuring, false, Act::Show, false},
    {"WS_VISIBLE set directly", Made::BeforeCover, true, Act::StyleVisible, false},
    {"maximised while held", Made::BeforeCover, true, Act::Maximise, false},
    {"made and never shown", Made::DuringCover, true, Act::NeverShown, false},
    {"shown, then destroyed under the cover", Made::DuringCover, true, Act::ShowThenDestroy, false},
    {"WS_VISIBLE set by another thread on its window from before", Made::OtherThreadBefore, false, Act::StyleVisible, true},
    {"window of another thread from before, shown there", Made::OtherThreadBefore, false, Act::Show, false},
    {"window of another thread from before, ShowWindowAsync there", Made::OtherThreadBefore, false, Act::ShowAsync, false},
    {"window of another thread from before, SetWindowPos there", Made::OtherThreadBefore, false, Act::SetWindowPosShow, false},
};

// Does what the case says to `window` (made now when it is null) on the calling thread;
// returns the window and whether it was visible right after.
HWND ActOn(const HeldCase& c, HWND window, HWND main, bool& visibleAfter)
{
    const HWND owner = c.owned ? main : nullptr;
    if (window == nullptr)
        window = MakeClientWindow(owner, WS_POPUP | WS_CAPTION | (c.act == Act::CreatedVisible ? WS_VISIBLE : 0));
    switch (c.act) {
    case Act::Show: ::ShowWindow(window, SW_SHOW); break;
    case Act::ShowAsync: ::ShowWindowAsync(window, SW_SHOW); break;
    case Act::SetWindowPosShow:
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        break;
    case Act::ShowAsProgress:
        ::EnableWindow(main, FALSE);
        ::ShowWindow(window, SW_SHOWNA);
        break;
    case Act::Restore: ::ShowWindow(window, SW_RESTORE); break;
    case Act::Maximise: ::ShowWindow(window, SW_SHOWMAXIMIZED); break;
    case Act::StyleVisible:
        ::SetWindowLongA(window, GWL_STYLE, ::GetWindowLongA(window, GWL_STYLE) | WS_VISIBLE);
        break;
    case Act::ShowThenDestroy: ::ShowWindow(window, SW_SHOW); break;
    default: break;
    }
    // Paints at once whatever is visible.
    ::UpdateWindow(window);
    visibleAfter = ::IsWindowVisible(window) != FALSE;
    if (c.act == Act::ShowAsProgress) {
        ::EnableWindow(main, TRUE);
        ::SetForegroundWindow(main);
    }
    if (c.act == Act::ShowThenDestroy)
        ::DestroyWindow(window);
    return window;
}

TEST_F(CoverTest, EveryWindowOfTheClientIsHeldAndEndsAsTheClientLastAsked)
{
    WriteInt(kKeyHideEudora, 1);
    HostMainWindow host;
    std::vector<std::unique_ptr<ThreadWindow>> threads;
    std::vector<HWND> windows(std::size(kHeldCases), nullptr);
    for (size_t i = 0; i < std::size(kHeldCases); ++i) {
        if (kHeldCases[i].made == Made::BeforeCover)
            windows[i] = MakeClientWindow(kHeldCases[i].owned ? host.get() : nullptr);
        if (kHeldCases[i].made == Made::OtherThreadBefore) {
            threads.push_back(std::make_unique<ThreadWindow>());
            windows[i] = threads.back()->get();
        }
    }
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
        for (size_t i = 0; i < std::size(kHeldCases); ++i) {
            const HeldCase& c = kHeldCases[i];
            SCOPED_TRACE(c.name);
            bool visibleAfter = true;
            if (c.made == Made::OtherThreadDuring) {
                threads.push_back(std::make_unique<ThreadWindow>());
                windows[i] = threads.back()->get();
            }
            const HWND target = windows[i] != nullptr ? windows[i] : host.get();
            RunOn(target, [&] { windows[i] = ActOn(c, windows[i], host.get(), visibleAfter); });
            if (c.onlyTheTick) {
                EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(windows[i]); }, 3000)) << "the clock tick hides it";
            } else {
                EXPECT_FALSE(visibleAfter) << "visible";
            }
            Flush(cover);
            if (!c.onlyTheTick && c.act != Act::ShowThenDestroy) {
                EXPECT_EQ(0, PaintsOf(windows[i])) << "painted";
            }
            EXPECT_EQ(Item(cover, IDC_COVER_PASSWORD), FocusOf(ui)) << "the cover keeps the keyboard";
        }
        EXPECT_EQ(0, PaintsOf(host.get()));
        Unlock(cover, "");
    }));
    for (size_t i = 0; i < std::size(kHeldCases); ++i) {
        const HeldCase& c = kHeldCases[i];
        SCOPED_TRACE(c.name);
        if (c.act == Act::ShowThenDestroy) {
            EXPECT_FALSE(::IsWindow(windows[i]));
            continue;
        }
        EXPECT_EQ(c.act != Act::NeverShown, ::IsWindowVisible(windows[i]) != FALSE) << "as last asked";
        EXPECT_EQ(c.act == Act::Maximise, ::IsZoomed(windows[i]) != FALSE);
        if (c.made == Made::BeforeCover || c.made == Made::DuringCover)
            ::DestroyWindow(windows[i]);
    }
    EXPECT_EQ(host.get(), ::GetForegroundWindow()) << "the keyboard goes to the main window";
}

// Windows' own way in: a window of another thread from before the cover, shown again by
// that thread while it takes no messages (so nothing else can reach it there), is hidden
// by the show event in that thread before ShowWindow returns, never painted; the clock
// tick finds nothing left to do.
TEST_F(CoverTest, AWindowShownByAThreadThatTakesNoMessagesIsHiddenThereByTheShowEvent)
{
    if (!ShowEventsReachInContextHooks())
        GTEST_SKIP() << "this wine tells in-context event hooks of no shown window (wine 8 tells "
                        "them only of new ones): the guard's event path cannot run here";
    WriteInt(kKeyHideEudora, 1);
    HostMainWindow host;
    ThreadWindow other(ThreadWindow::kSilentUntilShown);
    // From the show on: hides by the clock tick [0], by the show event [1].
    struct CountHides : GuardObserver {
        void Hid(bool byEvent) noexcept override
        {
            if (counting)
                ::InterlockedIncrement(&hides[byEvent]);
        }
        volatile bool counting = false;
        LONG hides[2] = {};
    } observer;
    CoverDialog coverDialog(TestSettings(), kProductName, nullptr, &observer);
    EXPECT_EQ(1, RunCover(coverDialog, [&](DWORD, HWND cover) {
        observer.counting = true;
        EXPECT_FALSE(other.ShowThere()) << "visible when ShowWindow returned in its thread";
        // Two clock ticks, for the tick to have had its chance.
        ::Sleep(1100);
        Flush(cover);
        observer.counting = false;
        EXPECT_EQ(1, observer.hides[1]) << "hidden by the show event";
        EXPECT_EQ(0, observer.hides[0]) << "hidden by the clock tick";
        EXPECT_FALSE(::IsWindowVisible(other.get()));
        EXPECT_EQ(0, PaintsOf(other.get())) << "painted";
        Unlock(cover, "");
    }));
    EXPECT_TRUE(::IsWindowVisible(other.get())) << "back at unlock, as the client last asked";
}

// The client's new-mail alert is owned by the main window's last active popup: the
// cover, while it is up. Hidden, it would leave the cover disabled behind it for good.
TEST_F(CoverTest, TheClientsAlertOwnedByTheCoverStaysVisibleAndUsable)
{
    WriteInt(kKeyHideEudora, 1);
    HostMainWindow host;
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
        ASSERT_EQ(cover, ::GetLastActivePopup(host.get()));
        const Action showAlert = [&] {
            ::MessageBoxA(::GetLastActivePopup(host.get()), "You have new mail.", "New Mail", MB_OK);
        };
        ::PostMessageA(host.get(), kRunHereMessage, 0, reinterpret_cast<LPARAM>(&showAlert));
        HWND alert = WaitForThreadDialog(ui, "New Mail");
        ASSERT_NE(nullptr, alert);
        EXPECT_EQ(cover, ::GetWindow(alert, GW_OWNER));
        EXPECT_FALSE(::IsWindowEnabled(cover)) << "the alert is modal";
        // A window the alert owns (a box the alert's handler puts up) is the cover's too.
        HWND ownedByAlert = nullptr;
        RunOn(host.get(), [&] { ownedByAlert = MakeClientWindow(alert, WS_POPUP | WS_CAPTION | WS_VISIBLE); });
        // Two clock ticks: the alert stays up and keeps the keyboard.
        ::Sleep(1100);
        EXPECT_TRUE(::IsWindowVisible(alert));
        EXPECT_TRUE(::IsWindowVisible(ownedByAlert)) << "a window the alert owns";
        RunOn(host.get(), [&] { ::DestroyWindow(ownedByAlert); });
        EXPECT_EQ(alert, ::GetForegroundWindow());
        DismissMessageBox(alert);
        ASSERT_TRUE(WaitForGone(alert));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(cover) != FALSE; }));
        Unlock(cover, "");
    }));
}

TEST_F(CoverTest, HostWindowIsNeverTouchedUnlessTheSwitchIsOne)
{
    HostMainWindow host;
    ToolWindow floating(host.get(), true);
    for (int value : {0, 2}) {
        SCOPED_TRACE(value);
        WriteInt(kKeyHideEudora, value);
        g_showWindowMessages = 0;
        EXPECT_EQ(1, RunCover([&](DWORD, HWND cover) {
            EXPECT_TRUE(::IsWindowVisible(host.get()));
            EXPECT_TRUE(::IsWindowVisible(floating.get()));
            ::ShowWindow(host.get(), SW_HIDE);
            ::SendMessageA(host.get(), kClientActionMessage, kNewMail, 0);
            EXPECT_TRUE(::IsWindowVisible(host.get())) << "nothing is kept hidden";
            g_showWindowMessages = 0;
            Unlock(cover, "");
        }));
        EXPECT_TRUE(::IsWindowVisible(host.get()));
        EXPECT_EQ(0, g_showWindowMessages);
    }
}

TEST_F(CoverTest, ARunEndedByQuitShowsNothingOfTheClientAndTheLockStaysRecorded)
{
    WriteInt(kKeyHideEudora, 1);
    StorePassword("pw");
    WriteString(kKeyMemoPadText, "before");
    HostMainWindow host;
    ToolWindow floating(host.get(), true);
    bool quitPostedAgain = false;
    std::string lockedWhileUp;
    CoverDialog cover(TestSettings(), kProductName);
    const INT_PTR result = RunWithDriver(
        [&] {
            const INT_PTR r = cover.DoModal();
            MSG msg;
            quitPostedAgain = ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
            return r;
        },
        [&](DWORD ui) {
            HWND window = WaitForThreadDialog(ui, "Eudora");
            ASSERT_NE(nullptr, window);
            EXPECT_FALSE(::IsWindowVisible(host.get()));
            WaitUntil([&] { return (lockedWhileUp = Stored(kKeyLocked)) == "1"; }, 2000);
            SetItemText(window, IDC_COVER_MEMO, "typed");
            ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
            EXPECT_TRUE(WaitForGone(window));
        });
    EXPECT_EQ(CDialog::kNoResult, result);
    EXPECT_TRUE(quitPostedAgain);
    EXPECT_EQ("1", lockedWhileUp) << "a cover records the lock as it comes up";
    EXPECT_EQ("1", Stored(kKeyLocked)) << "the lock outlives the client";
    EXPECT_FALSE(::IsWindowVisible(host.get())) << "the client is going away: nothing of it is shown";
    EXPECT_FALSE(::IsWindowVisible(floating.get()));
    EXPECT_EQ("typed", Stored(kKeyMemoPadText)) << "the client's Exit ends the run with a quit message";
    // Nothing of the guard is left behind.
    ::ShowWindow(host.get(), SW_SHOWNA);
    EXPECT_TRUE(::IsWindowVisible(host.get()));
}

TEST_F(CoverTest, TheEndOfTheSessionEndsTheCoverWithTheMemoSavedAndTheLockRecorded)
{
    WriteInt(kKeyHideEudora, 1);
    StorePassword("pw");
    HostMainWindow host;
    LRESULT query = 0;
    EXPECT_EQ(CDialog::kNoResult, RunCover([&](DWORD, HWND cover) {
        SetItemText(cover, IDC_COVER_MEMO, "call Ann\r\nback");
        query = ::SendMessageA(cover, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        ::SendMessageA(cover, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_FALSE(::IsWindow(cover)) << "gone before the session ends";
    }));
    EXPECT_EQ(TRUE, query) << "the cover never holds up the end of the session";
    EXPECT_EQ("call Ann\tback", Stored(kKeyMemoPadText));
    EXPECT_EQ("1", Stored(kKeyLocked));
    EXPECT_FALSE(::IsWindowVisible(host.get()));
}

TEST_F(CoverTest, NoHostWindowWithTheSwitchOnStillUnlocks)
{
    WriteInt(kKeyHideEudora, 1);
    ASSERT_EQ(nullptr, ::FindWindowExA(nullptr, nullptr, "EudoraMainWindow", nullptr));
    EXPECT_EQ(1, RunCover([](DWORD, HWND cover) { Unlock(cover, ""); }));
}

} // namespace
