// The about box run for real: its text, its animated cursor, both ways to close it, its
// temporary files and the cursor's release.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "config_ui/AboutDialog.h"
#include "resource.h"
#include "support/DialogTemplate.h"
#include "support/TempDirectory.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

const char kShippedText[] =
    "Velmora for Eudora\r\nVersion: 2.0.0.1\r\n\r\nFreeware\r\n\r\n"
    "Copyright (C) 2026 The Velmora Team\r\nAll Rights Reserved";

HCURSOR ShownCursor(HWND dialog)
{
    return reinterpret_cast<HCURSOR>(
        ::SendDlgItemMessageA(dialog, IDC_ABOUT_CURSOR, STM_GETIMAGE, IMAGE_CURSOR, 0));
}

bool IsLiveCursor(HCURSOR cursor)
{
    ICONINFO info{};
    if (!::GetIconInfo(cursor, &info))
        return false;
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        ::DeleteObject(info.hbmColor);
    return true;
}

using GetCursorFrameInfoFn = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

DWORD AnimationSteps(HCURSOR cursor)
{
    auto frameInfo = reinterpret_cast<GetCursorFrameInfoFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    DWORD rate = 0;
    DWORD steps = 0;
    if (frameInfo == nullptr || frameInfo(cursor, 0, 0, &rate, &steps) == nullptr)
        return 0;
    return steps;
}

// Watches a folder for files being created and removed.
class DirectoryWatch {
public:
    explicit DirectoryWatch(const std::string& directory)
        : folder_(::CreateFileA(directory.c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)),
          event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        Issue();
    }
    ~DirectoryWatch()
    {
        if (pending_) {
            ::CancelIo(folder_);
            DWORD ignored = 0;
            ::GetOverlappedResult(folder_, &overlapped_, &ignored, TRUE);
        }
        ::CloseHandle(event_);
        ::CloseHandle(folder_);
    }
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    bool ok() const { return folder_ != INVALID_HANDLE_VALUE && pending_; }

    // Takes in what has happened, waiting until the folder has been quiet for `quietMs`.
    void Collect(DWORD quietMs)
    {
        while (pending_ && ::WaitForSingleObject(event_, quietMs) == WAIT_OBJECT_0) {
            DWORD bytes = 0;
            pending_ = false;
            if (!::GetOverlappedResult(folder_, &overlapped_, &bytes, FALSE))
                return;
            for (DWORD offset = 0; bytes != 0;) {
                const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(
                    reinterpret_cast<const char*>(buffer_) + offset);
                char name[MAX_PATH] = "";
                ::WideCharToMultiByte(CP_ACP, 0, entry->FileName,
                                      static_cast<int>(entry->FileNameLength / sizeof(WCHAR)), name,
                                      sizeof name - 1, nullptr, nullptr);
                if (entry->Action == FILE_ACTION_ADDED)
                    added.push_back(name);
                else if (entry->Action == FILE_ACTION_REMOVED)
                    removed.push_back(name);
                if (entry->NextEntryOffset == 0)
                    break;
                offset += entry->NextEntryOffset;
            }
            Issue();
        }
    }

    std::vector<std::string> added;
    std::vector<std::string> removed;

private:
    void Issue()
    {
        if (folder_ == INVALID_HANDLE_VALUE)
            return;
        ::ResetEvent(event_);
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_;
        pending_ = ::ReadDirectoryChangesW(folder_, buffer_, sizeof buffer_, FALSE,
                                           FILE_NOTIFY_CHANGE_FILE_NAME, nullptr, &overlapped_,
                                           nullptr) != FALSE;
    }

    HANDLE folder_;
    HANDLE event_;
    OVERLAPPED overlapped_{};
    bool pending_ = false;
    DWORD buffer_[4096];
};

// Every test runs with the shipped product strings and a temporary directory of its
// own, so the folder shows exactly the files the about box made.
class AboutDialogTest : public ::testing::Test {
protected:
    const ProductStrings product_{"Velmora for Eudora", "2.0.0.1", "Copyright (C) 2026 The Velmora Team"};
    ScratchDir temp_;
    TempDirectoryOverride useTemp_{temp_.path()};
};

// What a driver saw of one opening.
struct Seen {
    std::string text;
    HCURSOR cursor = nullptr;
    DWORD steps = 0;
    bool focusOnClose = false;
    bool hasCaption = true;
    std::vector<std::string> tempFilesWhileOpen{"not looked at"};
};

void LookAt(HWND dialog, DWORD ui, const std::string& temp, Seen& seen)
{
    seen.text = ItemText(dialog, IDC_ABOUT_TEXT);
    seen.cursor = ShownCursor(dialog);
    seen.steps = AnimationSteps(seen.cursor);
    seen.focusOnClose = FocusOf(ui) == ::GetDlgItem(dialog, IDC_ABOUT_CLOSE);
    seen.hasCaption = (::GetWindowLongA(dialog, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
    seen.tempFilesWhileOpen = ListDirectory(temp);
}

enum class Close { WithButton, WithEscape };

// Runs `about` while a driver looks at it and then closes it as told.
INT_PTR OpenAndLook(AboutDialog& about, const std::string& temp, Close how, Seen& seen)
{
    return RunWithDriver([&] { return about.DoModal(); },
                         [&](DWORD ui) {
                             HWND d = WaitForThreadDialog(ui, nullptr);
                             ASSERT_NE(nullptr, d);
                             LookAt(d, ui, temp, seen);
                             if (how == Close::WithButton)
                                 PostClick(d, IDC_ABOUT_CLOSE);
                             else
                                 PostKey(FocusOf(ui), VK_ESCAPE);
                         });
}

TEST_F(AboutDialogTest, ShowsTheTextAndTheAnimationAndClosesWithResultOne)
{
    Seen seen;
    {
        AboutDialog about(product_);
        const INT_PTR result = OpenAndLook(about, temp_.path(), Close::WithButton, seen);
        EXPECT_EQ(1, result);
        EXPECT_EQ(kShippedText, seen.text);
        ASSERT_NE(nullptr, seen.cursor) << "control 1023 holds the cursor";
        EXPECT_EQ(13u, seen.steps) << "the animated cursor, not the template's icon";
        EXPECT_TRUE(seen.focusOnClose);
        EXPECT_FALSE(seen.hasCaption);
        EXPECT_TRUE(seen.tempFilesWhileOpen.empty()) << "the file is gone before the box shows";
        EXPECT_TRUE(IsLiveCursor(seen.cursor)) << "kept for the dialog object's lifetime";
    }
    EXPECT_FALSE(IsLiveCursor(seen.cursor)) << "destroyed with the dialog object";
}

TEST_F(AboutDialogTest, EscapeGivesTheCancelResult)
{
    Seen seen;
    {
        AboutDialog about(product_);
        const INT_PTR result = OpenAndLook(about, temp_.path(), Close::WithEscape, seen);
        EXPECT_EQ(IDCANCEL, result);
        EXPECT_EQ(kShippedText, seen.text);
        EXPECT_NE(nullptr, seen.cursor);
    }
    EXPECT_FALSE(IsLiveCursor(seen.cursor)) << "released however the box was closed";
}

TEST_F(AboutDialogTest, EachOpeningUsesItsOwnTemporaryFileAndLeavesNone)
{
    DirectoryWatch watch(temp_.path());
    ASSERT_TRUE(watch.ok());
    for (int opening = 0; opening < 2; ++opening) {
        Seen seen;
        AboutDialog about(product_);
        const INT_PTR result = OpenAndLook(about, temp_.path(), Close::WithButton, seen);
        EXPECT_EQ(1, result);
        EXPECT_EQ(13u, seen.steps) << "opening " << opening;
        EXPECT_TRUE(seen.tempFilesWhileOpen.empty()) << "opening " << opening;
    }
    watch.Collect(500);
    ASSERT_EQ(2u, watch.added.size());
    for (const std::string& name : watch.added) {
        EXPECT_EQ('_', name.front()) << name;
        EXPECT_EQ(".tmp", name.substr(name.size() - 4)) << name;
    }
    EXPECT_EQ(watch.added, watch.removed);
    EXPECT_TRUE(ListDirectory(temp_.path()).empty());
}

TEST_F(AboutDialogTest, WithoutACursorStillOpensWithItsTextAndNoMessage)
{
    const ScratchDir unrelated;
    TempDirectoryOverride missingTemp(unrelated.File("missing"));
    Seen seen;
    HWND otherDialog = nullptr;
    AboutDialog about(product_);
    const INT_PTR result = RunWithDriver([&] { return about.DoModal(); },
                                         [&](DWORD ui) {
                                             HWND d = WaitForThreadDialog(ui, nullptr);
                                             ASSERT_NE(nullptr, d);
                                             LookAt(d, ui, temp_.path(), seen);
                                             otherDialog = WaitForOtherDialog(ui, d, 500);
                                             PostClick(d, IDC_ABOUT_CLOSE);
                                         });
    EXPECT_EQ(1, result);
    EXPECT_EQ(kShippedText, seen.text);
    EXPECT_EQ(nullptr, seen.cursor) << "the picture control is left empty";
    EXPECT_TRUE(seen.focusOnClose);
    EXPECT_EQ(nullptr, otherDialog) << "no message box";
    EXPECT_FALSE(PathExists(unrelated.File("missing")));
}

TEST(AboutTemplate, MatchesTheAboutBoxLayout)
{
    DialogTemplate t;
    ASSERT_TRUE(ReadDialogTemplate(nullptr, IDD_ABOUT, t));
    ExpectVelmoraFrame(t, 0x900000C4u, 210, 97);

    struct Control {
        int id;
        const char* className;
        const char* text;
        DWORD style, exStyle;
        short x, y, cx, cy;
    } expected[] = {
        {IDC_ABOUT_TEXT, "STATIC", "1\n2\n3\n4\n5\n6\n7", 0x50021001, 0, 4, 4, 202, 60},
        {IDC_ABOUT_CLOSE, "BUTTON", "&Close", 0x50010F00, 0x00020000, 77, 78, 55, 15},
        {IDC_ABOUT_CURSOR, "STATIC", "#141", 0x50000003, 0, 4, 73, 21, 20},
    };
    ASSERT_EQ(std::size(expected), t.controls.size());
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const Control& c = expected[i];
        const TemplateControl& got = t.controls[i];
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.id, got.id);
        EXPECT_EQ(c.className, got.className);
        EXPECT_EQ(c.text, got.text);
        EXPECT_EQ(c.style, got.style);
        EXPECT_EQ(c.exStyle, got.exStyle);
        EXPECT_EQ(c.x, got.x);
        EXPECT_EQ(c.y, got.y);
        EXPECT_EQ(c.cx, got.cx);
        EXPECT_EQ(c.cy, got.cy);
        EXPECT_EQ(0u, got.helpId);
        EXPECT_EQ(0, got.creationDataSize);
    }
}

} // namespace
