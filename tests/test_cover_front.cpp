// The cover as it opens and stays in front: its face, its template, the keys and commands
// that cannot end it, the keyboard kept at the password, and what screen readers hear.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>

#include "settings/SettingsLimits.h"
#include "support/CoverFixture.h"
#include "support/DialogTemplate.h"
#include "support/ProgramRun.h"

using namespace testing_support;

namespace {

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
    EXPECT_EQ(1, RunCover(cover, [&](DWORD ui, HWND window) {
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == Item(window, IDC_COVER_PASSWORD); }, 3000));
        zoomed = ::IsZoomed(window) != FALSE;
        // The clock moves on within a couple of ticks.
        firstClock = ItemText(window, IDC_COVER_CLOCK);
        EXPECT_TRUE(WaitUntil([&] { return ItemText(window, IDC_COVER_CLOCK) != firstClock; }, 2500));
        laterClock = ItemText(window, IDC_COVER_CLOCK);
        dateLater = ItemText(window, IDC_COVER_DATE);
        Unlock(window, "");
    }));
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
        EXPECT_EQ(1, RunCover(observed, [&](DWORD, HWND cover) {
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
        }));
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
    EXPECT_EQ(1, RunCover([](DWORD, HWND cover) {
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
    }));
}

// ---- the key filter and the close command ------------------------------------------

TEST_F(CoverTest, EnterNeverUnlocksButStartsANewLineInTheMemoPad)
{
    StorePassword("right");
    EXPECT_EQ(1, RunCover([](DWORD ui, HWND cover) {
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
    }));
    EXPECT_EQ("one\ttwo", Stored(kKeyMemoPadText));
}

TEST_F(CoverTest, EscCtrlBreakCloseAndAltF4LeaveItOpen)
{
    EXPECT_EQ(1, RunCover([](DWORD ui, HWND cover) {
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
    })) << "ended by Unlock, not by a cancel";
}

TEST_F(CoverTest, StandardCommandsPostedByAnyProgramDoNotEndIt)
{
    EXPECT_EQ(1, RunCover([](DWORD, HWND cover) {
        for (WPARAM command : {IDOK, IDCANCEL}) {
            ::PostMessageA(cover, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
            Flush(cover);
            EXPECT_TRUE(::IsWindowVisible(cover)) << "command " << command;
        }
        Unlock(cover, "");
    }));
}

// ---- in front, with the keyboard --------------------------------------------------

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

// ---- screen readers -----------------------------------------------------------------

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
    EXPECT_EQ(1, RunCover([&](DWORD, HWND cover) {
        ::CoInitialize(nullptr);
        for (const auto& c : controls)
            EXPECT_EQ(c.name, AccessibleName(Item(cover, c.id))) << "control " << c.id;
        ::CoUninitialize();
        Unlock(cover, "");
    }));
}

} // namespace
