// The real cover, run modally on the test's main thread and driven from a second thread:
// the fixture every cover test program shares, and the moves its drivers make.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "cover/CoverDialog.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingsStore.h"
#include "resource.h"
#include "support/Files.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"

namespace testing_support {

using Driver = std::function<void(DWORD ui, HWND cover)>;

struct Refusal {
    bool shown = false;
    std::string text;
    std::string caption;
    HWND owner = nullptr;
    bool okOnly = false;
};

inline const char* const kProductName = "Velmora Cover Test";

inline HWND Item(HWND cover, int id)
{
    return ::GetDlgItem(cover, id);
}

// Types `typed` and presses Unlock, expecting a refusal; reads and dismisses its box.
inline Refusal TryRefused(DWORD ui, HWND cover, const std::string& typed)
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
inline void ExpectReadyForNextTry(DWORD ui, HWND cover)
{
    HWND edit = ::GetDlgItem(cover, IDC_COVER_PASSWORD);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == edit; }, 2000)) << "the focus is not in the password edit";
    DWORD start = 1, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowTextLengthA(edit)), end) << "the text is not all selected";
}

inline void ExpectRefused(DWORD ui, HWND cover, const std::string& typed)
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

// Waits until everything posted to the cover so far, and what handling it posted in
// turn, has been handled: a marker character typed into the password edit is seen
// there, three rounds deep.
inline void Flush(HWND cover)
{
    HWND edit = Item(cover, IDC_COVER_PASSWORD);
    const std::string before = WindowText(edit);
    for (int round = 0; round < 3; ++round) {
        ::PostMessageA(edit, WM_CHAR, '~', 1);
        ASSERT_TRUE(WaitUntil([&] { return WindowText(edit) != before; }, 3000));
        SetItemText(cover, IDC_COVER_PASSWORD, before);
    }
}

inline void FocusControl(DWORD ui, HWND cover, int id)
{
    ::PostMessageA(cover, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(cover, id)), TRUE);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == Item(cover, id); }, 3000));
}

// Types into an edit, '\n' standing for the Enter key. The character that Enter makes
// is posted by the dialog's own loop, behind whatever is already queued, so each run
// of characters is waited for before the next key.
inline void Type(HWND edit, const std::string& text)
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
inline void PostKeyMessages(HWND window, UINT down, UINT up, WPARAM key, LPARAM flags = 0)
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
    INT_PTR RunCover(CoverDialog& cover, const Driver& drive);
    INT_PTR RunCover(const Driver& drive);

    ScratchDir dir_;
    std::string path_;
};

inline INT_PTR CoverTest::RunCover(CoverDialog& cover, const Driver& drive)
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
inline INT_PTR CoverTest::RunCover(const Driver& drive)
{
    CoverDialog cover(TestSettings(), kProductName);
    return RunCover(cover, drive);
}

} // namespace testing_support
