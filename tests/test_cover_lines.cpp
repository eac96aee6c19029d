// The lines the cover says about itself: Caps Lock, no password set, wrong passwords, each
// shown only while it applies and taking room only then.
#include <gtest/gtest.h>

#include <string>

#include "cover/CoverTexts.h"
#include "support/CoverFixture.h"

using namespace testing_support;

namespace {

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

} // namespace
