// Where the stretched cover's curtains go and where the cover is kept, from the monitors
// alone.
#include <gtest/gtest.h>

#include <vector>

#include "cover/front/ScreenLayout.h"

namespace {

MonitorLayout Layout(const std::vector<RECT>& monitors)
{
    MonitorLayout layout;
    for (const RECT& m : monitors)
        layout.Add(m, RECT{m.left, m.top, m.right, m.bottom - 40});
    return layout;
}

std::vector<RECT> Curtains(const std::vector<RECT>& monitors, const RECT& cover)
{
    const RectList list = CurtainRects(Layout(monitors), cover);
    return std::vector<RECT>(list.rects, list.rects + list.count);
}

::testing::AssertionResult SameRects(const std::vector<RECT>& expected, const std::vector<RECT>& actual)
{
    bool same = expected.size() == actual.size();
    for (size_t i = 0; same && i < expected.size(); ++i)
        same = SameRect(expected[i], actual[i]);
    if (same)
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure() << "got";
    for (const RECT& r : actual)
        failure << " (" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return failure;
}

constexpr RECT kLeft{0, 0, 1024, 768};
constexpr RECT kRight{1024, 0, 2048, 768};
constexpr RECT kAbove{0, -1080, 1920, 0};

struct CurtainCase {
    const char* name;
    std::vector<RECT> monitors;
    RECT cover;
    std::vector<RECT> curtains;
};

class CurtainRectsTest : public ::testing::TestWithParam<CurtainCase> {};

TEST_P(CurtainRectsTest, EveryMonitorButTheCoversGetsOne)
{
    const CurtainCase& c = GetParam();
    EXPECT_TRUE(SameRects(c.curtains, Curtains(c.monitors, c.cover)));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CurtainRectsTest,
    ::testing::Values(
        CurtainCase{"one_monitor", {kLeft}, kLeft, {}},
        CurtainCase{"cover_on_the_left", {kLeft, kRight}, kLeft, {kRight}},
        CurtainCase{"cover_on_the_right", {kLeft, kRight}, kRight, {kLeft}},
        CurtainCase{"three_monitors", {kLeft, kRight, kAbove}, kRight, {kLeft, kAbove}},
        // A duplicated display shows the cover's monitor again.
        CurtainCase{"duplicate_inside", {kLeft, RECT{0, 0, 800, 600}}, kLeft, {}},
        // Overlapping the cover's monitor: the shared part stays the cover's.
        CurtainCase{"overlapping", {kLeft, RECT{1000, 0, 2000, 768}}, kLeft, {RECT{1024, 0, 2000, 768}}}),
    [](const ::testing::TestParamInfo<CurtainCase>& p) { return std::string(p.param.name); });

TEST(CoverPlace, KeptOnAMonitorThatExists)
{
    const MonitorLayout two = Layout({kLeft, kRight});
    struct {
        RECT window;
        bool onAMonitor;
        RECT movedIntoLeftWork; // the left monitor's work area: 0,0-1024,728
    } cases[] = {
        {{10, 10, 373, 373}, true, {10, 10, 373, 373}},
        {{1100, 100, 1463, 463}, true, {661, 100, 1024, 463}},
        // Across both monitors, or on one that went away.
        {{900, 100, 1263, 463}, false, {661, 100, 1024, 463}},
        {{2100, 900, 2463, 1263}, false, {661, 365, 1024, 728}},
        {{-500, -400, -137, -37}, false, {0, 0, 363, 363}},
        // Larger than the area: its top left corner stays in it, from either side.
        {{-50, -50, 1150, 850}, false, {0, 0, 1200, 900}},
        {{100, 100, 1300, 1000}, false, {0, 0, 1200, 900}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.window.left << "," << c.window.top);
        EXPECT_EQ(c.onAMonitor, LiesOnAMonitor(c.window, two));
        EXPECT_TRUE(SameRect(c.movedIntoLeftWork, MovedInto(c.window, two.areas[0].work)));
    }
}

TEST(CoverPlace, ALayoutChangeIsSeen)
{
    EXPECT_TRUE(SameLayout(Layout({kLeft, kRight}), Layout({kLeft, kRight})));
    EXPECT_FALSE(SameLayout(Layout({kLeft, kRight}), Layout({kLeft})));
    EXPECT_FALSE(SameLayout(Layout({kLeft}), Layout({RECT{0, 0, 1280, 1024}})));
    // A taskbar moved or resized changes only the work area, where the cover stands.
    MonitorLayout taskbarMoved;
    taskbarMoved.Add(kLeft, RECT{0, 40, 1024, 768});
    EXPECT_FALSE(SameLayout(Layout({kLeft}), taskbarMoved));
}

} // namespace
