// The settings dialog, run for real on the test's thread and driven from a second one:
// its template, initialisation, the switches, Apply with its checks and the file it
// leaves behind, the standard commands and the "This Release" panel.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "config_ui/SettingsChoices.h"
#include "config_ui/SettingsDialog.h"
#include "config_ui/SettingsMessages.h"
#include "config_ui/ShellOpen.h"
#include "resource.h"
#include "settings/PasswordScrambler.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/StorablePassword.h"
#include "support/DialogTemplate.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

constexpr char kTitle[] = "Velmora for Eudora";
const ProductStrings kProduct{kTitle, "", ""};
constexpr char kFreshFile[] = "[Settings]\r\nPassword=\r\n";
// With the key "tavok" (key byte 42) these scramble to a zero byte, LF and CR.
constexpr char kRefusedCharacters[] = " '*";

// ---- the shell seam ----------------------------------------------------------------

struct ShellCall {
    HWND window;
    std::string verb;
    std::string file;
    bool noParameters;
    bool noDirectory;
    INT show;
};
std::vector<ShellCall> shellCalls;

HINSTANCE WINAPI RecordShellCall(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                 LPCSTR directory, INT show)
{
    shellCalls.push_back({window, verb ? verb : "<null>", file ? file : "<null>",
                          parameters == nullptr, directory == nullptr, show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

// ---- fixture -----------------------------------------------------------------------

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.File("velmora.ini");
        UseSettingsFile(path_);
        shellCalls.clear();
    }
    void TearDown() override
    {
        UseSettingsFile("");
    }

    void WriteSettings(const std::string& lines) { WriteFileBytes(path_, "[Settings]\r\n" + lines); }
    void StorePassword(const std::string& password)
    {
        ASSERT_TRUE(StoreString(kKeyPassword, Scramble(password, ScramblerKey), path_));
    }
    std::string StoredPassword()
    {
        return Scramble(StoredString(kKeyPassword, "<none>", path_), ScramblerKey);
    }

    // Runs a dialog; `drive` acts on it from a second thread and is expected to end it.
    static INT_PTR Run(SettingsDialog& dialog, const std::function<void(HWND dialog, DWORD ui)>& drive,
                       const char* title = kTitle)
    {
        return RunWithDriver([&] { return dialog.DoModal(); },
                             [&](DWORD ui) {
                                 HWND d = WaitForThreadDialog(ui, title);
                                 if (d == nullptr) {
                                     ADD_FAILURE() << "no dialog titled [" << title << "]";
                                     return;
                                 }
                                 drive(d, ui);
                                 if (!WaitForGone(d)) {
                                     ADD_FAILURE() << "the dialog is still open";
                                     EndLeftovers(ui, d);
                                 }
                             });
    }
    INT_PTR Run(const std::function<void(HWND dialog, DWORD ui)>& drive) { return Run(dialog_, drive); }
    // Presses one button of the "This Release" panel, then Cancel.
    INT_PTR PressThenCancel(int button)
    {
        return Run([button](HWND d, DWORD) {
            PostClick(d, button);
            PostClick(d, IDC_SET_CANCEL);
        });
    }

    static void EndLeftovers(DWORD ui, HWND dialog)
    {
        while (HWND box = FindOtherDialog(ui, dialog)) {
            DismissMessageBox(box);
            WaitForGone(box, 1000);
        }
        PostClick(dialog, IDC_SET_CANCEL);
        WaitForGone(dialog);
    }
    static HWND FindOtherDialog(DWORD ui, HWND dialog) { return WaitForOtherDialog(ui, dialog, 0); }

    // Waits for the message box above the dialog, checks that it is the plain kind the
    // plug-in shows (owned by the dialog, product name as caption, OK only, no icon),
    // dismisses it and returns its text.
    static std::string TakeMessage(DWORD ui, HWND dialog)
    {
        HWND box = WaitForOtherDialog(ui, dialog);
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            return "<none>";
        }
        EXPECT_EQ(kTitle, WindowText(box));
        EXPECT_EQ(dialog, ::GetWindow(box, GW_OWNER));
        HWND ok = ::GetDlgItem(box, IDOK);
        EXPECT_TRUE(ok != nullptr && ::IsWindowVisible(ok));
        for (int id : {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
            HWND other = ::GetDlgItem(box, id);
            EXPECT_TRUE(other == nullptr || !::IsWindowVisible(other)) << "button " << id;
        }
        HWND icon = ::GetDlgItem(box, 0x0440);
        EXPECT_TRUE(icon == nullptr || !::IsWindowVisible(icon) ||
                    ::SendMessageA(icon, STM_GETICON, 0, 0) == 0)
            << "no icon";
        const std::string text = MessageBoxText(box);
        DismissMessageBox(box);
        EXPECT_TRUE(WaitForGone(box));
        return text;
    }

    static void FillPasswords(HWND d, const std::string& old, const std::string& fresh,
                              const std::string& again)
    {
        SetItemText(d, IDC_SET_OLD_PASSWORD, old);
        SetItemText(d, IDC_SET_NEW_PASSWORD, fresh);
        SetItemText(d, IDC_SET_NEW_PASSWORD2, again);
    }
    static void ExpectFields(HWND d, const std::string& old, const std::string& fresh,
                             const std::string& again)
    {
        EXPECT_EQ(old, ItemText(d, IDC_SET_OLD_PASSWORD));
        EXPECT_EQ(fresh, ItemText(d, IDC_SET_NEW_PASSWORD));
        EXPECT_EQ(again, ItemText(d, IDC_SET_NEW_PASSWORD2));
    }
    static bool Checked(HWND d, int id) { return ::SendMessageA(::GetDlgItem(d, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // Clicks and waits until the dialog thread has handled the click.
    static void ClickAndWait(HWND d, int id)
    {
        ::SendMessageA(::GetDlgItem(d, id), BM_CLICK, 0, 0);
    }

    ScratchDir dir_;
    std::string path_;
    SettingsDialog dialog_{TestSettings(), kProduct, nullptr, &RecordShellCall};
};

// ---- template ----------------------------------------------------------------------

struct ControlRow {
    int id;
    const char* className;
    const char* text; // null for an icon picture
    int icon;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
};

constexpr DWORD kSwitchStyle = 0x50011F02;
constexpr DWORD kButtonStyle = 0x50010F00;
constexpr DWORD kStaticEdge = 0x00020000;

const ControlRow kControls[] = {
    {IDC_STATIC, "BUTTON", "Settings", 0, 0x50000007, 0, 7, 7, 221, 52},
    {IDC_SET_STARTUP, "BUTTON", "Activate on &Start-Up", 0, kSwitchStyle, kStaticEdge, 15, 18, 100, 14},
    {IDC_SET_STRETCH, "BUTTON", "Str&etch the Velmora", 0, kSwitchStyle, kStaticEdge, 121, 18, 100, 14},
    {IDC_SET_SAVE_MEMO, "BUTTON", "Save &Memo Pad Text", 0, kSwitchStyle, kStaticEdge, 15, 37, 100, 14},
    {IDC_SET_HIDE_EUDORA, "BUTTON", "&Hide Eudora", 0, kSwitchStyle, kStaticEdge, 121, 37, 100, 14},
    {IDC_STATIC, "BUTTON", "Velmora Password", 0, 0x50000007, 0, 7, 67, 221, 76},
    {IDC_STATIC, "STATIC", "&Old Password:", 0, 0x50020002, 0, 9, 84, 60, 10},
    {IDC_SET_OLD_PASSWORD, "EDIT", "", 0, 0x50810080, 0, 76, 82, 145, 13},
    {IDC_STATIC, "STATIC", "&New Password:", 0, 0x50020202, 0, 9, 103, 60, 10},
    {IDC_SET_NEW_PASSWORD, "EDIT", "", 0, 0x508100A0, 0, 76, 101, 145, 13},
    {IDC_STATIC, "STATIC", "... &take 2:", 0, 0x50020202, 0, 9, 122, 60, 10},
    {IDC_SET_NEW_PASSWORD2, "EDIT", "", 0, 0x508100A0, 0, 76, 120, 145, 13},
    {IDC_STATIC, "BUTTON", "Lock by Itself", 0, 0x50000007, 0, 7, 151, 358, 33},
    {IDC_SET_LOCK_WITH_WINDOWS, "BUTTON", "Lock with &Windows", 0, kSwitchStyle, kStaticEdge, 15, 162, 100, 14},
    {IDC_STATIC, "STATIC", "&Lock after", 0, 0x50020202, 0, 121, 164, 44, 10},
    {IDC_SET_LOCK_MINUTES, "EDIT", "0", 0, 0x50812080, 0, 168, 162, 30, 14},
    {IDC_SET_LOCK_MINUTES_SPIN, "MSCTLS_UPDOWN32", "", 0, 0x500000B2, 0, 198, 162, 10, 14},
    {IDC_STATIC, "STATIC", "minutes without input (0: never)", 0, 0x50020200, 0, 212, 164, 150, 10},
    // Moved down below the lock row; otherwise as they were.
    {IDC_SET_ICON, "STATIC", nullptr, IDI_VELMORA, 0x50000903, 0, 7, 194, 21, 20},
    {IDC_SET_APPLY, "BUTTON", "&Apply", 0, kButtonStyle, kStaticEdge, 126, 199, 50, 15},
    {IDC_SET_CANCEL, "BUTTON", "&Cancel", 0, kButtonStyle, kStaticEdge, 196, 199, 50, 15},
    {IDC_STATIC, "BUTTON", "This Release", 0, 0x50000007, 0, 239, 7, 126, 136},
    {IDC_SET_RELEASE_NOTES, "BUTTON", "&Release Notes", 0, kButtonStyle, kStaticEdge, 248, 23, 78, 20},
    {IDC_STATIC, "STATIC", nullptr, IDI_RELEASE_NOTES, 0x50000803, 0, 335, 23, 21, 20},
    {IDC_STATIC, "STATIC", "", 0, 0x50000012, 0, 248, 54, 110, 5},
    {IDC_SET_ABOUT_BOX, "BUTTON", "About &Box", 0, kButtonStyle, kStaticEdge, 248, 69, 78, 20},
    {IDC_STATIC, "STATIC", nullptr, IDI_ABOUT_BOX, 0x50000803, 0, 335, 69, 21, 20},
    {IDC_STATIC, "STATIC", "", 0, 0x50000012, 0, 248, 100, 110, 5},
    {IDC_SET_INTERNET, "BUTTON", "On the &Internet", 0, kButtonStyle, kStaticEdge, 248, 115, 78, 20},
    {IDC_STATIC, "STATIC", nullptr, IDI_INTERNET, 0x50000803, 0, 336, 115, 21, 20},
};

TEST(SettingsTemplate, ShippedResourceHoldsTheDialogExactly)
{
    HMODULE plugin = ::LoadLibraryExA(BuiltPluginPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, plugin);
    DialogTemplate t;
    const bool read = ReadDialogTemplate(plugin, IDD_SETTINGS, t);
    ::FreeLibrary(plugin);
    ASSERT_TRUE(read) << "US English extended dialog 137";
    ExpectVelmoraFrame(t, 0x90C000C4u, 372, 221);

    ASSERT_EQ(std::size(kControls), t.controls.size());
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const ControlRow& row = kControls[i];
        const TemplateControl& got = t.controls[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(0u, got.helpId);
        EXPECT_EQ(row.exStyle, got.exStyle);
        EXPECT_EQ(row.style, got.style);
        EXPECT_EQ(row.x, got.x);
        EXPECT_EQ(row.y, got.y);
        EXPECT_EQ(row.cx, got.cx);
        EXPECT_EQ(row.cy, got.cy);
        EXPECT_EQ(row.id, got.id);
        EXPECT_EQ(row.className, got.className);
        if (row.text != nullptr) {
            EXPECT_EQ(row.text, got.text);
        } else {
            EXPECT_EQ("#" + std::to_string(row.icon), got.text) << "an ordinal reference to the icon";
        }
        EXPECT_EQ(0, got.creationDataSize);
    }
}

TEST_F(SettingsDialogTest, CreatedDialogShowsEveryControlAsTheTemplateDescribes)
{
    WriteFileBytes(path_, kFreshFile);
    EXPECT_EQ(0, Run([&](HWND d, DWORD ui) {
        EXPECT_EQ(kTitle, WindowText(d));
        EXPECT_EQ(0u, static_cast<DWORD>(::GetWindowLongA(d, GWL_STYLE)) & WS_SYSMENU) << "no close box";
        EXPECT_EQ(::GetDlgItem(d, IDC_SET_STARTUP), FocusOf(ui)) << "focus on the first tab stop";

        HWND child = ::GetWindow(d, GW_CHILD);
        for (const ControlRow& row : kControls) {
            SCOPED_TRACE("control " + std::to_string(&row - kControls + 1));
            ASSERT_NE(nullptr, child);
            EXPECT_EQ(row.id, ::GetDlgCtrlID(child));
            EXPECT_NE(IDOK, ::GetDlgCtrlID(child));
            EXPECT_NE(IDCANCEL, ::GetDlgCtrlID(child));
            char className[32] = "";
            ::GetClassNameA(child, className, sizeof className);
            EXPECT_EQ(row.className, ClassName(className));
            if (row.text != nullptr)
                EXPECT_EQ(row.text, WindowText(child));
            else
                EXPECT_NE(0, ::SendMessageA(child, STM_GETICON, 0, 0)) << "icon " << row.icon << " shown";
            // The styles that decide behaviour: how the button acts, whether a field
            // masks its text, the static edge.
            const DWORD style = static_cast<DWORD>(::GetWindowLongA(child, GWL_STYLE));
            const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(child, GWL_EXSTYLE));
            if (std::string(row.className) == "BUTTON") {
                EXPECT_EQ(row.style & (BS_TYPEMASK | BS_PUSHLIKE | WS_TABSTOP), style & (BS_TYPEMASK | BS_PUSHLIKE | WS_TABSTOP));
                EXPECT_NE(static_cast<DWORD>(BS_DEFPUSHBUTTON), style & BS_TYPEMASK) << "no default push button";
            }
            if (std::string(row.className) == "EDIT") {
                EXPECT_EQ(row.style & ES_PASSWORD, style & ES_PASSWORD);
                const bool masked = ::SendMessageA(child, EM_GETPASSWORDCHAR, 0, 0) != 0;
                EXPECT_EQ((row.style & ES_PASSWORD) != 0, masked) << "old password in plain text, new ones masked";
            }
            if (row.id == IDC_SET_LOCK_MINUTES_SPIN) {
                // The up-down control sizes itself; it works the minutes field.
                EXPECT_EQ(::GetDlgItem(d, IDC_SET_LOCK_MINUTES),
                          reinterpret_cast<HWND>(::SendMessageA(child, UDM_GETBUDDY, 0, 0)));
                child = ::GetWindow(child, GW_HWNDNEXT);
                continue;
            }
            EXPECT_EQ(row.exStyle & WS_EX_STATICEDGE, exStyle & WS_EX_STATICEDGE);
            // Position and size in dialog units, each mapped as the dialog manager maps
            // it; an icon picture takes the size of its 32 by 32 icon.
            RECT origin{row.x, row.y, row.cx, row.cy};
            ::MapDialogRect(d, &origin);
            RECT actual;
            ::GetWindowRect(child, &actual);
            ::MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(origin.left, actual.left);
            EXPECT_EQ(origin.top, actual.top);
            const LONG width = row.text ? origin.right : 32;
            const LONG height = row.text ? origin.bottom : 32;
            EXPECT_EQ(width, actual.right - actual.left);
            EXPECT_EQ(height, actual.bottom - actual.top);
            child = ::GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(nullptr, child) << "no further controls";
        PostClick(d, IDC_SET_CANCEL);
    }));
}

// ---- initialisation and the switches -----------------------------------------------

TEST_F(SettingsDialogTest, BoxesAreCheckedOnlyForValuesOfExactlyOneAndMembersHoldWhatWasRead)
{
    struct Case {
        const char* stored; // null: no switches in the file
        int startUp, stretch, saveMemoPadText, hideEudora;
        bool checked[4];
    };
    const Case cases[] = {
        {"1", 1, 1, 1, 1, {true, true, true, true}},
        {"0", 0, 0, 0, 0, {false, false, false, false}},
        {"2", 2, 2, 2, 2, {false, false, false, false}},
        {"-1", -1, -1, -1, -1, {false, false, false, false}},
        {nullptr, 0, 0, 1, 0, {false, false, true, false}},
    };
    const int boxes[4] = {IDC_SET_STARTUP, IDC_SET_STRETCH, IDC_SET_SAVE_MEMO, IDC_SET_HIDE_EUDORA};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        const std::string v = c.stored ? c.stored : "";
        WriteSettings(c.stored ? "StartUp=" + v + "\r\nStretch=" + v + "\r\nSaveMemoPadText=" + v +
                                     "\r\nHideEudora=" + v + "\r\nPassword=\r\n"
                               : "Password=\r\n");
        const std::string before = ReadFileBytes(path_);
        SettingsDialog dialog(TestSettings(), kProduct, nullptr, &RecordShellCall);
        EXPECT_EQ(0, Run(dialog, [&](HWND d, DWORD) {
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(c.checked[i], Checked(d, boxes[i])) << boxes[i];
            for (int id : {IDC_SET_OLD_PASSWORD, IDC_SET_NEW_PASSWORD, IDC_SET_NEW_PASSWORD2})
                EXPECT_EQ("", ItemText(d, id));
            PostClick(d, IDC_SET_CANCEL);
        }));
        EXPECT_EQ(c.startUp, dialog.startUp);
        EXPECT_EQ(c.stretch, dialog.stretch);
        EXPECT_EQ(c.saveMemoPadText, dialog.saveMemoPadText);
        EXPECT_EQ(c.hideEudora, dialog.hideEudora);
        EXPECT_EQ(before, ReadFileBytes(path_)) << "opening and cancelling writes nothing";
    }
}

TEST_F(SettingsDialogTest, AStoredTwoIsWrittenBackUnlessItsBoxIsClicked)
{
    // Clicks on the Start-Up box -> box state, member and the value Apply writes.
    struct Case {
        int clicks;
        bool checked;
        int written;
    };
    for (const Case& c : {Case{0, false, 2}, Case{1, true, 1}, Case{2, false, 0}}) {
        SCOPED_TRACE(c.clicks);
        WriteSettings("Password=\r\nStartUp=2\r\n");
        SettingsDialog dialog(TestSettings(), kProduct, nullptr, &RecordShellCall);
        EXPECT_EQ(1, Run(dialog, [&](HWND d, DWORD) {
            for (int i = 0; i < c.clicks; ++i)
                ClickAndWait(d, IDC_SET_STARTUP);
            EXPECT_EQ(c.checked, Checked(d, IDC_SET_STARTUP));
            EXPECT_EQ(c.written, dialog.startUp);
            PostClick(d, IDC_SET_APPLY);
        }));
        EXPECT_EQ("[Settings]\r\nPassword=\r\nStartUp=" + std::to_string(c.written) +
                      "\r\nStretch=0\r\nSaveMemoPadText=1\r\nHideEudora=0\r\n",
                  ReadFileBytes(path_));
    }
}

TEST_F(SettingsDialogTest, EachBoxTogglesItsOwnSwitchOnly)
{
    WriteFileBytes(path_, kFreshFile);
    EXPECT_EQ(1, Run([&](HWND d, DWORD) {
        ClickAndWait(d, IDC_SET_STRETCH);
        ClickAndWait(d, IDC_SET_SAVE_MEMO);
        ClickAndWait(d, IDC_SET_HIDE_EUDORA);
        EXPECT_FALSE(Checked(d, IDC_SET_STARTUP));
        EXPECT_TRUE(Checked(d, IDC_SET_STRETCH));
        EXPECT_FALSE(Checked(d, IDC_SET_SAVE_MEMO));
        EXPECT_TRUE(Checked(d, IDC_SET_HIDE_EUDORA));
        PostClick(d, IDC_SET_APPLY);
    }));
    EXPECT_EQ("[Settings]\r\nPassword=\r\nStartUp=0\r\nStretch=1\r\nSaveMemoPadText=0\r\nHideEudora=1\r\n",
              ReadFileBytes(path_));
}

// ---- Apply -------------------------------------------------------------------------

TEST_F(SettingsDialogTest, ApplyOnAFreshFileWritesTheDefaultsInOrderAndEndsWithOne)
{
    WriteFileBytes(path_, kFreshFile);
    EXPECT_EQ(1, Run([](HWND d, DWORD) { PostClick(d, IDC_SET_APPLY); }));
    EXPECT_EQ("[Settings]\r\nPassword=\r\nStartUp=0\r\nStretch=0\r\nSaveMemoPadText=1\r\nHideEudora=0\r\n",
              ReadFileBytes(path_));
    EXPECT_TRUE(shellCalls.empty());
}

// No password typed: none is written, and the file keeps reading as an empty one.
TEST_F(SettingsDialogTest, ApplyWithoutAFileWritesTheSwitchesOnly)
{
    EXPECT_EQ(1, Run([](HWND d, DWORD) { PostClick(d, IDC_SET_APPLY); }));
    EXPECT_EQ("[Settings]\r\nStartUp=0\r\nStretch=0\r\nSaveMemoPadText=1\r\nHideEudora=0\r\n",
              ReadFileBytes(path_));
}

TEST_F(SettingsDialogTest, ApplyWorksWhileThePluginHoldsTheFileOpen)
{
    WriteFileBytes(path_, kFreshFile);
    SettingsFile held;
    held.UseFolder(dir_.path());
    ASSERT_FALSE(::DeleteFileA(path_.c_str())) << "held";
    const INT_PTR result = Run([](HWND d, DWORD) {
        FillPasswords(d, "", "held", "held");
        PostClick(d, IDC_SET_APPLY);
    });
    held.Release();
    EXPECT_EQ(1, result);
    EXPECT_EQ("held", StoredPassword());
}

TEST_F(SettingsDialogTest, TheStoredPasswordCountsUpToItsFirstZeroByte)
{
    // "*K" unscrambles to "a", a zero byte, then nothing more that counts.
    WriteSettings("Password=*K\r\n");
    EXPECT_EQ(1, Run([](HWND d, DWORD) {
        FillPasswords(d, "a", "b", "b");
        PostClick(d, IDC_SET_APPLY);
    }));
    EXPECT_EQ("b", StoredPassword());
}

// ---- the lock by itself ------------------------------------------------------------


TEST_F(SettingsDialogTest, LockFieldsShowWhatTheLockMakesOfTheFileAndApplyWritesThem)
{
    // Stored minutes -> the field; then minutes typed (999, the most the message names,
    // among them) and the switch clicked on.
    struct Case {
        const char* stored;
        const char* shown;
        const char* typed;
    };
    for (const Case& c : {Case{nullptr, "0", "15"}, Case{"1500", "999", "999"}, Case{"-3", "0", "15"},
                          Case{"soon", "0", "15"}}) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        WriteSettings(std::string("Password=\r\n") + (c.stored ? "LockAfterMinutes=" + std::string(c.stored) + "\r\n" : ""));
        SettingsDialog dialog(TestSettings(), kProduct, nullptr, &RecordShellCall);
        EXPECT_EQ(1, Run(dialog, [&](HWND d, DWORD) {
            EXPECT_EQ(c.shown, ItemText(d, IDC_SET_LOCK_MINUTES));
            EXPECT_FALSE(Checked(d, IDC_SET_LOCK_WITH_WINDOWS));
            SetItemText(d, IDC_SET_LOCK_MINUTES, c.typed);
            ClickAndWait(d, IDC_SET_LOCK_WITH_WINDOWS);
            PostClick(d, IDC_SET_APPLY);
        }));
        const std::string stored = ReadFileBytes(path_);
        EXPECT_NE(std::string::npos, stored.find("HideEudora=0\r\n")) << stored;
        EXPECT_NE(std::string::npos, stored.find("LockAfterMinutes=" + std::string(c.typed) + "\r\n")) << stored;
        EXPECT_NE(std::string::npos, stored.find("LockWithWindows=1\r\n")) << stored;
    }
    // Turned off again, both keys stay in the file with 0.
    WriteSettings("Password=\r\nLockAfterMinutes=5\r\nLockWithWindows=1\r\n");
    EXPECT_EQ(1, Run([](HWND d, DWORD) {
                  EXPECT_TRUE(Checked(d, IDC_SET_LOCK_WITH_WINDOWS));
                  SetItemText(d, IDC_SET_LOCK_MINUTES, "0");
                  ClickAndWait(d, IDC_SET_LOCK_WITH_WINDOWS);
                  PostClick(d, IDC_SET_APPLY);
              }));
    EXPECT_EQ("[Settings]\r\nPassword=\r\nLockAfterMinutes=0\r\nLockWithWindows=0\r\nStartUp=0\r\n"
              "Stretch=0\r\nSaveMemoPadText=1\r\nHideEudora=0\r\n",
              ReadFileBytes(path_));
}

// Every refusal is a row of the core's table; through the dialog, one leaves it open with
// the fields as typed, nothing written, and the focus in the field at fault.
TEST_F(SettingsDialogTest, MinutesRefusedAreReportedWithTheFieldFocusedAndNothingWritten)
{
    StorePassword("Secret");
    const std::string before = ReadFileBytes(path_);
    EXPECT_EQ(0, Run([](HWND d, DWORD ui) {
        ClickAndWait(d, IDC_SET_LOCK_WITH_WINDOWS);
        FillPasswords(d, "Secret", "Secret", "Secret");
        SetItemText(d, IDC_SET_LOCK_MINUTES, "1000");
        PostClick(d, IDC_SET_APPLY);
        EXPECT_EQ(BadLockMinutesText(999), TakeMessage(ui, d));
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(ui) == ::GetDlgItem(d, IDC_SET_LOCK_MINUTES); }));
        EXPECT_TRUE(::IsWindowVisible(d)) << "stays open";
        ExpectFields(d, "Secret", "Secret", "Secret");
        PostClick(d, IDC_SET_CANCEL);
    }));
    EXPECT_EQ(before, ReadFileBytes(path_));
    EXPECT_NE(std::string::npos, BadLockMinutesText(999).find("0 to 999"));
}

TEST_F(SettingsDialogTest, RightOldPasswordStoresTheScrambledNewOne)
{
    struct Case {
        const char* old;
        const char* fresh;
    };
    for (const Case& c : {Case{"", "Velmora"}, Case{"Velmora", "n3w-Pass"}}) {
        SCOPED_TRACE(c.fresh);
        SettingsDialog dialog(TestSettings(), kProduct, nullptr, &RecordShellCall);
        EXPECT_EQ(1, Run(dialog, [&](HWND d, DWORD) {
            FillPasswords(d, c.old, c.fresh, c.fresh);
            PostClick(d, IDC_SET_APPLY);
        }));
        const std::string line = "Password=" + Scramble(c.fresh, ScramblerKey) + "\r\n";
        EXPECT_NE(std::string::npos, ReadFileBytes(path_).find(line)) << ReadFileBytes(path_);
        EXPECT_EQ(c.fresh, StoredPassword());
    }
}

// Answers the question Enter asks with changes not applied yet.
void AnswerNo(HWND d, const std::string& question = kApplyChangesQuestion)
{
    HWND box = WaitForOtherDialog(::GetWindowThreadProcessId(d, nullptr), d);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(question, MessageBoxText(box));
    ::PostMessageA(box, WM_COMMAND, IDNO, 0);
}

TEST_F(SettingsDialogTest, StandardCommandsAndTheCancelButtonWriteNothing)
{
    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        INT_PTR result;
    };
    const Case cases[] = {
        // With changes typed Enter asks first; No ends it as Enter always did.
        {"Enter in the new password field, then No", [](HWND d) { PostKey(::GetDlgItem(d, IDC_SET_NEW_PASSWORD), VK_RETURN); AnswerNo(d); }, IDOK},
        {"Enter in the old password field, then No", [](HWND d) { PostKey(::GetDlgItem(d, IDC_SET_OLD_PASSWORD), VK_RETURN); AnswerNo(d); }, IDOK},
        {"Esc", [](HWND d) { PostKey(::GetDlgItem(d, IDC_SET_NEW_PASSWORD2), VK_ESCAPE); }, IDCANCEL},
        {"Cancel button", [](HWND d) { PostClick(d, IDC_SET_CANCEL); }, 0},
    };
    StorePassword("keep");
    const std::string before = ReadFileBytes(path_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsDialog dialog(TestSettings(), kProduct, nullptr, &RecordShellCall);
        EXPECT_EQ(c.result, Run(dialog, [&](HWND d, DWORD) {
            ClickAndWait(d, IDC_SET_STARTUP);
            FillPasswords(d, "keep", "other", "other");
            c.act(d);
        }));
        EXPECT_EQ(before, ReadFileBytes(path_));
    }
}

TEST_F(SettingsDialogTest, EnterWithAPasswordSetAndOldPasswordEmptySaysItIsNeeded)
{
    StorePassword("keep");
    EXPECT_EQ(IDOK, Run([](HWND d, DWORD) {
        ClickAndWait(d, IDC_SET_STRETCH);
        PostKey(::GetDlgItem(d, IDC_SET_OLD_PASSWORD), VK_RETURN);
        AnswerNo(d, ApplyChangesQuestion({}, true));
    }));
}

// ---- passwords the file cannot keep, and files that cannot be written --------------

// One longer is refused in the core's table.
TEST_F(SettingsDialogTest, TheLongestNewPasswordIsAllTheFieldsTakeAndTheFileKeeps)
{
    const std::string longest(kLongestPassword, 'p');
    EXPECT_EQ(1, Run([&](HWND d, DWORD) {
        for (int field : {IDC_SET_NEW_PASSWORD, IDC_SET_NEW_PASSWORD2})
            EXPECT_EQ(kLongestPassword, static_cast<size_t>(::SendDlgItemMessageA(d, field, EM_GETLIMITTEXT, 0, 0)));
        FillPasswords(d, "", longest, longest);
        PostClick(d, IDC_SET_APPLY);
    }));
    EXPECT_EQ(Scramble(longest, ScramblerKey), StoredString(kKeyPassword, "", path_));
}

// Every byte 1-255 a field can hold either is refused above or goes through Apply, the
// file and back: each run types the previous run's password as the old one, so the
// dialog's own check proves that the stored form came back whole.
TEST_F(SettingsDialogTest, EveryOtherByteGoesThroughApplyAndComesBackAsTheOldPassword)
{
    const std::string refused = kRefusedCharacters;
    std::string allAscending, allDescending;
    for (int b = 1; b <= 255; ++b) {
        if (refused.find(static_cast<char>(b)) == std::string::npos) {
            allAscending += static_cast<char>(b);
            allDescending.insert(allDescending.begin(), static_cast<char>(b));
        }
    }
    // Bytes whose stored form the profile functions treat specially at the ends of a
    // value (blanks, control characters, quotes, DEL): each stands once at the start
    // and once at the end of a password.
    const unsigned char key = ScramblerKeyByte(ScramblerKey);
    std::string atTheEnds;
    for (int b = 1; b <= 255; ++b) {
        const int stored = b ^ key;
        if ((stored <= 0x20 || stored == '"' || stored == '\'' || stored == 0x7F) &&
            refused.find(static_cast<char>(b)) == std::string::npos)
            atTheEnds += static_cast<char>(b);
    }
    std::vector<std::string> passwords = {allAscending, allDescending};
    for (size_t i = 0; i < atTheEnds.size(); ++i)
        passwords.push_back(atTheEnds[i] + std::string("m") + atTheEnds[(i + 1) % atTheEnds.size()]);

    WriteFileBytes(path_, kFreshFile);
    std::string previous;
    for (const std::string& password : passwords) {
        SCOPED_TRACE("password of " + std::to_string(password.size()) + " bytes starting with " +
                     std::to_string(static_cast<unsigned char>(password.front())));
        SettingsDialog dialog(TestSettings(), kProduct, nullptr, &RecordShellCall);
        std::string message;
        const INT_PTR result = Run(dialog, [&](HWND d, DWORD ui) {
            FillPasswords(d, previous, password, password);
            PostClick(d, IDC_SET_APPLY);
            if (!WaitForGone(d)) {
                message = TakeMessage(ui, d);
                EndLeftovers(ui, d);
            }
        });
        ASSERT_EQ(1, result) << message;
        EXPECT_EQ(password, StoredPassword());
        previous = password;
    }
}

TEST_F(SettingsDialogTest, AMissingFolderIsReportedWithThePathAndTheDialogStaysOpen)
{
    const std::string missing = dir_.File("absent") + "\\velmora.ini";
    UseSettingsFile(missing);
    EXPECT_EQ(0, Run([&](HWND d, DWORD ui) {
        FillPasswords(d, "", "new", "new");
        PostClick(d, IDC_SET_APPLY);
        const std::string text = TakeMessage(ui, d);
        EXPECT_NE(std::string::npos, text.find(missing)) << text;
        EXPECT_NE(std::string::npos, text.find("could not be saved")) << text;
        ExpectFields(d, "", "new", "new");
        PostClick(d, IDC_SET_CANCEL);
    }));
    EXPECT_FALSE(PathExists(dir_.File("absent")));
}

// A folder that takes no new files (here: a folder in the journal's place) is named as
// the cause, not a missing folder or a read-only file.
TEST_F(SettingsDialogTest, NoRoomForTheJournalIsReportedAsSuch)
{
    WriteFileBytes(path_, kFreshFile);
    ASSERT_TRUE(::CreateDirectoryA(dir_.File("velmora.jnl").c_str(), nullptr));
    Run([&](HWND d, DWORD ui) {
        FillPasswords(d, "", "new", "new");
        PostClick(d, IDC_SET_APPLY);
        const std::string text = TakeMessage(ui, d);
        EXPECT_NE(std::string::npos, text.find("No new file can be made in its folder")) << text;
        EXPECT_EQ(std::string::npos, text.find("read-only")) << text;
        PostClick(d, IDC_SET_CANCEL);
    });
    EXPECT_EQ(kFreshFile, ReadFileBytes(path_));
    ::RemoveDirectoryA(dir_.File("velmora.jnl").c_str());
}

TEST_F(SettingsDialogTest, AFileTooLargeToReadIsReportedAsSuchNotAsAWrongOldPassword)
{
    WriteFileBytes(path_, kFreshFile);
    ASSERT_TRUE(ResizeFile(path_, 5 << 20));
    Run([&](HWND d, DWORD ui) {
        FillPasswords(d, "", "", "");
        PostClick(d, IDC_SET_APPLY);
        EXPECT_EQ("The settings could not be saved in \"" + path_ + "\". The file is too large to be read safely "
                  "(over 4 MB). Put that right, then press Apply again.",
                  TakeMessage(ui, d));
        PostClick(d, IDC_SET_CANCEL);
    });
}

TEST_F(SettingsDialogTest, AFileAnotherProgramKeepsFromWritingIsReportedAndLeftAlone)
{
    StorePassword("old");
    const std::string before = ReadFileBytes(path_);
    HANDLE lock = ::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_EQ(1, Run([&](HWND d, DWORD ui) {
        ClickAndWait(d, IDC_SET_STARTUP);
        FillPasswords(d, "old", "new", "new");
        PostClick(d, IDC_SET_APPLY);
        EXPECT_NE(std::string::npos, TakeMessage(ui, d).find(path_));
        EXPECT_EQ(before, ReadFileBytes(path_));
        // Once the file is free again the same Apply saves everything.
        ::CloseHandle(lock);
        PostClick(d, IDC_SET_APPLY);
    }));
    EXPECT_EQ("new", StoredPassword());
    EXPECT_EQ(1, StoredInt(kKeyStartUp, -7, path_));
}

TEST_F(SettingsDialogTest, AReadOnlyFileIsEitherReportedUnchangedOrSavedButNeverBoth)
{
    StorePassword("old");
    const std::string before = ReadFileBytes(path_);
    ASSERT_TRUE(::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    // Windows refuses to write a read-only file; wine running as root writes it anyway.
    HANDLE probe = ::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    const bool platformRefuses = probe == INVALID_HANDLE_VALUE;
    if (!platformRefuses)
        ::CloseHandle(probe);
    std::string message;
    const INT_PTR result = Run([&](HWND d, DWORD ui) {
        FillPasswords(d, "old", "new", "new");
        PostClick(d, IDC_SET_APPLY);
        if (!WaitForGone(d)) {
            message = TakeMessage(ui, d);
            PostClick(d, IDC_SET_CANCEL);
        }
    });
    ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (platformRefuses) {
        EXPECT_EQ(0, result);
        EXPECT_NE(std::string::npos, message.find(path_)) << message;
        EXPECT_EQ(before, ReadFileBytes(path_));
    } else {
        EXPECT_EQ(1, result) << message;
        EXPECT_EQ("new", StoredPassword());
    }
}

// ---- This Release ------------------------------------------------------------------

TEST_F(SettingsDialogTest, ReleaseNotesOpenTheTextFileBesideTheSettingsOnlyWhenItExists)
{
    WriteFileBytes(path_, kFreshFile);
    const std::string notes = dir_.File("velmora.txt");
    EXPECT_EQ(0, PressThenCancel(IDC_SET_RELEASE_NOTES));
    EXPECT_TRUE(shellCalls.empty()) << "no velmora.txt, no shell";

    WriteFileBytes(notes, "notes");
    EXPECT_EQ(0, PressThenCancel(IDC_SET_RELEASE_NOTES));
    ASSERT_EQ(1u, shellCalls.size());
    EXPECT_EQ(nullptr, shellCalls[0].window);
    EXPECT_EQ("open", shellCalls[0].verb);
    EXPECT_EQ(notes, shellCalls[0].file);
    EXPECT_TRUE(shellCalls[0].noParameters);
    EXPECT_TRUE(shellCalls[0].noDirectory);
    EXPECT_EQ(SW_SHOWMAXIMIZED, shellCalls[0].show);
    EXPECT_EQ(std::string(kFreshFile), ReadFileBytes(path_));
}

TEST_F(SettingsDialogTest, ReleaseNotesBesideTheLoadedFileWhenNoneIsBesideTheSettings)
{
    // The plug-in copied into the client's program folder: velmora.txt lies beside the
    // loaded file (here the test program), velmora.ini in the client's data folder.
    WriteFileBytes(path_, kFreshFile);
    const std::string besideLoaded = ProgramDirectory() + "\\velmora.txt";
    ASSERT_FALSE(PathExists(besideLoaded));
    WriteFileBytes(besideLoaded, "notes");
    struct Removal {
        const std::string& path;
        ~Removal() { ::DeleteFileA(path.c_str()); }
    } removal{besideLoaded};
    const std::string besideSettings = dir_.File("velmora.txt");
    for (const std::string* expected : {&besideLoaded, &besideSettings}) {
        shellCalls.clear();
        EXPECT_EQ(0, PressThenCancel(IDC_SET_RELEASE_NOTES));
        ASSERT_EQ(1u, shellCalls.size());
        EXPECT_EQ(*expected, shellCalls[0].file);
        WriteFileBytes(besideSettings, "notes of the settings folder win");
    }
}

TEST_F(SettingsDialogTest, OnTheInternetOpensTheMakersPageMaximised)
{
    WriteFileBytes(path_, kFreshFile);
    EXPECT_EQ(0, PressThenCancel(IDC_SET_INTERNET));
    ASSERT_EQ(1u, shellCalls.size());
    EXPECT_EQ(nullptr, shellCalls[0].window);
    EXPECT_EQ("open", shellCalls[0].verb);
    EXPECT_EQ(kMakerWebPage, shellCalls[0].file);
    EXPECT_EQ(0u, shellCalls[0].file.rfind("https://", 0));
    EXPECT_TRUE(shellCalls[0].noParameters);
    EXPECT_TRUE(shellCalls[0].noDirectory);
    EXPECT_EQ(SW_SHOWMAXIMIZED, shellCalls[0].show);
}

TEST_F(SettingsDialogTest, AboutBoxRunsAboveTheDialogAndReturnsToIt)
{
    WriteFileBytes(path_, kFreshFile);
    EXPECT_EQ(0, Run([](HWND d, DWORD ui) {
        PostClick(d, IDC_SET_ABOUT_BOX);
        HWND about = WaitForOtherDialog(ui, d);
        ASSERT_NE(nullptr, about);
        EXPECT_NE(nullptr, ::GetDlgItem(about, IDC_ABOUT_CLOSE)) << "the about box's own template";
        EXPECT_EQ(d, ::GetWindow(about, GW_OWNER));
        EXPECT_FALSE(::IsWindowEnabled(d)) << "modal above the settings";
        PostClick(about, IDC_ABOUT_CLOSE);
        ASSERT_TRUE(WaitForGone(about));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(d) != FALSE; }));
        PostClick(d, IDC_SET_CANCEL);
    }));
    EXPECT_EQ(std::string(kFreshFile), ReadFileBytes(path_));
}

TEST_F(SettingsDialogTest, AnEmptyProductNameLeavesTitleAndCaptionsEmpty)
{
    SettingsDialog dialog(TestSettings(), ProductStrings{}, nullptr, &RecordShellCall);
    StorePassword("x");
    EXPECT_EQ(0, Run(dialog, [&](HWND d, DWORD ui) {
        FillPasswords(d, "y", "", "");
        PostClick(d, IDC_SET_APPLY);
        HWND box = WaitForOtherDialog(ui, d);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("", WindowText(box));
        EXPECT_EQ("Incorrect old password.", MessageBoxText(box));
        DismissMessageBox(box);
        WaitForGone(box);
        PostClick(d, IDC_SET_CANCEL);
    }, ""));
}

} // namespace
