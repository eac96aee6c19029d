// Every text of the plug-in's three dialogs, drawn with its control's own font, fits the
// control. CTest runs this program at 96, 120 and 144 DPI, each in a wine prefix of its
// own, and names the DPI in VELMORA_EXPECTED_DPI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "config_ui/AboutDialog.h"
#include "config_ui/SettingsDialog.h"
#include "cover/CoverDialog.h"
#include "cover/CoverTexts.h"
#include "cover/clock/DateClockText.h"
#include "cover/unlock/WrongPasswords.h"
#include "plugin/ProductInfo.h"
#include "resource.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/TestSupport.h"
#include "support/TextFit.h"

using namespace testing_support;

namespace {

using OtherTexts = std::vector<std::pair<int, std::string>>;

struct Measured {
    int id;
    std::string text;
    TextFit fit;
};

BOOL CALLBACK ListChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

// Every text a control of `dialog` shows now, and the other texts it may show.
std::vector<Measured> MeasureDialog(HWND dialog, const OtherTexts& others)
{
    std::vector<HWND> children;
    ::EnumChildWindows(dialog, &ListChild, reinterpret_cast<LPARAM>(&children));
    std::vector<Measured> measured;
    for (HWND child : children) {
        // A label of no size names a control for screen readers and shows nothing.
        RECT area{};
        ::GetClientRect(child, &area);
        if (area.right == 0 && area.bottom == 0)
            continue;
        const int id = ::GetDlgCtrlID(child);
        std::vector<std::string> texts{WindowText(child)};
        for (const auto& [otherId, text] : others) {
            if (otherId == id)
                texts.push_back(text);
        }
        for (const std::string& text : texts) {
            Measured m{id, text, {}};
            if (MeasureText(child, text, m.fit))
                measured.push_back(m);
        }
    }
    return measured;
}

struct DialogCase {
    const char* name;
    std::function<INT_PTR()> run;
    int closeId;
    size_t texts;
    OtherTexts others;
};

// The widest clock and date line the cover can show.
const ClockReading kWidestReading{2000, 9, 27, 4, 23, 59, 59};

// The longest line about wrong passwords: many of them, the last on another day, and a
// wait running.
std::string WidestWrongPasswordsText()
{
    const long long now = UtcSecondsNow();
    return WrongPasswordsText(99999, LocalTimeText(now - 3 * 86400, now), 299001);
}

// The built plug-in's product strings, read as its owner reads them.
ProductStrings& ShippedProduct()
{
    static ProductStrings product;
    return product;
}

const DialogCase kDialogs[] = {
    {"cover", [] { CoverDialog d(TestSettings(), ShippedProduct().productName); return d.DoModal(); }, IDC_COVER_UNLOCK, 22,
     {{IDC_COVER_CLOCK, ClockText(kWidestReading)}, {IDC_COVER_DATE, DateText(kWidestReading)},
      {IDC_COVER_WRONG_PASSWORDS, WidestWrongPasswordsText()}, {IDC_COVER_CAPS_LOCK, "Caps Lock is on."},
      {IDC_COVER_NO_PASSWORD, kNoPasswordLine},
      {IDC_COVER_LOCK_UNRECORDED, LockUnrecordedLine(SaveProblem::Unknown)}, {IDC_COVER_LOCK_UNRECORDED, LockUnrecordedLine(SaveProblem::NoFileBeside)},
      {IDC_COVER_MEMO_PART, kMemoPartLine}, {IDC_COVER_MEMO_PART, kMemoPartSeamLine},
      {IDC_COVER_MEMO_PART, kMemoFullLine}, {IDC_COVER_FILE_UNREADABLE, kFileUnreadableLine}}},
    {"settings", [] { SettingsDialog d(TestSettings(), ShippedProduct()); return d.DoModal(); }, IDC_SET_CANCEL, 19, {}},
    {"about", [] { AboutDialog d(ShippedProduct()); return d.DoModal(); }, IDC_ABOUT_CLOSE, 2, {}},
};

class DialogTextFits : public ::testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override
    {
        const char* expected = std::getenv("VELMORA_EXPECTED_DPI");
        ASSERT_NE(nullptr, expected) << "VELMORA_EXPECTED_DPI names the DPI this run is for";
        HDC screen = ::GetDC(nullptr);
        dpi_ = ::GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);
        ASSERT_EQ(std::atoi(expected), dpi_) << "the prefix's screen scaling did not take";
        UseSettingsFile(dir_.File("velmora.ini"));
        ReadProductInfo(BuiltPluginPath(), ShippedProduct());
        ASSERT_FALSE(ShippedProduct().productName.empty());
    }
    void TearDown() override { UseSettingsFile(""); }

    ScratchDir dir_;
    int dpi_ = 0;
};

TEST_P(DialogTextFits, EveryTextFitsItsControl)
{
    const DialogCase& c = GetParam();
    std::vector<Measured> measured;
    RunWithDriver(c.run, [&](DWORD ui) {
        HWND dialog = WaitForDialogWithControl(ui, c.closeId);
        ASSERT_NE(nullptr, dialog);
        measured = MeasureDialog(dialog, c.others);
        PostClick(dialog, c.closeId);
        EXPECT_TRUE(WaitForGone(dialog));
    });
    EXPECT_EQ(c.texts, measured.size()) << "texts measured";
    for (const Measured& m : measured) {
        SCOPED_TRACE(::testing::Message() << c.name << " control " << m.id << " \"" << m.text << "\" at "
                                          << dpi_ << " DPI");
        EXPECT_EQ("Tahoma", m.fit.face);
        EXPECT_TRUE(m.fit.fits()) << "needs " << m.fit.needed.cx << " x " << m.fit.needed.cy
                                  << " px, has " << m.fit.room.cx << " x " << m.fit.room.cy;
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogTextFits, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogCase>& row) { return row.param.name; });

} // namespace
