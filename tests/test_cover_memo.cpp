// The cover's memo pad: what it shows of the stored memo, what typing saves and when, a
// long memo's rest kept, and a memo that cannot be saved.
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "cover/CoverTexts.h"
#include "settings/MemoCodec.h"
#include "settings/SettingsLimits.h"
#include "support/CoverFixture.h"

using namespace testing_support;

namespace {

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
    EXPECT_EQ(1, RunCover([](DWORD, HWND cover) {
        EXPECT_EQ("a\r\nb", ItemText(cover, IDC_COVER_MEMO));
        SetItemText(cover, IDC_COVER_MEMO, "x\ry\nz\r\n");
        Unlock(cover, "");
    }));
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
    EXPECT_EQ(1, RunCover([&](DWORD, HWND cover) {
        const std::string shown = ItemText(cover, IDC_COVER_MEMO);
        EXPECT_EQ(0, shown.find("x\r\nx\r\n"));
        EXPECT_LT(shown.size(), 100u);
        EXPECT_EQ(kMemoPartLine, ItemText(cover, IDC_COVER_MEMO_PART));
        Unlock(cover, "");
    }));
    EXPECT_TRUE(Stored(kKeyMemoPadText) == stored);
}

TEST_F(CoverTest, MemoSwitchOtherThanOneOpensEmptyAndLeavesTheStoredMemo)
{
    for (int value : {0, 2, -1}) {
        SCOPED_TRACE(value);
        WriteInt(kKeySaveMemoPadText, value);
        WriteString(kKeyMemoPadText, "kept\tsafe");
        EXPECT_EQ(1, RunCover([](DWORD, HWND cover) {
            EXPECT_EQ("", ItemText(cover, IDC_COVER_MEMO));
            SetItemText(cover, IDC_COVER_MEMO, "typed meanwhile");
            Unlock(cover, "");
        }));
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
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
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
    }));
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
        EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
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
        }));
        EXPECT_TRUE(TestSettings().LoadMemoPadText() == expected) << "kept so after the unlock";
    }
}

TEST_F(CoverTest, AMemoThatCannotBeSavedIsNotLostWithoutAWord)
{
    // A settings file in a folder that is gone: the stored password reads as empty and
    // no write can succeed.
    const std::string gone = dir_.File("gone\\velmora.ini");
    UseSettingsFile(gone);
    EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
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
    }));
    UseSettingsFile(path_);
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

} // namespace
