// Unlocking the real cover: the password read afresh at every try, the refusal, and the
// try after it.
#include <gtest/gtest.h>

#include <string>

#include "support/CoverFixture.h"

using namespace testing_support;

namespace {

// ---- unlock ---------------------------------------------------------------------

TEST_F(CoverTest, WrongPasswordIsRefusedAndTheRightOneUnlocks)
{
    StorePassword("Open4Me");
    EXPECT_EQ(1, RunCover([](DWORD ui, HWND cover) {
        for (const char* wrong : {"open4me", "Open4Me ", "Open4", "x"})
            ExpectRefused(ui, cover, wrong);
        Unlock(cover, "Open4Me");
    }));
}

TEST_F(CoverTest, EveryAttemptReadsTheStoredPasswordAfresh)
{
    StorePassword("first");
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
        ExpectRefused(ui, cover, "second");
        StorePassword("second");
        ExpectRefused(ui, cover, "first");
        Unlock(cover, "second");
    }));
}

TEST_F(CoverTest, PasswordWhoseStoredFormNeedsQuotingStillUnlocks)
{
    // '#' scrambles to TAB and '0' to Ctrl+Z: the stored form starts and ends with
    // characters a plain profile read would strip.
    const std::string password = "#0Pass0#";
    StorePassword(password);
    ASSERT_EQ('\t', Stored(kKeyPassword).front());
    ASSERT_EQ('\t', Stored(kKeyPassword).back());
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
        ExpectRefused(ui, cover, "0Pass0");
        ExpectRefused(ui, cover, "Pass");
        Unlock(cover, password);
    }));
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
        EXPECT_EQ(1, RunCover([](DWORD ui, HWND cover) {
            ExpectRefused(ui, cover, "x");
            Unlock(cover, "");
        }));
    }
}

// Unlock posted by another program while "Incorrect Password." is up is no try: only a
// user can answer the box.
TEST_F(CoverTest, AnUnlockPostedWhileTheMessageIsUpIsNoTry)
{
    StorePassword("pw");
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
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
    }));
}

// However Unlock was pressed and the message dismissed, the second try starts with the
// focus in the password edit, the wrong text selected, and typing replaces it.
TEST_F(CoverTest, ASecondTryStartsCleanByMouseAndByKeyboard)
{
    StorePassword("pw");
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
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
    }));
}

} // namespace
