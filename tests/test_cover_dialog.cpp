// The real cover, run modally on the test's main thread and driven from a second
// thread: unlock, the key filter, the memo pad, hiding the host window, stretch, clock.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cover/CoverDialog.h"
#include "cover/CoverTexts.h"
#include "cover/guard/HostWindowGuard.h"
#include "settings/MemoCodec.h"
#include "settings/PasswordScrambler.h"
#include "settings/Settings.h"
#include "settings/SettingsLimits.h"
#include "settings/SettingsStore.h"
#include "support/DialogTemplate.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"

using namespace testing_support;

namespace {

const char* const kProductName = "Velmora Cover Test";
using Driver = std::function<void(DWORD ui, HWND cover)>;

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

// ---- driving the cover -------------------------------------------------------------

HWND Item(HWND cover, int id)
{
    return ::GetDlgItem(cover, id);
}

struct Refusal {
    bool shown = false;
    std::string text;
    std::string caption;
    HWND owner = nullptr;
    bool okOnly = false;
};

// Types `typed` and presses Unlock, expecting a refusal; reads and dismisses its box.
Refusal TryRefused(DWORD ui, HWND cover, const std::string& typed)
{
    Refusal refusal;
    SetItemText(cover, IDC_COVER_PASSWORD, typed);
    PostClick(cover, IDC_COVER_UNLOCK);
    HWND box = WaitForOtherDialog(ui, cover, 5000);
    if (box == nullptr)
        return refusal;
    refusal.shown = true;
    refusal.text = MessageBoxText(box);
    refusal.caption = WindowText(box);
    refusal.owner = ::GetWindow(box, GW_OWNER);
    refusal.okOnly = ::GetDlgItem(box, IDOK) != nullptr && ::GetDlgItem(box, IDCANCEL) == nullptr &&
                     ::GetDlgItem(box, IDYES) == nullptr && ::GetDlgItem(box, IDNO) == nullptr;
    DismissMessageBox(box);
    WaitForGone(box);
    return refusal;
}

// The focus back in the password edit with all of its text selected: typing replaces
// the last try.
void ExpectReadyForNextTry(DWORD ui, HWND cover)
{
    HWND edit = ::GetDlgItem(cover, IDC_COVER_PASSWORD);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == edit; }, 2000)) << "the focus is not in the password edit";
    DWORD start = 1, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowTextLengthA(edit)), end) << "the text is not all selected";
}

void ExpectRefused(DWORD ui, HWND cover, const std::string& typed)
{
    const Refusal refusal = TryRefused(ui, cover, typed);
    ASSERT_TRUE(refusal.shown) << "no message for the wrong password [" << typed << "]";
    EXPECT_EQ("Incorrect Password.", refusal.text);
    EXPECT_EQ(kProductName, refusal.caption);
    EXPECT_EQ(cover, refusal.owner);
    EXPECT_TRUE(refusal.okOnly);
    EXPECT_TRUE(::IsWindowVisible(cover)) << "a wrong password leaves the cover up";
    EXPECT_EQ(typed, ItemText(cover, IDC_COVER_PASSWORD)) << "the typed text stays";
    ExpectReadyForNextTry(ui, cover);
}

void Unlock(HWND cover, const std::string& typed)
{
    SetItemText(cover, IDC_COVER_PASSWORD, typed);
    PostClick(cover, IDC_COVER_UNLOCK);
    EXPECT_TRUE(WaitForGone(cover)) << "the password [" << typed << "] did not unlock";
}

// Waits until everything posted to the cover so far, and what handling it posted in
// turn, has been handled: a marker character typed into the password edit is seen
// there, three rounds deep.
void Flush(HWND cover)
{
    HWND edit = Item(cover, IDC_COVER_PASSWORD);
    const std::string before = WindowText(edit);
    for (int round = 0; round < 3; ++round) {
        ::PostMessageA(edit, WM_CHAR, '~', 1);
        ASSERT_TRUE(WaitUntil([&] { return WindowText(edit) != before; }, 3000));
        SetItemText(cover, IDC_COVER_PASSWORD, before);
    }
}

void FocusControl(DWORD ui, HWND cover, int id)
{
    ::PostMessageA(cover, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(cover, id)), TRUE);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == Item(cover, id); }, 3000));
}

// Types into an edit, '\n' standing for the Enter key. The character that Enter makes
// is posted by the dialog's own loop, behind whatever is already queued, so each run
// of characters is waited for before the next key.
void Type(HWND edit, const std::string& text)
{
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const int before = ::GetWindowTextLengthA(edit);
        PostChars(edit, text.substr(start, end - start));
        int expected = before + static_cast<int>(end - start);
        if (end < text.size()) {
            PostKey(edit, VK_RETURN);
            expected += 2;
        }
        ASSERT_TRUE(WaitUntil([&] { return ::GetWindowTextLengthA(edit) == expected; }, 3000))
            << "typing [" << text.substr(start, end - start) << "]";
        start = end + 1;
    }
}

// Posts a key press the way the keyboard delivers it to the focused window.
void PostKeyMessages(HWND window, UINT down, UINT up, WPARAM key, LPARAM flags = 0)
{
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
    ::PostMessageA(window, down, key, 1 | scan | flags);
    ::PostMessageA(window, up, key, 1 | scan | flags | static_cast<LPARAM>(0xC0000000u));
}

class CoverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.File("velmora.ini");
        UseSettingsFile(path_);
    }

    void WriteInt(const char* key, int value) { ASSERT_TRUE(StoreInt(key, value, path_)); }
    void WriteString(const char* key, const std::string& value)
    {
        ASSERT_TRUE(StoreString(key, value, path_));
    }
    void StorePassword(const std::string& plain) { WriteString(kKeyPassword, Scramble(plain, ScramblerKey)); }
    std::string Stored(const char* key) { return StoredString(key, "<missing>", path_); }

    // Runs `cover` here while `drive` acts on it from another thread; if the driver
    // leaves it open, the run is ended by WM_QUIT and the test fails.
    INT_PTR RunCover(CoverDialog& cover, const Driver& drive)
    {
        return RunWithDriver([&] { return cover.DoModal(); },
                             [&](DWORD ui) {
                                 HWND window = WaitForThreadDialog(ui, "Eudora");
                                 if (window == nullptr) {
                                     ADD_FAILURE() << "no window with the text \"Eudora\" appeared";
                                     ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
                                     return;
                                 }
                                 drive(ui, window);
                                 if (!WaitForGone(window)) {
                                     ADD_FAILURE() << "the cover is still open after the driver";
                                     ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
                                 }
                             });
    }
    INT_PTR RunCover(const Driver& drive)
    {
        CoverDialog cover(TestSettings(), kProductName);
        return RunCover(cover, drive);
    }

    ScratchDir dir_;
    std::string path_;
};

// ---- unlock ---------------------------------------------------------------------

TEST_F(CoverTest, WrongPasswordIsRefusedAndTheRightOneUnlocks)
{
    StorePassword("Open4Me");
    const INT_PTR result = RunCover([](DWORD ui, HWND cover) {
        for (const char* wrong : {"open4me", "Open4Me ", "Open4", "x"})
            ExpectRefused(ui, cover, wrong);
        Unlock(cover, "Open4Me");
    });
    EXPECT_EQ(1, result);
}

TEST_F(CoverTest, EveryAttemptReadsTheStoredPasswordAfresh)
{
    StorePassword("first");
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        ExpectRefused(ui, cover, "second");
        StorePassword("second");
        ExpectRefused(ui, cover, "first");
        Unlock(cover, "second");
    });
    EXPECT_EQ(1, result);
}

TEST_F(CoverTest, PasswordWhoseStoredFormNeedsQuotingStillUnlocks)
{
    // '#' scrambles to TAB and '0' to Ctrl+Z: the stored form starts and ends with
    // characters a plain profile read would strip.
    const std::string password = "#0Pass0#";
    StorePassword(password);
    ASSERT_EQ('\t', Stored(kKeyPassword).front());
    ASSERT_EQ('\t', Stored(kKeyPassword).back());
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        ExpectRefused(ui, cover, "0Pass0");
        ExpectRefused(ui, cover, "Pass");
        Unlock(cover, password);
    });
    EXPECT_EQ(1, result);
}

TEST_F(CoverTest, EmptyOrMissingPasswordUnlocksWithAnEmptyEdit)
{
    struct Case {
        const char* name;
        std::string file;
    } cases[] = {
        {"empty value", "[Settings]\r\nPassword=\r\n"},
        {"missing key", "[Settings]\r\nStretch=0\r\n"},
        {"missing file", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileA(path_.c_str());
        if (!c.file.empty())
            WriteFileBytes(path_, c.file);
        const INT_PTR result = RunCover([](DWORD ui, HWND cover) {
            ExpectRefused(ui, cover, "x");
            Unlock(cover, "");
        });
        EXPECT_EQ(1, result);
    }
}

// ---- the opened cover -----------------------------------------------------------

// Records what initialisation left behind, before any timer message can arrive.
class ObservedCover : public CoverDialog {
public:
    ObservedCover() : CoverDialog(TestSettings(), kProductName) {}

    std::string clockAfterInit;
    std::string dateAfterInit;
    ClockReading readingAfterInit;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CoverDialog::OnInitDialog();
        clockAfterInit = ItemText(m_hWnd, IDC_COVER_CLOCK);
        dateAfterInit = ItemText(m_hWnd, IDC_COVER_DATE);
        readingAfterInit = CurrentReading();
        return result;
    }
};

TEST_F(CoverTest, OpensTitledEudoraWithFocusOnThePasswordEditAndClockAndDateShown)
{
    ObservedCover cover;
    std::string firstClock;
    std::string laterClock;
    std::string dateLater;
    bool zoomed = true;
    const INT_PTR result = RunCover(cover, [&](DWORD ui, HWND window) {
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == Item(window, IDC_COVER_PASSWORD); }, 3000));
        zoomed = ::IsZoomed(window) != FALSE;
        // The clock moves on within a couple of ticks.
        firstClock = ItemText(window, IDC_COVER_CLOCK);
        EXPECT_TRUE(WaitUntil([&] { return ItemText(window, IDC_COVER_CLOCK) != firstClock; }, 2500));
        laterClock = ItemText(window, IDC_COVER_CLOCK);
        dateLater = ItemText(window, IDC_COVER_DATE);
        Unlock(window, "");
    });
    EXPECT_EQ(1, result);
    EXPECT_FALSE(zoomed) << "Stretch is off by default";

    // The clock and date were set during initialisation, before the first tick.
    const ClockReading r = cover.readingAfterInit;
    EXPECT_EQ(DateText(r), cover.dateAfterInit);
    int h = -1, m = -1, s = -1;
    ASSERT_EQ(3, std::sscanf(cover.clockAfterInit.c_str(), "%d:%d:%d", &h, &m, &s)) << cover.clockAfterInit;
    EXPECT_LE(((r.hour * 60 + r.minute) * 60 + r.second) - ((h * 60 + m) * 60 + s), 1)
        << cover.clockAfterInit << " vs " << ClockText(r);
    EXPECT_NE(firstClock, laterClock);
    EXPECT_EQ(3, std::sscanf(laterClock.c_str(), "%d:%d:%d", &h, &m, &s)) << laterClock;
    EXPECT_EQ(cover.dateAfterInit, dateLater) << "the date line is not rebuilt on a tick";
}

// Records whether the cover was topmost as it was first shown (maximised, it is told
// of no WM_SHOWWINDOW under wine).
class FirstShowCover : public CoverDialog {
public:
    FirstShowCover() : CoverDialog(TestSettings(), kProductName) {}
    bool shown = false;
    bool topmostAtFirstShow = false;

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override
    {
        if (msg == WM_WINDOWPOSCHANGED && !shown && ::IsWindowVisible(m_hWnd)) {
            shown = true;
            topmostAtFirstShow = (::GetWindowLongA(m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        }
        return CoverDialog::OnMessage(msg, wParam, lParam, result);
    }
};

bool Topmost(HWND window)
{
    return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

TEST_F(CoverTest, StretchOneKeepsTheCoverMaximisedTopmostWithControlsAtTemplatePlaces)
{
    struct Control {
        int id;
        RECT templateRect; // x, y, width, height in dialog units
    } controls[] = {
        {IDC_COVER_PASSWORD, {78, 179, 107, 12}},
        {IDC_COVER_UNLOCK, {193, 179, 42, 12}},
        {IDC_COVER_MEMO, {13, 18, 215, 112}},
        {IDC_COVER_CLOCK, {73, 147, 94, 10}},
        {IDC_COVER_DATE, {15, 163, 211, 10}},
    };
    for (int stretch : {1, 2}) {
        SCOPED_TRACE(stretch);
        WriteInt(kKeyStretch, stretch);
        FirstShowCover observed;
        const INT_PTR result = RunCover(observed, [&](DWORD, HWND cover) {
            // Let the loop run and go idle a few times: a normal show on the way must
            // not have undone the maximised state.
            ::Sleep(400);
            Flush(cover);
            EXPECT_EQ(stretch == 1, ::IsZoomed(cover) != FALSE);
            EXPECT_EQ(stretch == 1, Topmost(cover));
            RECT window{};
            ::GetWindowRect(cover, &window);
            RECT work{};
            ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            if (stretch == 1) {
                EXPECT_LE(window.left, work.left);
                EXPECT_LE(window.top, work.top);
                EXPECT_GE(window.right, work.right);
                EXPECT_GE(window.bottom, work.bottom);
            } else {
                EXPECT_LT(window.right - window.left, work.right - work.left);
            }
            for (const Control& c : controls) {
                // Position and size are converted apart, as the dialog manager does.
                RECT expected = c.templateRect; // x, y, cx, cy
                ASSERT_TRUE(::MapDialogRect(cover, &expected));
                RECT actual{};
                ::GetWindowRect(Item(cover, c.id), &actual);
                ::MapWindowPoints(nullptr, cover, reinterpret_cast<POINT*>(&actual), 2);
                EXPECT_EQ(expected.left, actual.left) << "control " << c.id;
                EXPECT_EQ(expected.top, actual.top) << "control " << c.id;
                EXPECT_EQ(expected.right, actual.right - actual.left) << "control " << c.id;
                EXPECT_EQ(expected.bottom, actual.bottom - actual.top) << "control " << c.id;
            }
            Unlock(cover, "");
        });
        EXPECT_EQ(1, result);
        EXPECT_TRUE(observed.shown);
        EXPECT_EQ(stretch == 1, observed.topmostAtFirstShow) << "no window of the client can come above it";
    }
}

// ---- the dialog template -----------------------------------------------------------

TEST(CoverTemplate, MatchesTheCoverLayout)
{
    DialogTemplate t;
    ASSERT_TRUE(ReadDialogTemplate(nullptr, IDD_COVER, t));
    ExpectVelmoraFrame(t, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT), 242, 198);

    struct Control {
        int id;
        const char* className;
        const char* text;
        DWORD style;
        DWORD exStyle;
        short x, y, cx, cy;
    } expected[] = {
        {-1, "STATIC", "Velmora &Password:", SS_LEFT | WS_GROUP, 0, 7, 181, 68, 10},
        {IDC_COVER_PASSWORD, "EDIT", "", ES_PASSWORD | WS_BORDER | WS_GROUP | WS_TABSTOP, 0, 78, 179, 107, 12},
        {IDC_COVER_UNLOCK, "BUTTON", "&Unlock", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_FLAT | WS_TABSTOP, 0,
         193, 179, 42, 12},
        {-1, "BUTTON", " &Memo Pad", BS_GROUPBOX | WS_GROUP, 0, 7, 7, 228, 131},
        {-1, "STATIC", "Memo Pad", SS_LEFT | SS_NOPREFIX, 0, 13, 18, 0, 0},
        {IDC_COVER_MEMO, "EDIT", "", ES_MULTILINE | ES_OEMCONVERT | ES_WANTRETURN | WS_GROUP | WS_TABSTOP,
         WS_EX_STATICEDGE, 13, 18, 215, 112},
        {IDC_COVER_CLOCK, "STATIC", "sat/datum", SS_CENTER | WS_GROUP, 0, 73, 147, 94, 10},
        {IDC_COVER_DATE, "STATIC", "datum", SS_CENTER | WS_GROUP, 0, 15, 163, 211, 10},
        {IDC_COVER_WRONG_PASSWORDS, "STATIC", "", SS_CENTER | SS_NOPREFIX | WS_GROUP, 0, 7, 196, 228, 24},
        {IDC_COVER_CAPS_LOCK, "STATIC", "", SS_RIGHT | SS_NOPREFIX | WS_GROUP, 0, 169, 147, 66, 10},
        {IDC_COVER_NO_PASSWORD, "STATIC", "", SS_CENTER | SS_NOPREFIX | WS_GROUP, 0, 7, 222, 228, 20},
        {IDC_COVER_LOCK_UNRECORDED, "STATIC", "", SS_CENTER | SS_NOPREFIX | WS_GROUP, 0, 7, 243, 228, 20},
        {IDC_COVER_MEMO_PART, "STATIC", "", SS_CENTER | SS_NOPREFIX | WS_GROUP, 0, 7, 263, 228, 10},
        {IDC_COVER_FILE_UNREADABLE, "STATIC", "", SS_CENTER | SS_NOPREFIX | WS_GROUP, 0, 7, 273, 228, 20},
    };
    ASSERT_EQ(std::size(expected), t.controls.size());
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const Control& c = expected[i];
        const TemplateControl& got = t.controls[i];
        SCOPED_TRACE(c.text);
        EXPECT_EQ(0u, got.helpId);
        EXPECT_EQ(c.exStyle, got.exStyle);
        EXPECT_EQ(c.style | WS_CHILD | WS_VISIBLE, got.style);
        EXPECT_EQ(c.x, got.x);
        EXPECT_EQ(c.y, got.y);
        EXPECT_EQ(c.cx, got.cx);
        EXPECT_EQ(c.cy, got.cy);
        EXPECT_EQ(c.id, got.id);
        EXPECT_EQ(c.className, got.className);
        EXPECT_EQ(c.text, got.text);
        EXPECT_EQ(0, got.creationDataSize);
    }
}

TEST_F(CoverTest, OpenCoverHasNoTitleBarNoDefaultButtonAndALimitedMemo)
{
    const INT_PTR result = RunCover([](DWORD, HWND cover) {
        const LONG style = ::GetWindowLongA(cover, GWL_STYLE);
        EXPECT_NE(WS_CAPTION, style & WS_CAPTION) << "no title bar";
        EXPECT_FALSE(style & WS_SYSMENU);
        const LRESULT defId = ::SendMessageA(cover, DM_GETDEFID, 0, 0);
        const HWND defaultControl = HIWORD(defId) == DC_HASDEFID ? Item(cover, LOWORD(defId)) : nullptr;
        EXPECT_EQ(nullptr, defaultControl) << "no control acts as the default button";
        const LONG unlockStyle = ::GetWindowLongA(Item(cover, IDC_COVER_UNLOCK), GWL_STYLE);
        EXPECT_NE(BS_DEFPUSHBUTTON, unlockStyle & BS_TYPEMASK);
        EXPECT_EQ(static_cast<LRESULT>(kMemoTypedLimit),
                  ::SendMessageA(Item(cover, IDC_COVER_MEMO), EM_GETLIMITTEXT, 0, 0));
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
}

// ---- the key filter and the close command ------------------------------------------

TEST_F(CoverTest, EnterNeverUnlocksButStartsANewLineInTheMemoPad)
{
    StorePassword("right");
    const INT_PTR result = RunCover([](DWORD ui, HWND cover) {
        // The right password typed, then Enter in the edit and on the Unlock button.
        SetItemText(cover, IDC_COVER_PASSWORD, "right");
        for (int target : {IDC_COVER_PASSWORD, IDC_COVER_UNLOCK}) {
            FocusControl(ui, cover, target);
            PostKey(Item(cover, target), VK_RETURN);
            Flush(cover);
            EXPECT_TRUE(::IsWindowVisible(cover)) << "Enter on control " << target;
            EXPECT_EQ(nullptr, FindThreadDialog(ui, kProductName)) << "no message either";
        }
        EXPECT_EQ("right", ItemText(cover, IDC_COVER_PASSWORD));

        FocusControl(ui, cover, IDC_COVER_MEMO);
        Type(Item(cover, IDC_COVER_MEMO), "one\ntwo");
        EXPECT_EQ("one\r\ntwo", ItemText(cover, IDC_COVER_MEMO));
        PostClick(cover, IDC_COVER_UNLOCK);
        EXPECT_TRUE(WaitForGone(cover));
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("one\ttwo", Stored(kKeyMemoPadText));
}

TEST_F(CoverTest, EscCtrlBreakCloseAndAltF4LeaveItOpen)
{
    const INT_PTR result = RunCover([](DWORD ui, HWND cover) {
        for (int target : {IDC_COVER_PASSWORD, IDC_COVER_MEMO, IDC_COVER_UNLOCK}) {
            FocusControl(ui, cover, target);
            HWND focused = Item(cover, target);
            PostKey(focused, VK_ESCAPE);
            PostKey(focused, VK_CANCEL);
            PostKeyMessages(focused, WM_KEYDOWN, WM_KEYUP, VK_CANCEL, static_cast<LPARAM>(KF_EXTENDED) << 16);
            PostKeyMessages(focused, WM_SYSKEYDOWN, WM_SYSKEYUP, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16);
            Flush(cover);
            EXPECT_TRUE(::IsWindowVisible(cover)) << "keys on control " << target;
        }
        ::PostMessageA(cover, WM_CLOSE, 0, 0);
        ::PostMessageA(cover, WM_SYSCOMMAND, SC_CLOSE, 0);
        Flush(cover);
        EXPECT_TRUE(::IsWindowVisible(cover)) << "the close command";
        EXPECT_EQ("", ItemText(cover, IDC_COVER_MEMO)) << "the dropped keys typed nothing";
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result) << "ended by Unlock, not by a cancel";
}

TEST_F(CoverTest, StandardCommandsPostedByAnyProgramDoNotEndIt)
{
    const INT_PTR result = RunCover([](DWORD, HWND cover) {
        for (WPARAM command : {IDOK, IDCANCEL}) {
            ::PostMessageA(cover, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
            Flush(cover);
            EXPECT_TRUE(::IsWindowVisible(cover)) << "command " << command;
        }
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
}

// ---- the memo pad ---------------------------------------------------------------

TEST_F(CoverTest, TypedMemoIsStoredOnOneLineWithTabsAndComesBackWhole)
{
    StorePassword("pw");
    const std::string memo = "  one\r\ntwo \r\n\r\n\"four\"  ";
    INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        EXPECT_EQ("", ItemText(cover, IDC_COVER_MEMO));
        FocusControl(ui, cover, IDC_COVER_MEMO);
        Type(Item(cover, IDC_COVER_MEMO), "  one\ntwo \n\n\"four\"  ");
        EXPECT_EQ(memo, ItemText(cover, IDC_COVER_MEMO));
        Unlock(cover, "pw");
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("  one\ttwo \t\t\"four\"  ", Stored(kKeyMemoPadText));
    EXPECT_NE(std::string::npos, ReadFileBytes(path_).find("MemoPadText=\"  one\ttwo \t\t\"four\"  \"\r\n"))
        << ReadFileBytes(path_);

    result = RunCover([&](DWORD, HWND cover) {
        EXPECT_EQ(memo, ItemText(cover, IDC_COVER_MEMO));
        Unlock(cover, "pw");
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("  one\ttwo \t\t\"four\"  ", Stored(kKeyMemoPadText)) << "unchanged by a second round";
}

TEST_F(CoverTest, StoredTabsOpenAsLineBreaksAndLoneBreaksAreStoredAsTabs)
{
    WriteString(kKeyMemoPadText, "a\tb");
    StorePassword("");
    const INT_PTR result = RunCover([](DWORD, HWND cover) {
        EXPECT_EQ("a\r\nb", ItemText(cover, IDC_COVER_MEMO));
        SetItemText(cover, IDC_COVER_MEMO, "x\ry\nz\r\n");
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("x\ty\tz\t", Stored(kKeyMemoPadText));
    EXPECT_EQ("", Stored(kKeyPassword)) << "the rest of the file is intact";
}

TEST_F(CoverTest, MemoAtTheLengthLimitIsStoredAndReadBackWhole)
{
    // 300 lines of 99 characters and a line break, blanks at both ends: the most the
    // pad takes, and on its own line the longest stored form.
    std::string memo;
    for (int line = 0; line < 300; ++line) {
        char text[16];
        std::snprintf(text, sizeof text, "%03d", line);
        memo += std::string(text) + std::string(96, line % 2 ? 'o' : 'e');
        memo += "\r\n";
    }
    memo.front() = ' ';
    memo.resize(kMemoTypedLimit - 1);
    memo += ' ';
    ASSERT_EQ(static_cast<size_t>(kMemoTypedLimit), memo.size());
    INT_PTR result = RunCover([&](DWORD, HWND cover) {
        EXPECT_EQ(static_cast<LRESULT>(kMemoTypedLimit),
                  ::SendMessageA(Item(cover, IDC_COVER_MEMO), EM_GETLIMITTEXT, 0, 0));
        SetItemText(cover, IDC_COVER_MEMO, memo);
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
    // The pad is given what its box shows; the file keeps the memo whole.
    result = RunCover([&](DWORD, HWND cover) {
        const std::string shown = ItemText(cover, IDC_COVER_MEMO);
        EXPECT_EQ(0, memo.compare(0, shown.size(), shown)) << "the memo's start";
        EXPECT_EQ(kMemoPartLine, ItemText(cover, IDC_COVER_MEMO_PART));
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(Stored(kKeyMemoPadText) == MemoToStored(memo)) << "the memo came back changed";
}

std::wstring WideItemText(HWND cover, int id)
{
    HWND item = Item(cover, id);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(item, &text[0], static_cast<int>(text.size()))));
    return text;
}

// A line of emoji longer than the box shows, after nothing and after one letter: the pad
// is given whole characters only, wherever the cut falls.
TEST_F(CoverTest, AnOverLongLineOfEmojiIsCutBetweenCharacters)
{
    StorePassword("");
    for (const wchar_t* start : {L"", L"a"}) {
        SCOPED_TRACE(start[0] == L'\0' ? "emoji only" : "after a letter");
        WideText memo(start, start + std::wcslen(start));
        for (int i = 0; i < 1200; ++i) {
            memo.push_back(0xD83D);
            memo.push_back(0xDE00);
        }
        ASSERT_TRUE(TestSettings().SaveMemoPadText(memo));
        RunCover([&](DWORD, HWND cover) {
            const std::wstring shown = WideItemText(cover, IDC_COVER_MEMO);
            ASSERT_FALSE(shown.empty());
            EXPECT_LT(shown.size(), memo.size());
            EXPECT_TRUE(std::equal(shown.begin(), shown.end(), memo.begin())) << "the start of the memo";
            EXPECT_FALSE(shown.back() >= 0xD800 && shown.back() <= 0xDBFF) << "half a character at the end";
            EXPECT_EQ(kMemoPartLine, ItemText(cover, IDC_COVER_MEMO_PART));
            Unlock(cover, "");
        });
    }
}

// Home and Left move the caret inside the memo; the next key lands there, not at the end.
TEST_F(CoverTest, AKeyAfterHomeOrLeftInTheMemoLandsAtTheCaret)
{
    WriteString(kKeyMemoPadText, "abc");
    StorePassword("");
    RunCover([&](DWORD ui, HWND cover) {
        HWND memo = Item(cover, IDC_COVER_MEMO);
        FocusControl(ui, cover, IDC_COVER_MEMO);
        PostKeyMessages(memo, WM_KEYDOWN, WM_KEYUP, VK_HOME);
        Type(memo, "X");
        EXPECT_EQ("Xabc", ItemText(cover, IDC_COVER_MEMO));
        PostKeyMessages(memo, WM_KEYDOWN, WM_KEYUP, VK_END);
        PostKeyMessages(memo, WM_KEYDOWN, WM_KEYUP, VK_LEFT);
        Type(memo, "Y");
        EXPECT_EQ("XabYc", ItemText(cover, IDC_COVER_MEMO));
        Unlock(cover, "");
    });
}

TEST_F(CoverTest, StoredMemoLongerThanThePadShowsOpensInPartAndIsKept)
{
    // 12000 TABs open as 24000 characters of line breaks: the pad is given the lines its
    // box shows, and the memo is stored back whole.
    std::string stored;
    for (int i = 0; i < 12000; ++i)
        stored += "x\t";
    WriteString(kKeyMemoPadText, stored);
    const INT_PTR result = RunCover([&](DWORD, HWND cover) {
        const std::string shown = ItemText(cover, IDC_COVER_MEMO);
        EXPECT_EQ(0, shown.find("x\r\nx\r\n"));
        EXPECT_LT(shown.size(), 100u);
        EXPECT_EQ(kMemoPartLine, ItemText(cover, IDC_COVER_MEMO_PART));
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(Stored(kKeyMemoPadText) == stored);
}

TEST_F(CoverTest, MemoSwitchOtherThanOneOpensEmptyAndLeavesTheStoredMemo)
{
    for (int value : {0, 2, -1}) {
        SCOPED_TRACE(value);
        WriteInt(kKeySaveMemoPadText, value);
        WriteString(kKeyMemoPadText, "kept\tsafe");
        const INT_PTR result = RunCover([](DWORD, HWND cover) {
            EXPECT_EQ("", ItemText(cover, IDC_COVER_MEMO));
            SetItemText(cover, IDC_COVER_MEMO, "typed meanwhile");
            Unlock(cover, "");
        });
        EXPECT_EQ(1, result);
        EXPECT_EQ("kept\tsafe", Stored(kKeyMemoPadText));
    }
}

// The memo is saved once the typing pauses for 1.5 s, within 2 s of the last key. The 2 s
// are measured from the moment the test saw the key in the memo pad (the cover had it
// then, or earlier) to the file's own time of the write: a loaded machine that makes the
// test late can only shorten what is measured.
constexpr DWORD kSavePauseMs = 1500;
constexpr ULONGLONG kSavePromiseMs = 2000;
// How long the test waits for a save at all, on a loaded machine.
constexpr DWORD kSaveWaitMs = 2000 + 3000;

ULONGLONG Milliseconds(const FILETIME& time)
{
    return ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000;
}

ULONGLONG NowMs()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return Milliseconds(now);
}

ULONGLONG WrittenMs(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return Milliseconds(data.ftLastWriteTime);
}

// While the cover is up the memo is saved once the typing pauses: one save per pause, a
// failed one silent and tried again at the next change.
TEST_F(CoverTest, TypingIsSavedOnceAfterItPausesAndAFailedSaveIsSilentAndRetried)
{
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        FocusControl(ui, cover, IDC_COVER_MEMO);
        HWND memo = Item(cover, IDC_COVER_MEMO);
        // Keys 250 ms apart for longer than the pause that saves. A file read sooner after
        // a key than the pause cannot show a save (a loaded machine may make the gap
        // longer: then the read proves nothing).
        ULONGLONG lastKeySeen = 0;
        for (char key : std::string("call Bob")) {
            const DWORD posted = ::GetTickCount();
            Type(memo, std::string(1, key));
            lastKeySeen = NowMs();
            ::Sleep(250);
            const std::string stored = Stored(kKeyMemoPadText);
            if (::GetTickCount() - posted < kSavePauseMs) {
                ASSERT_EQ("<missing>", stored) << "saved while typing";
            }
        }
        ASSERT_TRUE(WaitUntil([&] { return Stored(kKeyMemoPadText) == "call Bob"; }, kSaveWaitMs));
        const ULONGLONG written = WrittenMs(path_);
        EXPECT_LE(written, lastKeySeen + kSavePromiseMs) << "saved within 2 s of the last key";
        // Changed behind the cover's back: a second save would overwrite it.
        WriteString(kKeyMemoPadText, "other");
        ::Sleep(2500);
        EXPECT_EQ("other", Stored(kKeyMemoPadText)) << "one save per pause";

        // Another program holds the file: the save fails without a word.
        HANDLE held = ::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        Type(memo, "!");
        EXPECT_EQ(nullptr, WaitForOtherDialog(ui, cover, 2500)) << "a message over the cover";
        EXPECT_EQ("other", Stored(kKeyMemoPadText));
        ::CloseHandle(held);
        Type(memo, "?");
        EXPECT_TRUE(WaitUntil([&] { return Stored(kKeyMemoPadText) == "call Bob!?"; }, kSaveWaitMs))
            << "tried again at the next change";
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
}

// Nothing the user did not type is written while the cover is up: the memo as it was
// loaded (over a change made to the file meanwhile), nor anything with the switch off.
TEST_F(CoverTest, WhileUpOnlyTypingIsSavedAndOnlyWithTheSwitchOn)
{
    for (int save : {1, 0}) {
        SCOPED_TRACE(save);
        WriteInt(kKeySaveMemoPadText, save);
        WriteString(kKeyMemoPadText, "loaded");
        RunCover([&](DWORD ui, HWND cover) {
            WriteString(kKeyMemoPadText, "changed meanwhile");
            if (save == 0) {
                FocusControl(ui, cover, IDC_COVER_MEMO);
                Type(Item(cover, IDC_COVER_MEMO), "private");
            }
            ::Sleep(2500);
            EXPECT_EQ("changed meanwhile", Stored(kKeyMemoPadText));
            Unlock(cover, "");
        });
    }
}

// Unlock posted by another program while "Incorrect Password." is up is no try: only a
// user can answer the box.
TEST_F(CoverTest, AnUnlockPostedWhileTheMessageIsUpIsNoTry)
{
    StorePassword("pw");
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        SetItemText(cover, IDC_COVER_PASSWORD, "wrong");
        PostClick(cover, IDC_COVER_UNLOCK);
        HWND box = WaitForOtherDialog(ui, cover);
        ASSERT_NE(nullptr, box);
        SetItemText(cover, IDC_COVER_PASSWORD, "pw");
        ::PostMessageA(cover, WM_COMMAND, MAKEWPARAM(IDC_COVER_UNLOCK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Item(cover, IDC_COVER_UNLOCK)));
        ::Sleep(300);
        DismissMessageBox(box);
        ASSERT_TRUE(WaitForGone(box));
        Flush(cover);
        EXPECT_TRUE(::IsWindow(cover)) << "the posted Unlock was tried";
        EXPECT_EQ("1", Stored(kKeyWrongPasswords));
        Unlock(cover, "pw");
    });
    EXPECT_EQ(1, result);
}

// However Unlock was pressed and the message dismissed, the second try starts with the
// focus in the password edit, the wrong text selected, and typing replaces it.
TEST_F(CoverTest, ASecondTryStartsCleanByMouseAndByKeyboard)
{
    StorePassword("pw");
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        HWND edit = Item(cover, IDC_COVER_PASSWORD);
        for (bool keyboard : {false, true}) {
            SCOPED_TRACE(keyboard ? "Alt+U, Enter" : "click, OK");
            SetItemText(cover, IDC_COVER_PASSWORD, "wrong");
            if (keyboard) {
                FocusControl(ui, cover, IDC_COVER_PASSWORD);
                ::PostMessageA(edit, WM_SYSCHAR, 'u', 1 << 29);
            } else {
                PostClick(cover, IDC_COVER_UNLOCK);
            }
            HWND box = WaitForOtherDialog(ui, cover);
            ASSERT_NE(nullptr, box);
            if (keyboard)
                PostKey(::GetDlgItem(box, IDOK), VK_RETURN);
            else
                DismissMessageBox(box);
            ASSERT_TRUE(WaitForGone(box));
            ExpectReadyForNextTry(ui, cover);
        }
        PostChars(edit, "pw");
        EXPECT_TRUE(WaitUntil([&] { return ItemText(cover, IDC_COVER_PASSWORD) == "pw"; }, 2000))
            << ItemText(cover, IDC_COVER_PASSWORD);
        PostClick(cover, IDC_COVER_UNLOCK);
        EXPECT_TRUE(WaitForGone(cover));
    });
    EXPECT_EQ(1, result);
}

// Sets the Caps Lock toggle of the cover's thread, as the keyboard would.
void SetCapsLock(DWORD ui, bool on)
{
    ::AttachThreadInput(::GetCurrentThreadId(), ui, TRUE);
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CAPITAL] = on ? 1 : 0;
    ::SetKeyboardState(keys);
    ::AttachThreadInput(::GetCurrentThreadId(), ui, FALSE);
}

// Reads the Caps Lock line on the cover's thread when its message comes: a message
// posted after a key is handled after it, and before any timer's.
char g_capsLine[64];
volatile LONG g_capsLineRead = 0;
LRESULT CALLBACK CapsLineReader(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (msg != WM_APP)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    ::GetWindowTextA(reinterpret_cast<HWND>(lParam), g_capsLine, sizeof g_capsLine);
    ::InterlockedExchange(&g_capsLineRead, 1);
    return 0;
}

TEST_F(CoverTest, CapsLockIsToldWhileThePasswordEditHasTheFocus)
{
    TestWindow reader("VelmoraTestCapsLineReader", "", &CapsLineReader, WS_POPUP);
    ::InterlockedExchange(&g_capsLineRead, 0);
    RunCover([&](DWORD ui, HWND cover) {
        HWND line = Item(cover, IDC_COVER_CAPS_LOCK);
        ASSERT_NE(nullptr, line);
        const auto shows = [&](const char* text) {
            return WaitUntil([&] { return WindowText(line) == text; }, 2000);
        };
        EXPECT_TRUE(shows(""));
        // Told at the key itself, not at the clock's next tick.
        SetCapsLock(ui, true);
        ::PostMessageA(Item(cover, IDC_COVER_PASSWORD), WM_KEYDOWN, VK_CAPITAL, 1);
        ::PostMessageA(reader.get(), WM_APP, 0, reinterpret_cast<LPARAM>(line));
        ASSERT_TRUE(WaitUntil([&] { return ::InterlockedCompareExchange(&g_capsLineRead, 0, 0) == 1; }, 5000));
        EXPECT_STREQ("Caps Lock is on.", g_capsLine) << "not told at the key";
        EXPECT_TRUE(shows("Caps Lock is on.")) << WindowText(line);
        FocusControl(ui, cover, IDC_COVER_MEMO);
        EXPECT_TRUE(shows("")) << "only while the password is typed";
        FocusControl(ui, cover, IDC_COVER_PASSWORD);
        EXPECT_TRUE(shows("Caps Lock is on."));
        SetCapsLock(ui, false);
        EXPECT_TRUE(shows("")) << "gone with Caps Lock";
        Unlock(cover, "");
    });
}

// ---- in front, with the keyboard --------------------------------------------------

// The cover's clock ticks every 500 ms; a loaded machine may hand it its timer a second late.
constexpr DWORD kTickDeadlineMs = 500 + 1000;

TEST_F(CoverTest, AnotherProgramGivenTheFrontKeepsItAcrossTicks)
{
    ProgramRun notepad("notepad.exe");
    ASSERT_TRUE(notepad.started());
    HWND other = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (other = ::FindWindowA("Notepad", nullptr)) != nullptr; }, 10000));
    RunCover([&](DWORD, HWND cover) {
        ::SetForegroundWindow(other);
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == other; }, 3000));
        // Four ticks: the front stays with the other program all the while.
        EXPECT_FALSE(WaitUntil([&] { return ::GetForegroundWindow() != other; }, 4 * 500, 10))
            << "the cover took the front from another program";
        Unlock(cover, "");
    });
}

// A password set or removed in the settings while the cover is up.
TEST_F(CoverTest, TheNoPasswordLineFollowsTheFileWithinATick)
{
    RunCover([&](DWORD, HWND cover) {
        EXPECT_EQ(kNoPasswordLine, ItemText(cover, IDC_COVER_NO_PASSWORD));
        StorePassword("Lantern");
        EXPECT_TRUE(WaitUntil([&] { return ItemText(cover, IDC_COVER_NO_PASSWORD).empty(); }, kTickDeadlineMs))
            << "the line still says an empty field opens the cover";
        StorePassword("");
        EXPECT_TRUE(WaitUntil([&] { return ItemText(cover, IDC_COVER_NO_PASSWORD) == kNoPasswordLine; },
                              kTickDeadlineMs))
            << "an empty field opens the cover and nothing says so";
        Unlock(cover, "");
    });
}

int ClientHeight(HWND window)
{
    RECT r{};
    ::GetClientRect(window, &r);
    return r.bottom;
}

// The line lies wholly on the cover, below its face.
// Shown below the face inside the cover, and no line with nothing to say is drawn over it.
bool LineShows(HWND cover, int id, int face)
{
    RECT line{};
    ::GetWindowRect(Item(cover, id), &line);
    for (int other : {IDC_COVER_FILE_UNREADABLE, IDC_COVER_WRONG_PASSWORDS, IDC_COVER_NO_PASSWORD,
                      IDC_COVER_LOCK_UNRECORDED, IDC_COVER_MEMO_PART}) {
        RECT room{}, overlap{};
        ::GetWindowRect(Item(cover, other), &room);
        if (other != id && ::IsWindowVisible(Item(cover, other)) && ::IntersectRect(&overlap, &line, &room))
            return false;
    }
    ::MapWindowPoints(nullptr, cover, reinterpret_cast<POINT*>(&line), 2);
    return ::IsWindowVisible(Item(cover, id)) && line.top >= face - 3 && line.bottom <= ClientHeight(cover);
}

TEST_F(CoverTest, ALineBelowTheFaceTakesRoomOnlyWhileItSaysSomething)
{
    // A file to record the lock in, with no password.
    StorePassword("");
    RunCover([&](DWORD ui, HWND cover) {
        RECT template198{0, 0, 0, 198};
        ::MapDialogRect(cover, &template198);
        const int face = template198.bottom;
        EXPECT_TRUE(LineShows(cover, IDC_COVER_NO_PASSWORD, face)) << "no password: the line says so";
        StorePassword("Lantern");
        EXPECT_TRUE(WaitUntil([&] { return ClientHeight(cover) == face; }, kTickDeadlineMs))
            << "nothing to say: the cover is its face alone (" << ClientHeight(cover) << " px, not " << face << ")";
        ExpectRefused(ui, cover, "guess");
        EXPECT_TRUE(LineShows(cover, IDC_COVER_WRONG_PASSWORDS, face));
        Unlock(cover, "Lantern");
    });
}

// Wine hands the front to the desktop when a window of the client that had the keyboard
// is hidden: the cover's thread is left with no active window, and nobody tells it.
TEST_F(CoverTest, WithTheDesktopInFrontAndNoActiveWindowThePasswordHasTheKeyboardWithinATick)
{
    RunCover([&](DWORD ui, HWND cover) {
        HWND password = Item(cover, IDC_COVER_PASSWORD);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(ui) == password; }, 3000));
        ::SetForegroundWindow(::GetDesktopWindow());
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(WaitUntil([&] { return ::GetGUIThreadInfo(ui, &info) && info.hwndActive == nullptr; }, 1000, 1))
            << "the cover kept its activation";
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == password && ::GetForegroundWindow() == cover; },
                              kTickDeadlineMs))
            << "nobody has the keyboard";
        Unlock(cover, "");
    });
}

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
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        EXPECT_FALSE(::IsWindowVisible(host.get())) << "hidden while the cover is up";
        ExpectRefused(ui, cover, "wrong");
        EXPECT_FALSE(::IsWindowVisible(host.get())) << "still hidden after a failed attempt";
        Unlock(cover, "pw");
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(::IsWindowVisible(host.get())) << "shown again after unlock";
}

TEST_F(CoverTest, HostWindowsStayHiddenWhateverTheClientDoesUntilUnlock)
{
    WriteInt(kKeyHideEudora, 1);
    StorePassword("pw");
    HostMainWindow host;
    ToolWindow floating(host.get(), true);
    ToolWindow closedTool(host.get(), false);
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
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
    });
    EXPECT_EQ(1, result);
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
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
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
    });
    EXPECT_EQ(1, result);
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
    const INT_PTR result = RunCover(coverDialog, [&](DWORD, HWND cover) {
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
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(::IsWindowVisible(other.get())) << "back at unlock, as the client last asked";
}

// The client's new-mail alert is owned by the main window's last active popup: the
// cover, while it is up. Hidden, it would leave the cover disabled behind it for good.
TEST_F(CoverTest, TheClientsAlertOwnedByTheCoverStaysVisibleAndUsable)
{
    WriteInt(kKeyHideEudora, 1);
    HostMainWindow host;
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
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
    });
    EXPECT_EQ(1, result);
}

TEST_F(CoverTest, HostWindowIsNeverTouchedUnlessTheSwitchIsOne)
{
    HostMainWindow host;
    ToolWindow floating(host.get(), true);
    for (int value : {0, 2}) {
        SCOPED_TRACE(value);
        WriteInt(kKeyHideEudora, value);
        g_showWindowMessages = 0;
        const INT_PTR result = RunCover([&](DWORD, HWND cover) {
            EXPECT_TRUE(::IsWindowVisible(host.get()));
            EXPECT_TRUE(::IsWindowVisible(floating.get()));
            ::ShowWindow(host.get(), SW_HIDE);
            ::SendMessageA(host.get(), kClientActionMessage, kNewMail, 0);
            EXPECT_TRUE(::IsWindowVisible(host.get())) << "nothing is kept hidden";
            g_showWindowMessages = 0;
            Unlock(cover, "");
        });
        EXPECT_EQ(1, result);
        EXPECT_TRUE(::IsWindowVisible(host.get()));
        EXPECT_EQ(0, g_showWindowMessages);
    }
}

// A stored memo longer than can be typed, one Delete: the file holds what the pad holds
// followed by the rest it was not given, whatever the script.
TEST_F(CoverTest, OneDeleteInALongStoredMemoSavesAllTheRestOfIt)
{
    auto repeated = [](const std::wstring& piece, size_t times, const wchar_t* between) {
        std::wstring text;
        for (size_t i = 0; i < times; ++i)
            text += (i > 0 ? between : L"") + piece + std::to_wstring(i % 10);
        return WideText(text.begin(), text.end());
    };
    struct Case { const char* what; WideText stored; const char* partLine; } cases[] = {
        // 5,000 short lines: 50 KB in the file, the lines the box shows in the pad.
        {"short lines", repeated(L"a note ", 5000, L"\t"), kMemoPartLine},
        // Greek, under MemoPadTextUtf8: 170 KB as escaped UTF-8.
        {"Greek lines", repeated(L"\x03B1\x03B2\x03B3\x03B4\x03B5", 5000, L"\t"), kMemoPartLine},
        // 100,000 characters on one line: the pad is given what its box shows.
        {"one long line", repeated(L"many words", 9100, L" "), kMemoPartLine},
    };
    StorePassword("");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string ansi;
        const bool exact = ToAnsiExactly(c.stored, ansi);
        WriteFileBytes(path_, "[Settings]\r\nPassword=\r\nMemoPadText=" + AnsiOrQuestionMarks(c.stored) +
                                  (exact ? "" : "\r\nMemoPadTextUtf8=" + EscapedUtf8(c.stored)) + "\r\n");
        const WideText loaded = StoredToMemo(c.stored);
        WideText expected;
        const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
            HWND memo = Item(cover, IDC_COVER_MEMO);
            EXPECT_EQ(c.partLine, ItemText(cover, IDC_COVER_MEMO_PART));
            const std::wstring given = WideItemText(cover, IDC_COVER_MEMO);
            ASSERT_TRUE(std::equal(given.begin(), given.end(), loaded.begin()));
            FocusControl(ui, cover, IDC_COVER_MEMO);
            PostKeyMessages(memo, WM_KEYDOWN, WM_KEYUP, VK_DELETE);
            ASSERT_TRUE(WaitUntil([&] { return ::GetWindowTextLengthW(memo) + 1 == static_cast<int>(given.size()); }));
            // What the pad holds, the untouched rest after it.
            const std::wstring edited = WideItemText(cover, IDC_COVER_MEMO);
            expected.assign(edited.begin(), edited.end());
            expected.insert(expected.end(), loaded.begin() + static_cast<std::ptrdiff_t>(given.size()), loaded.end());
            EXPECT_TRUE(WaitUntil([&] { return TestSettings().LoadMemoPadText() == expected; }, kSaveWaitMs))
                << "saved while the cover is up";
            EXPECT_EQ(c.partLine, ItemText(cover, IDC_COVER_MEMO_PART)) << "the rest is still kept after it";
            Unlock(cover, "");
        });
        EXPECT_EQ(1, result);
        EXPECT_TRUE(TestSettings().LoadMemoPadText() == expected) << "kept so after the unlock";
    }
}

TEST_F(CoverTest, AMemoThatCannotBeSavedIsNotLostWithoutAWord)
{
    // A settings file in a folder that is gone: the stored password reads as empty and
    // no write can succeed.
    const std::string gone = dir_.File("gone\\velmora.ini");
    UseSettingsFile(gone);
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        SetItemText(cover, IDC_COVER_MEMO, "call the printer");
        PostClick(cover, IDC_COVER_UNLOCK);
        HWND box = WaitForOtherDialog(ui, cover);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(kProductName, WindowText(box));
        EXPECT_NE(std::string::npos, MessageBoxText(box).find(gone)) << MessageBoxText(box);
        EXPECT_NE(nullptr, ::GetDlgItem(box, IDCANCEL)) << "the user can keep the cover open";
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(WaitForGone(box));
        Flush(cover);
        EXPECT_TRUE(::IsWindowVisible(cover));
        EXPECT_EQ("call the printer", ItemText(cover, IDC_COVER_MEMO)) << "the notes are still there to copy";

        PostClick(cover, IDC_COVER_UNLOCK);
        box = WaitForOtherDialog(ui, cover);
        ASSERT_NE(nullptr, box);
        DismissMessageBox(box);
        EXPECT_TRUE(WaitForGone(cover)) << "OK closes the cover all the same";
    });
    EXPECT_EQ(1, result);
    UseSettingsFile(path_);
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

// Exit with the memo pad untouched: what another program wrote to the file meanwhile stays.
TEST_F(CoverTest, ARunEndedByQuitWithTheMemoUntouchedLeavesAChangedFileAlone)
{
    WriteString(kKeyMemoPadText, "before");
    CoverDialog cover(TestSettings(), kProductName);
    const INT_PTR result = RunWithDriver(
        [&] {
            const INT_PTR r = cover.DoModal();
            MSG msg;
            ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
            return r;
        },
        [&](DWORD ui) {
            HWND window = WaitForThreadDialog(ui, "Eudora");
            ASSERT_NE(nullptr, window);
            ASSERT_TRUE(WaitUntil([&] { return ItemText(window, IDC_COVER_MEMO) == "before"; }, 2000));
            WriteString(kKeyMemoPadText, "written elsewhere");
            ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
            EXPECT_TRUE(WaitForGone(window));
        });
    EXPECT_EQ(CDialog::kNoResult, result);
    EXPECT_EQ("written elsewhere", Stored(kKeyMemoPadText)) << "the memo as loaded was written back";
}

TEST_F(CoverTest, TheEndOfTheSessionEndsTheCoverWithTheMemoSavedAndTheLockRecorded)
{
    WriteInt(kKeyHideEudora, 1);
    StorePassword("pw");
    HostMainWindow host;
    LRESULT query = 0;
    const INT_PTR result = RunCover([&](DWORD, HWND cover) {
        SetItemText(cover, IDC_COVER_MEMO, "call Ann\r\nback");
        query = ::SendMessageA(cover, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        ::SendMessageA(cover, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_FALSE(::IsWindow(cover)) << "gone before the session ends";
    });
    EXPECT_EQ(CDialog::kNoResult, result);
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

// ---- screen readers -----------------------------------------------------------------

namespace {

// The name a screen reader hears for a control: oleacc's, as Windows and wine give it.
std::string AccessibleName(HWND control)
{
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            reinterpret_cast<void**>(&object))))
        return "<no accessible object>";
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text = "<no name>";
    if (SUCCEEDED(object->get_accName(self, &name)) && name != nullptr) {
        char buffer[256] = {};
        ::WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
        text = buffer;
        ::SysFreeString(name);
    }
    object->Release();
    return text;
}

} // namespace

TEST_F(CoverTest, ScreenReadersNameEachControlForWhatItIs)
{
    const struct {
        int id;
        const char* name;
    } controls[] = {
        {IDC_COVER_MEMO, "Memo Pad"},
        {IDC_COVER_PASSWORD, "Velmora Password:"},
        {IDC_COVER_UNLOCK, "Unlock"},
    };
    const INT_PTR result = RunCover([&](DWORD, HWND cover) {
        ::CoInitialize(nullptr);
        for (const auto& c : controls)
            EXPECT_EQ(c.name, AccessibleName(Item(cover, c.id))) << "control " << c.id;
        ::CoUninitialize();
        Unlock(cover, "");
    });
    EXPECT_EQ(1, result);
}
