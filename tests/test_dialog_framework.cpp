// The dialog layer: the modal run, ownership by the active window, the click table,
// pre-translation of messages and the end of a run by WM_QUIT.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "resource.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"

using namespace testing_support;

namespace {

// The about box's template, run by a bare dialog class of the test's own.
class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_ABOUT) {}
    int clicks = 0;
    int initCalls = 0;
    int keyDownsSeen = 0;
    bool dropKeys = false;
    HWND ownerDuringRun = nullptr;
    CStatic picture;

protected:
    BOOL OnInitDialog() override
    {
        ++initCalls;
        CDialog::OnInitDialog();
        ownerDuringRun = ::GetWindow(m_hWnd, GW_OWNER);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_ABOUT_CURSOR, picture); }
    const ClickEntry* GetClickTable() const override
    {
        static const ClickEntry table[] = {
            {IDC_ABOUT_CLOSE, Click(&ProbeDialog::OnClose)},
            {0, nullptr},
        };
        return table;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN) {
            ++keyDownsSeen;
            if (dropKeys)
                return TRUE;
        }
        return CDialog::PreTranslateMessage(msg);
    }

private:
    void OnClose()
    {
        ++clicks;
        EndDialog(42);
    }
};

// A window of the host's that is active when a dialog opens.
class HostWindow : public TestWindow {
public:
    HostWindow() : TestWindow("VelmoraFrameworkTestHost", "host") { Activate(); }
};

TEST(DialogFramework, ClickTableEndsTheRunWithTheGivenResult)
{
    ProbeDialog dialog;
    const INT_PTR result = RunWithDriver([&] { return dialog.DoModal(); },
                                         [](DWORD ui) {
                                             HWND d = WaitForThreadDialog(ui, nullptr);
                                             ASSERT_NE(nullptr, d);
                                             PostClick(d, IDC_ABOUT_CLOSE);
                                         });
    EXPECT_EQ(42, result);
    EXPECT_EQ(1, dialog.clicks);
    EXPECT_EQ(1, dialog.initCalls);
    EXPECT_NE(nullptr, dialog.picture.GetSafeHwnd()) << "bound through data exchange";
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd()) << "the window is gone after the run";
}

TEST(DialogFramework, EscapeGivesTheStandardCancelResult)
{
    ProbeDialog dialog;
    const INT_PTR result = RunWithDriver([&] { return dialog.DoModal(); },
                                         [](DWORD ui) {
                                             HWND d = WaitForThreadDialog(ui, nullptr);
                                             ASSERT_NE(nullptr, d);
                                             PostKey(::GetDlgItem(d, IDC_ABOUT_CLOSE), VK_ESCAPE);
                                         });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_GE(dialog.keyDownsSeen, 1) << "keys pass the dialog's pre-translation";
}

TEST(DialogFramework, PreTranslationCanDropKeysBeforeTheDialogManager)
{
    ProbeDialog dialog;
    dialog.dropKeys = true;
    const INT_PTR result = RunWithDriver([&] { return dialog.DoModal(); },
                                         [](DWORD ui) {
                                             HWND d = WaitForThreadDialog(ui, nullptr);
                                             ASSERT_NE(nullptr, d);
                                             PostKey(::GetDlgItem(d, IDC_ABOUT_CLOSE), VK_ESCAPE);
                                             ::Sleep(300);
                                             EXPECT_TRUE(::IsWindowVisible(d)) << "Esc was dropped";
                                             PostClick(d, IDC_ABOUT_CLOSE);
                                         });
    EXPECT_EQ(42, result);
}

TEST(DialogFramework, WithoutParentTheActiveWindowOwnsTheDialogAndIsDisabledMeanwhile)
{
    HostWindow host;
    ASSERT_EQ(host.get(), ::GetActiveWindow());
    ProbeDialog dialog;
    bool disabledDuringRun = false;
    const INT_PTR result = RunWithDriver([&] { return dialog.DoModal(); },
                                         [&](DWORD ui) {
                                             HWND d = WaitForThreadDialog(ui, nullptr);
                                             ASSERT_NE(nullptr, d);
                                             disabledDuringRun = !::IsWindowEnabled(host.get());
                                             PostClick(d, IDC_ABOUT_CLOSE);
                                         });
    EXPECT_EQ(42, result);
    EXPECT_EQ(host.get(), dialog.ownerDuringRun);
    EXPECT_TRUE(disabledDuringRun);
    EXPECT_TRUE(::IsWindowEnabled(host.get()));
    EXPECT_EQ(host.get(), ::GetActiveWindow()) << "the owner is active again";
}

TEST(DialogFramework, QuitEndsTheRunCleanlyAndIsPostedAgainForTheHost)
{
    HostWindow host;
    ProbeDialog dialog;
    HWND seen = nullptr;
    const INT_PTR result = RunWithDriver(
        [&] {
            const INT_PTR r = dialog.DoModal();
            MSG msg;
            EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
            EXPECT_EQ(7u, msg.wParam);
            return r;
        },
        [&](DWORD ui) {
            seen = WaitForThreadDialog(ui, nullptr);
            ASSERT_NE(nullptr, seen);
            ::PostThreadMessageA(ui, WM_QUIT, 7, 0);
        });
    EXPECT_EQ(CDialog::kNoResult, result);
    EXPECT_FALSE(::IsWindow(seen));
    EXPECT_TRUE(::IsWindowEnabled(host.get()));
}

TEST(DialogFramework, ARunWhoseWindowIsDestroyedFromOutsideSaysSo)
{
    ProbeDialog ended;
    RunWithDriver([&] { return ended.DoModal(); },
                  [](DWORD ui) { PostClick(WaitForThreadDialog(ui, nullptr), IDC_ABOUT_CLOSE); });
    EXPECT_FALSE(ended.WindowLost());

    HostWindow host;
    ProbeDialog owned;
    const INT_PTR result = RunWithDriver([&] { return owned.DoModal(); },
                                         [&](DWORD ui) {
                                             HWND d = WaitForThreadDialog(ui, nullptr);
                                             ASSERT_NE(nullptr, d);
                                             // The owner goes, and its owned dialog with it.
                                             ::PostMessageA(host.get(), WM_CLOSE, 0, 0);
                                             EXPECT_TRUE(WaitForGone(d));
                                         });
    EXPECT_EQ(CDialog::kNoResult, result);
    EXPECT_TRUE(owned.WindowLost());
}

TEST(DialogFramework, NestedDialogsDisableTheOuterOneAndRestoreIt)
{
    bool outerDisabled = false;
    // The driver clicks a button of the outer dialog whose handler runs the inner one.
    struct Outer : public CDialog {
        Outer() : CDialog(IDD_ABOUT) {}
        INT_PTR inner = 0;
        const ClickEntry* GetClickTable() const override
        {
            static const ClickEntry table[] = {{IDC_ABOUT_CLOSE, Click(&Outer::OpenInner)}, {0, nullptr}};
            return table;
        }
        void OpenInner()
        {
            ProbeDialog nested;
            inner = nested.DoModal();
            EndDialog(5);
        }
    } dialog;
    const INT_PTR result = RunWithDriver([&] { return dialog.DoModal(); },
                                         [&](DWORD ui) {
                                             HWND first = WaitForThreadDialog(ui, nullptr);
                                             ASSERT_NE(nullptr, first);
                                             PostClick(first, IDC_ABOUT_CLOSE);
                                             HWND second = WaitForOtherDialog(ui, first);
                                             ASSERT_NE(nullptr, second);
                                             outerDisabled = !::IsWindowEnabled(first);
                                             EXPECT_EQ(first, ::GetWindow(second, GW_OWNER));
                                             PostClick(second, IDC_ABOUT_CLOSE);
                                         });
    EXPECT_EQ(5, result);
    EXPECT_EQ(42, dialog.inner);
    EXPECT_TRUE(outerDisabled);
}

} // namespace
