// The password that guards the lock, through the real velmora.dll: a settings change
// keeps it, guessing at the cover is held off and told, and only passwords the settings
// file can keep exactly are taken.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config_ui/SettingsMessages.h"
#include "cover/clock/DateClockText.h"
#include "cover/unlock/WrongPasswords.h"
#include "host/PluginLoader.h"
#include "resource.h"
#include "settings/PasswordScrambler.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// ---- through the plug-in -------------------------------------------------------------

class PasswordTrust : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugins_ = root_.path() + "\\Plugins";
        ASSERT_NO_FATAL_FAILURE(MakePluginsFolder(plugins_));
    }
    void TearDown() override { host_.reset(); }

    void Start(const std::string& settings)
    {
        WriteFileBytes(Ini(), settings);
        host_ = std::make_unique<velmora_host::PluginHost>(plugins_, &mainWindow_);
        ASSERT_EQ(1u, host_->LoadAll());
    }
    std::string Ini() const { return plugins_ + "\\velmora.ini"; }
    std::string Value(const char* key) const
    {
        char value[64];
        ::GetPrivateProfileStringA("Settings", key, "(none)", value, sizeof value, Ini().c_str());
        return value;
    }
    // Moves the last wrong password back in time, as if the wait had run that long. Written
    // as the plug-in writes, waiting for the cover's reads of the file to end: the profile
    // writer, refused meanwhile, would report success and keep the value in memory only.
    void AgeLastWrongPassword(long long seconds) const
    {
        ASSERT_TRUE(StoreString("LastWrongPassword", std::to_string(UtcSecondsNow() - seconds), Ini()));
    }
    // Runs `call` (a menu pick or the settings request) and drives the dialog it opens,
    // found by `controlId`.
    void Drive(const std::function<int32_t()>& call, int controlId,
               const std::function<void(HWND dialog, DWORD ui)>& driver)
    {
        RunWithDriver([&] { return static_cast<INT_PTR>(call()); },
                      [&](DWORD ui) {
                          HWND dialog = WaitForDialogWithControl(ui, controlId);
                          ASSERT_NE(nullptr, dialog);
                          driver(dialog, ui);
                      },
                      60000);
    }
    void RunCover(const std::function<void(HWND cover, DWORD ui)>& driver)
    {
        Drive([&] { return host_->Pick(0, 0); }, IDC_COVER_UNLOCK, driver);
    }
    void RunSettings(const std::function<void(HWND settings, DWORD ui)>& driver)
    {
        Drive([&] { return host_->OpenSettings(0); }, IDC_SET_APPLY, driver);
    }
    static std::string Stored(const std::string& password)
    {
        return "[Settings]\r\nPassword=" + Scramble(password, ScramblerKey) + "\r\n";
    }

    ScratchDir root_;
    std::string plugins_;
    HWND mainWindow_ = nullptr;
    std::unique_ptr<velmora_host::PluginHost> host_;
};

TEST_F(PasswordTrust, ApplyWithEmptyNewFieldsKeepsThePasswordByteForByteAndSavesTheSwitch)
{
    Start(Stored("Lantern"));
    RunSettings([&](HWND settings, DWORD) {
        SetItemText(settings, IDC_SET_OLD_PASSWORD, "Lantern");
        PostClick(settings, IDC_SET_STRETCH);
        PostClick(settings, IDC_SET_APPLY);
        EXPECT_TRUE(WaitForGone(settings));
    });
    EXPECT_EQ(Stored("Lantern") + "StartUp=0\r\nStretch=1\r\nSaveMemoPadText=1\r\nHideEudora=0\r\n",
              ReadFileBytes(Ini()));
}

// Six wrong passwords, then no way of pressing Unlock gets the right one tried until
// the wait is over; the line on the cover says how many, when, and how long.
TEST_F(PasswordTrust, AfterSixWrongPasswordsNoTryIsTestedUntilTheWaitIsOver)
{
    Start(Stored("Lantern"));
    RunCover([&](HWND cover, DWORD ui) {
        EXPECT_EQ("", ItemText(cover, IDC_COVER_WRONG_PASSWORDS));
        // The time as Windows formats it for the user, read before and after the tries
        // (a minute may turn meanwhile).
        std::string told[2];
        for (int i = 1; i <= 6; ++i) {
            SYSTEMTIME now;
            ::GetLocalTime(&now);
            char time[64] = "";
            ::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &now, nullptr, time, sizeof time);
            told[i == 1 ? 0 : 1] = "6 wrong passwords while locked, the last at " + std::string(time) +
                                   ".\r\nPlease wait ";
            std::string message;
            EXPECT_FALSE(TryUnlock(cover, ui, "guess" + std::to_string(i), &message));
            EXPECT_EQ("Incorrect Password.", message) << "try " << i;
        }
        const std::string line = ItemText(cover, IDC_COVER_WRONG_PASSWORDS);
        EXPECT_TRUE(line.rfind(told[0], 0) == 0 || line.rfind(told[1], 0) == 0) << line;
        EXPECT_EQ("6", Value("WrongPasswords")) << "written through at once";

        // The right password, by a click and by a command another program posts.
        SetItemText(cover, IDC_COVER_PASSWORD, "Lantern");
        PostClick(cover, IDC_COVER_UNLOCK);
        ::PostMessageA(cover, WM_COMMAND, MAKEWPARAM(IDC_COVER_UNLOCK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(cover, IDC_COVER_UNLOCK)));
        ::Sleep(700);
        EXPECT_TRUE(::IsWindow(cover)) << "tried during the wait";
        EXPECT_EQ(nullptr, WaitForOtherDialog(ui, cover, 0));
        EXPECT_EQ("6", Value("WrongPasswords"));

        AgeLastWrongPassword(29);
        EXPECT_TRUE(WaitUntil([&] { return TryUnlock(cover, ui, "Lantern", nullptr, 400); }, 5000))
            << "the right password after the wait unlocks at once";
    });
    EXPECT_EQ("(none)", Value("WrongPasswords")) << "the unlock clears the count";
    EXPECT_EQ("(none)", Value("LastWrongPassword"));
}

// The count and the time come from the file: a client started again (or a new cover)
// goes on with the wait and tells of the tries at once.
TEST_F(PasswordTrust, TheWaitAndTheReportOutliveTheClient)
{
    const long long last = UtcSecondsNow() - 50;
    Start(Stored("Lantern") + "WrongPasswords=7\r\nLastWrongPassword=" + std::to_string(last) + "\r\n");
    RunCover([&](HWND cover, DWORD ui) {
        const std::string line = ItemText(cover, IDC_COVER_WRONG_PASSWORDS);
        EXPECT_NE(std::string::npos, line.find("7 wrong passwords while locked, the last at ")) << line;
        // 10 seconds left as it came up, and not a minute more.
        EXPECT_NE(std::string::npos, line.find("\r\nPlease wait ")) << line;
        EXPECT_EQ(std::string::npos, line.find("minute")) << line;
        EXPECT_FALSE(TryUnlock(cover, ui, "Lantern", nullptr, 700));
        EXPECT_TRUE(::IsWindow(cover));
        AgeLastWrongPassword(60);
        EXPECT_TRUE(WaitUntil([&] { return TryUnlock(cover, ui, "Lantern", nullptr, 400); }, 5000));
    });
    EXPECT_EQ("(none)", Value("WrongPasswords"));
}

// The wait's countdown moves, in whole seconds rounded up, and goes when the wait ends:
// never "0 seconds".
TEST_F(PasswordTrust, TheCountdownMovesRoundedUpAndGoesWhenTheWaitEnds)
{
    Start(Stored("Lantern") + "WrongPasswords=6\r\nLastWrongPassword=" + std::to_string(UtcSecondsNow() - 27) +
          "\r\n");
    RunCover([&](HWND cover, DWORD ui) {
        std::vector<std::string> waits;
        EXPECT_TRUE(WaitUntil([&] {
            const std::string line = ItemText(cover, IDC_COVER_WRONG_PASSWORDS);
            const size_t at = line.find("Please wait ");
            const std::string wait = at == std::string::npos ? "" : line.substr(at);
            if (waits.empty() || waits.back() != wait)
                waits.push_back(wait);
            return wait.empty();
        }, 6000));
        ASSERT_GE(waits.size(), 3u);
        EXPECT_EQ("Please wait 2 seconds before the next try.", waits[waits.size() - 3]);
        EXPECT_EQ("Please wait 1 second before the next try.", waits[waits.size() - 2]);
        EXPECT_TRUE(TryUnlock(cover, ui, "Lantern"));
    });
}

// A settings file another program holds: the wrong passwords cannot be recorded, and the
// cover counts them itself, so the wait comes all the same.
TEST_F(PasswordTrust, AFileThatRefusesTheRecordDoesNotLiftTheWait)
{
    Start(Stored("Lantern"));
    HANDLE held = ::CreateFileA(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    RunCover([&](HWND cover, DWORD ui) {
        for (int i = 1; i <= 6; ++i)
            EXPECT_FALSE(TryUnlock(cover, ui, "guess" + std::to_string(i)));
        EXPECT_EQ("(none)", Value("WrongPasswords"));
        EXPECT_FALSE(TryUnlock(cover, ui, "Lantern", nullptr, 700)) << "tried during the wait";
        EXPECT_NE(std::string::npos, ItemText(cover, IDC_COVER_WRONG_PASSWORDS).find("6 wrong passwords"));
        ::SendMessageA(cover, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    });
    ::CloseHandle(held);
}

// The line's time on fixed clock readings, in this program's time zone (UTC+5:37, set by
// the test list): local time, the date for another day (the rest of the line:
// test_wrong_password_schedule.cpp).
TEST(WrongPasswordLine, TellsTheLocalTimeAndTheDateOfAnotherDay)
{
    const auto local = [](int month, int day, int hour, int minute, bool withDate) {
        SYSTEMTIME t{};
        t.wYear = 2026;
        t.wMonth = static_cast<WORD>(month);
        t.wDay = static_cast<WORD>(day);
        t.wHour = static_cast<WORD>(hour);
        t.wMinute = static_cast<WORD>(minute);
        char text[64] = "";
        std::string result;
        if (withDate) {
            ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, text, sizeof text);
            result = std::string(text) + " ";
        }
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &t, nullptr, text, sizeof text);
        return result + text;
    };
    const long long dec8 = 1796688000; // 2026-12-08 00:00 UTC
    const long long now = dec8 + 12 * 3600; // 17:37 there
    EXPECT_EQ(local(12, 8, 5, 37, false), LocalTimeText(dec8 + 3, now)) << "local time, not UTC";
    EXPECT_EQ(local(12, 5, 15, 37, true), LocalTimeText(dec8 - 3 * 86400 + 10 * 3600, now)) << "three days before";
    EXPECT_EQ(local(11, 8, 15, 37, true), LocalTimeText(dec8 - 30 * 86400 + 10 * 3600, now)) << "a month before";
    EXPECT_EQ(local(12, 9, 1, 37, true), LocalTimeText(dec8 + 20 * 3600, now)) << "the next day there";
}

// Typed as a keyboard types them: a character the ANSI code page lacks, exactly or at
// all, is refused at Apply with nothing written; one it has is kept and unlocks.
TEST_F(PasswordTrust, ANewPasswordMustBeOneTheCodePageKeepsExactly)
{
    struct Case {
        const wchar_t* typed;
        bool taken;
    } cases[] = {
        {L"\x0436\x0443\x043a", false},      // Cyrillic
        {L"smile\xD83D\xDE00", false},       // an emoji, two halves
        {L"\x0141\x00f3\x0064\x017a", false},// a look-alike exists, not the letter
        {L"caf\x00e9", true},                // in the code page
    };
    for (const Case& c : cases) {
        Start(Stored(""));
        const std::string before = ReadFileBytes(Ini());
        std::string message;
        RunSettings([&](HWND settings, DWORD ui) {
            // On Windows an ANSI edit turns such characters into "?" as they are typed.
            EXPECT_TRUE(::IsWindowUnicode(::GetDlgItem(settings, IDC_SET_NEW_PASSWORD)));
            for (int field : {IDC_SET_NEW_PASSWORD, IDC_SET_NEW_PASSWORD2})
                PostCharsW(::GetDlgItem(settings, field), c.typed);
            PostClick(settings, IDC_SET_APPLY);
            if (!c.taken) {
                HWND box = WaitForOtherDialog(ui, settings);
                message = MessageBoxText(box);
                DismissMessageBox(box);
                PostClick(settings, IDC_SET_CANCEL);
            }
            EXPECT_TRUE(WaitForGone(settings));
        });
        if (!c.taken) {
            EXPECT_EQ(kPasswordOutsideCodePageText, message);
            EXPECT_EQ(before, ReadFileBytes(Ini()));
            continue;
        }
        RunCover([&](HWND cover, DWORD) {
            PostCharsW(::GetDlgItem(cover, IDC_COVER_PASSWORD), c.typed);
            PostClick(cover, IDC_COVER_UNLOCK);
            EXPECT_TRUE(WaitForGone(cover)) << "typed as set, the password unlocks";
        });
    }
}

// An earlier version stored such a password with "?" for each character it lacked; its
// owner, typing it as before, still gets in, at the cover and as the old password.
TEST_F(PasswordTrust, APasswordStoredWithQuestionMarksStillOpensWhenTypedAsBefore)
{
    Start(Stored("??????"));
    const std::wstring typed = L"\x043f\x0430\x0440\x043e\x043b\x044c";
    RunCover([&](HWND cover, DWORD) {
        PostCharsW(::GetDlgItem(cover, IDC_COVER_PASSWORD), typed);
        PostClick(cover, IDC_COVER_UNLOCK);
        EXPECT_TRUE(WaitForGone(cover));
    });
    RunSettings([&](HWND settings, DWORD) {
        PostCharsW(::GetDlgItem(settings, IDC_SET_OLD_PASSWORD), typed);
        PostCharsW(::GetDlgItem(settings, IDC_SET_NEW_PASSWORD), L"Lantern");
        PostCharsW(::GetDlgItem(settings, IDC_SET_NEW_PASSWORD2), L"Lantern");
        PostClick(settings, IDC_SET_APPLY);
        EXPECT_TRUE(WaitForGone(settings));
    });
    EXPECT_EQ("Lantern", Scramble(Value("Password"), ScramblerKey));
}

} // namespace
