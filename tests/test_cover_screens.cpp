// The stretched cover over every monitor and through display changes, on a display of
// its own (tests/CMakeLists.txt): two monitors side by side whose sizes can be changed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cover/CoverDialog.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "support/PluginLibrary.h"
#include "support/SentinelRecord.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"

using namespace testing_support;

namespace {

BOOL CALLBACK AddMonitorRect(HMONITOR, HDC, LPRECT rect, LPARAM param) noexcept
{
    reinterpret_cast<std::vector<RECT>*>(param)->push_back(*rect);
    return TRUE;
}

std::vector<RECT> MonitorRects()
{
    std::vector<RECT> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitorRect, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

POINT Centre(const RECT& r)
{
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The top-level window a user sees at `point`.
HWND TopAt(POINT point)
{
    return ::GetAncestor(::WindowFromPoint(point), GA_ROOT);
}

BOOL CALLBACK AddOwnedBy(HWND window, LPARAM param) noexcept
{
    auto* found = reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(param);
    if (::GetWindow(window, GW_OWNER) == found->first)
        found->second.push_back(window);
    return TRUE;
}

// The windows the cover owns: its curtains (and a message box, when one is up).
std::vector<HWND> OwnedBy(HWND cover)
{
    std::pair<HWND, std::vector<HWND>> found{cover, {}};
    ::EnumWindows(&AddOwnedBy, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

bool Contains(const RECT& outer, const RECT& inner);

bool OnOneMonitor(const RECT& window)
{
    for (const RECT& monitor : MonitorRects()) {
        if (Contains(monitor, window))
            return true;
    }
    return false;
}

// The centre of every monitor shows the cover or a window it owns (a curtain).
bool EveryMonitorCovered(HWND cover)
{
    for (const RECT& monitor : MonitorRects()) {
        HWND top = TopAt(Centre(monitor));
        if (top != cover && ::GetWindow(top, GW_OWNER) != cover)
            return false;
    }
    return true;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class ScreensTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.File("velmora.ini");
        UseSettingsFile(path_);
        ASSERT_TRUE(StoreString(kKeyPassword, "", path_));
    }
    void Stretch(int value) { ASSERT_TRUE(StoreInt(kKeyStretch, value, path_)); }

    // Runs the cover here while `drive` acts on it from another thread, then unlocks it
    // (the password is empty).
    void RunCover(const std::function<void(HWND cover)>& drive)
    {
        CoverDialog cover(TestSettings(), "Velmora Screens Test");
        const INT_PTR result = RunWithDriver([&] { return cover.DoModal(); },
                                             [&](DWORD ui) {
                                                 HWND window = WaitForThreadDialog(ui, "Eudora");
                                                 ASSERT_NE(nullptr, window);
                                                 drive(window);
                                                 PostClick(window, IDC_COVER_UNLOCK);
                                                 EXPECT_TRUE(WaitForGone(window));
                                             });
        EXPECT_EQ(1, result);
    }

    ScratchDir dir_;
    std::string path_;
};



// ---- two monitors side by side -----------------------------------------------------

using TwoMonitors = ScreensTest;

TEST_F(TwoMonitors, StretchedCoverAndACurtainHideBothUntilTheUnlock)
{
    const std::vector<RECT> monitors = MonitorRects();
    ASSERT_EQ(2u, monitors.size()) << "this test needs a display with two monitors side by side";
    // The client, readable on both monitors: its main window on the first, a tool window
    // of its own on the second (the cover hides neither: Hide Eudora is off).
    TestWindow host(kHostMainWindowClass, "Mail");
    ::SetWindowPos(host.get(), nullptr, monitors[0].left + 100, 100, 500, 400, SWP_NOZORDER);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &::DefWindowProcA;
    wc.lpszClassName = "VelmoraTestToolWindow";
    ::RegisterClassA(&wc);
    HWND tool = ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Directory Services",
                                  WS_POPUP | WS_CAPTION | WS_VISIBLE, Centre(monitors[1]).x - 150,
                                  Centre(monitors[1]).y - 100, 300, 200, host.get(), nullptr, nullptr, nullptr);
    host.Activate();
    ASSERT_EQ(tool, TopAt(Centre(monitors[1])));
    Stretch(1);

    std::vector<HWND> curtains;
    RunCover([&](HWND cover) {
        EXPECT_TRUE(WaitUntil([&] { return EveryMonitorCovered(cover); }, 3000))
            << "a monitor shows what is under it";
        for (HWND client : {host.get(), tool}) {
            RECT r{};
            ::GetWindowRect(client, &r);
            EXPECT_NE(client, TopAt(Centre(r))) << "a window of the client is readable";
        }
        // Put below the client's main window (from this thread wine lets it sink below its
        // owner, as it now and then restacks windows on its own, telling nobody), the cover
        // is above the client's windows again within a tick.
        ::SetWindowPos(cover, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        WaitUntil([&] { return TopAt(Centre(monitors[0])) == host.get(); }, 1000, 1);
        EXPECT_TRUE(WaitUntil([&] { return TopAt(Centre(monitors[0])) == cover; }, kTickDeadlineMs))
            << "the client's window stays above the cover";
        curtains = OwnedBy(cover);
        ASSERT_EQ(1u, curtains.size());
        RECT curtain{};
        ::GetWindowRect(curtains[0], &curtain);
        EXPECT_TRUE(Contains(curtain, monitors[1])) << "the curtain covers the second monitor whole";
        EXPECT_NE(0, ::GetWindowLongA(curtains[0], GWL_EXSTYLE) & WS_EX_NOACTIVATE);
        EXPECT_EQ(0, ::GetWindowTextLengthA(curtains[0]));
        // A click on the curtain leaves the keyboard with the cover, also once another
        // window (of this thread, which answers while it waits) has the front.
        HWND other = ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Another program",
                                       WS_POPUP | WS_VISIBLE, monitors[1].left, 0, 100, 100, nullptr,
                                       nullptr, nullptr, nullptr);
        const auto answering = [](const std::function<bool()>& condition) {
            return [condition] {
                MSG msg;
                while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                    ::DispatchMessageA(&msg);
                return condition();
            };
        };
        ::SetForegroundWindow(other);
        EXPECT_TRUE(WaitUntil(answering([&] { return ::GetForegroundWindow() == other; }), 2000));
        ::SendMessageA(curtains[0], WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(curtains[0]),
                       MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        EXPECT_TRUE(WaitUntil(answering([&] { return ::GetForegroundWindow() == cover; }), 2000))
            << "the click on the curtain did not bring the cover back";
        ::DestroyWindow(other);
    });
    for (HWND curtain : curtains)
        EXPECT_FALSE(::IsWindow(curtain)) << "a curtain outlived the unlock";
    EXPECT_EQ(tool, TopAt(Centre(monitors[1])));
    ::DestroyWindow(tool);
}

// A stretched cover of the real plug-in brings curtains; their window class goes with the
// plug-in's finish, so a later load (of another build, maybe at the same address) never
// finds a class whose window procedure is gone.
TEST(CurtainClass, GoesWithThePlugInsFinish)
{
    ASSERT_EQ(2u, MonitorRects().size());
    ScratchDir pluginDir;
    CopyPluginInto(pluginDir.path());
    PluginLibrary plugin(pluginDir.path());
    ASSERT_TRUE(plugin.loaded());
    ScratchDir config;
    WriteFileBytes(config.File("velmora.ini"), "[Settings]\r\nPassword=\r\nStretch=1\r\n");
    const std::string directory = config.path();
    Record mailConfig;
    mailConfig.set(8, static_cast<int32_t>(reinterpret_cast<intptr_t>(directory.c_str())));
    Record info;
    ASSERT_EQ(0, plugin.init(nullptr, 6, mailConfig.data(), info.data()));
    plugin.release(info.ptr<void*>(16));
    plugin.release(info.ptr<void*>(24));

    WNDCLASSEXA curtainClass{};
    curtainClass.cbSize = sizeof curtainClass;
    bool registered = false;
    Record activate;
    activate.set(4, 1);
    RunWithDriver([&] { return static_cast<INT_PTR>(plugin.specialHook(nullptr, activate.data())); },
                  [&](DWORD ui) {
                      HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                      ASSERT_NE(nullptr, cover);
                      WaitUntil([&] { return OwnedBy(cover).size() == 1; }, 3000);
                      registered = ::GetClassInfoExA(plugin.module(), "VelmoraCurtain", &curtainClass) != FALSE;
                      PostClick(cover, IDC_COVER_UNLOCK);
                      EXPECT_TRUE(WaitForGone(cover));
                  });
    ASSERT_TRUE(registered) << "the stretched cover brought no curtain";
    EXPECT_EQ(0, plugin.finish(nullptr));
    EXPECT_FALSE(::GetClassInfoExA(plugin.module(), "VelmoraCurtain", &curtainClass))
        << "the curtains' class outlived the plug-in";
}

// ---- display changes -----------------------------------------------------------------

// Wine 10 on a busy machine can answer the old metrics for a moment after the change
// returned: the new size counts once the metrics say it.
::testing::AssertionResult SetScreenSize(int width, int height)
{
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    // Wine 10 on a busy machine can also refuse a mode (DISP_CHANGE_BADPARAM) for a moment
    // while the display settles from the change before (the last case's restore, say).
    LONG changed = DISP_CHANGE_FAILED;
    WaitUntil([&] { return (changed = ::ChangeDisplaySettingsA(&mode, 0)) == DISP_CHANGE_SUCCESSFUL; }, 5000, 100);
    if (changed != DISP_CHANGE_SUCCESSFUL)
        return ::testing::AssertionFailure() << "ChangeDisplaySettingsA answered " << changed;
    if (!WaitUntil([&] {
            return ::GetSystemMetrics(SM_CXSCREEN) == width && ::GetSystemMetrics(SM_CYSCREEN) == height;
        }, 2000))
        return ::testing::AssertionFailure() << "the screen still measures " << ::GetSystemMetrics(SM_CXSCREEN)
                                             << "x" << ::GetSystemMetrics(SM_CYSCREEN);
    return ::testing::AssertionSuccess();
}

// From the monitor: wine keeps answering SPI_GETWORKAREA with the size a process saw
// first.
RECT WorkArea()
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

// Maximised, the cover's inside is the work area exactly, its frame just outside.
bool FillsTheWorkArea(HWND cover)
{
    RECT inside{};
    ::GetClientRect(cover, &inside);
    ::MapWindowPoints(cover, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    const RECT work = WorkArea();
    return inside.left == work.left && inside.top == work.top && inside.right == work.right &&
           inside.bottom == work.bottom;
}

struct DisplayChangeCase {
    const char* name;
    int stretch;
    SIZE before;
    SIZE after;
    // The unstretched cover is put here before the change (across two monitors after).
    POINT place;
};

class DisplayChange : public ScreensTest, public ::testing::WithParamInterface<DisplayChangeCase> {
protected:
    void TearDown() override { ::ChangeDisplaySettingsA(nullptr, 0); }
};


TEST_P(DisplayChange, TheCoverIsFittedAgainWithinATick)
{
    const DisplayChangeCase& c = GetParam();
    ASSERT_TRUE(SetScreenSize(c.before.cx, c.before.cy))
        << "the display's size cannot be changed here";
    Stretch(c.stretch);
    RunCover([&](HWND cover) {
        if (c.stretch == 1) {
            ASSERT_TRUE(WaitUntil([&] { return FillsTheWorkArea(cover); }, 3000)) << "not maximised at first";
        } else {
            ::SetWindowPos(cover, nullptr, c.place.x, c.place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            // A display change made while the move is still being handled can hang wine 8.
            ::Sleep(300);
        }
        ASSERT_TRUE(SetScreenSize(c.after.cx, c.after.cy));
        const DWORD changed = ::GetTickCount();
        const bool fitted = WaitUntil([&] {
            RECT window{};
            ::GetWindowRect(cover, &window);
            return c.stretch == 1 ? FillsTheWorkArea(cover) && EveryMonitorCovered(cover) : OnOneMonitor(window);
        }, 3000);
        const DWORD took = ::GetTickCount() - changed;
        RECT window{};
        ::GetWindowRect(cover, &window);
        EXPECT_TRUE(fitted) << "not fitted to the new screen: the cover is at " << window.left << ","
                            << window.top << "-" << window.right << "," << window.bottom;
        EXPECT_LE(took, kTickDeadlineMs);
        if (c.stretch == 1) {
            const POINT corner{c.after.cx - 2, c.after.cy - 2};
            EXPECT_EQ(cover, TopAt(corner)) << "the new part of the screen shows what is under it";
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DisplayChange,
    ::testing::Values(DisplayChangeCase{"stretched_grows", 1, {800, 600}, {1024, 768}, {}},
                      DisplayChangeCase{"stretched_shrinks", 1, {1024, 768}, {800, 600}, {}},
                      DisplayChangeCase{"unstretched_across_two_monitors_after", 0, {1024, 768}, {800, 600}, {600, 400}}),
    [](const ::testing::TestParamInfo<DisplayChangeCase>& p) { return std::string(p.param.name); });

} // namespace
