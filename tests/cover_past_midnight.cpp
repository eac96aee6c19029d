// The cover left up over midnight, on the real clock: the program is started (see
// tools/before-midnight.sh) in a time zone where the cover comes up seconds before
// midnight, and the date line must follow the clock into the new day.
#include <gtest/gtest.h>

#include "cover/CoverDialog.h"
#include "resource.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TEST(CoverPastMidnight, TheDateLineShowsTheNewDayWithTheClock)
{
    ScratchDir dir;
    UseSettingsFile(dir.File("velmora.ini"));
    ClockReading before, after;
    std::string dateBefore, dateAfter, clockAfter;
    RunWithDriver([] { CoverDialog cover(TestSettings(), "Velmora"); return cover.DoModal(); },
                  [&](DWORD ui) {
                      HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                      ASSERT_NE(nullptr, cover);
                      before = CurrentReading();
                      dateBefore = ItemText(cover, IDC_COVER_DATE);
                      ASSERT_EQ(23, before.hour) << "the time zone did not put the cover just before midnight";
                      ASSERT_EQ(59, before.minute);
                      EXPECT_TRUE(WaitUntil([&] { return CurrentReading().hour == 0; }, 60000));
                      // Within one tick of the clock's.
                      ::Sleep(600);
                      after = CurrentReading();
                      dateAfter = ItemText(cover, IDC_COVER_DATE);
                      clockAfter = ItemText(cover, IDC_COVER_CLOCK);
                      SetItemText(cover, IDC_COVER_PASSWORD, "");
                      PostClick(cover, IDC_COVER_UNLOCK);
                      EXPECT_TRUE(WaitForGone(cover));
                  },
                  90000);
    EXPECT_EQ(DateText(before), dateBefore);
    EXPECT_EQ(0, after.hour);
    EXPECT_NE(dateBefore, dateAfter);
    EXPECT_EQ(DateText(after), dateAfter) << "the date line kept the day the cover came up";
    EXPECT_EQ(0, clockAfter.compare(0, 4, "0:0:")) << clockAfter;
    UseSettingsFile("");
}

} // namespace
