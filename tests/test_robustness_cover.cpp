// The cover under pressure: every way a user or the system tries to close it, from
// each of its controls, while the host's main window must stay disabled; passwords
// with every byte value at start, middle and end; memo texts typed and pasted up to
// the pad's limit, saved at unlock and shown again at the next opening.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ProfileValue.h"
#include "settings/Settings.h"
#include "support/CoverFixture.h"
#include "support/Seeds.h"

using namespace testing_support;

namespace {

// The host's main window, active when the cover opens, as the mail client's is.
class HostMainWindow : public TestWindow {
public:
    HostMainWindow() : TestWindow(kHostMainWindowClass, "Eudora") { Activate(); }
};

class CoverRobustness : public CoverTest {
protected:
    void WriteSettings(const std::string& password)
    {
        WriteFileBytes(path_, "[Settings]\r\nPassword=\r\nSaveMemoPadText=1\r\nHideEudora=0\r\n");
        StorePassword(password);
    }
};

// ---- ways out ----------------------------------------------------------------------

void PostKeyDown(HWND window, UINT message, WPARAM key, LPARAM flags = 0)
{
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
    ::PostMessageA(window, message, key, 1 | scan | flags);
}

constexpr LPARAM kAltDown = 0x20000000;
constexpr LPARAM kKeyUp = static_cast<LPARAM>(0xC0000000u);

struct WayOut {
    const char* name;
    void (*attempt)(HWND cover, HWND focus);
};

const WayOut kWaysOut[] = {
    {"Esc", [](HWND, HWND focus) { PostKey(focus, VK_ESCAPE); }},
    {"Enter", [](HWND, HWND focus) { PostKey(focus, VK_RETURN); }},
    {"Ctrl+Break",
     [](HWND, HWND focus) {
         PostKeyDown(focus, WM_KEYDOWN, VK_CONTROL);
         PostKeyDown(focus, WM_KEYDOWN, VK_CANCEL);
         PostKeyDown(focus, WM_KEYUP, VK_CANCEL, kKeyUp);
         PostKeyDown(focus, WM_KEYUP, VK_CONTROL, kKeyUp);
     }},
    {"Alt+F4",
     [](HWND, HWND focus) {
         PostKeyDown(focus, WM_SYSKEYDOWN, VK_MENU, kAltDown);
         PostKeyDown(focus, WM_SYSKEYDOWN, VK_F4, kAltDown);
         PostKeyDown(focus, WM_SYSKEYUP, VK_F4, kAltDown | kKeyUp);
         PostKeyDown(focus, WM_KEYUP, VK_MENU, kKeyUp);
     }},
    {"WM_CLOSE", [](HWND cover, HWND) { ::PostMessageA(cover, WM_CLOSE, 0, 0); }},
    {"WM_SYSCOMMAND SC_CLOSE", [](HWND cover, HWND) { ::PostMessageA(cover, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

TEST_F(CoverRobustness, NoKeyOrCloseCommandEndsTheCoverFromAnyControlAndTheHostStaysDisabled)
{
    WriteSettings("pw");
    HostMainWindow host;
    ASSERT_EQ(host.get(), ::GetActiveWindow());
    int attempts = 0;
    const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
        for (int controlId : {IDC_COVER_PASSWORD, IDC_COVER_MEMO, IDC_COVER_UNLOCK}) {
            for (const WayOut& way : kWaysOut) {
                SCOPED_TRACE(std::string(way.name) + " from control " + std::to_string(controlId));
                FocusControl(ui, cover, controlId);
                way.attempt(cover, ::GetDlgItem(cover, controlId));
                ++attempts;
                Flush(cover);
                ASSERT_TRUE(::IsWindowVisible(cover)) << "the cover ended";
                EXPECT_FALSE(::IsWindowEnabled(host.get())) << "the host's window was enabled";
                EXPECT_EQ(nullptr, WaitForOtherDialog(ui, cover, 0)) << "something else opened";
            }
        }
        EXPECT_TRUE(TryUnlock(cover, ui, "pw"));
    });
    EXPECT_EQ(18, attempts);
    EXPECT_EQ(1, result) << "only the password ends the cover";
    EXPECT_TRUE(::IsWindowEnabled(host.get())) << "enabled again after the unlock";
}

// ---- passwords ---------------------------------------------------------------------

// Every byte that a stored password can hold stands at the start, in the middle and at
// the end of one password; the cover refuses the same password with its last byte
// missing and opens for it whole. The file must keep the stored form untouched.
TEST_F(CoverRobustness, PasswordsWithEveryByteAtStartMiddleAndEndUnlock)
{
    const unsigned char key = ScramblerKeyByte(ScramblerKey);
    int unlocked = 0;
    for (int b = 1; b < 256; ++b) {
        const int stored = b ^ key;
        // Stored as a zero byte, CR or LF, such a password cannot be kept by the file;
        // the settings dialog refuses it before anything is written.
        if (stored == 0 || stored == '\r' || stored == '\n')
            continue;
        const std::string c(1, static_cast<char>(b));
        const std::string password = c + "m" + c + "n" + c;
        SCOPED_TRACE("byte " + std::to_string(b));
        WriteSettings(password);
        const std::string before = ReadFileBytes(path_);
        // The cover records the lock while it is up, and the wrong password, and
        // nothing else.
        const std::string whileLocked =
            before + "Locked=1\r\nWrongPasswords=1\r\nLastWrongPassword=";
        const bool checkRefusal = b % 16 == 1;
        std::string message;
        const INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
            if (checkRefusal) {
                EXPECT_FALSE(TryUnlock(cover, ui, password.substr(0, 4), &message));
                EXPECT_EQ("Incorrect Password.", message);
                EXPECT_EQ(0u, ReadFileBytes(path_).rfind(whileLocked, 0)) << ReadFileBytes(path_);
            }
            EXPECT_TRUE(TryUnlock(cover, ui, password, &message)) << message;
        });
        if (checkRefusal) {
            // The unlock takes the record away again and leaves the untouched memo alone.
            EXPECT_EQ(before, ReadFileBytes(path_));
        }
        if (result == 1)
            ++unlocked;
        EXPECT_EQ(1, result);
    }
    EXPECT_EQ(252, unlocked);
}

// A stored value holding the key byte (a hand-edited file) unscrambles to a zero byte;
// the password is what comes before it, as for the settings dialog's old password,
// so the user is never locked out by such a file.
TEST_F(CoverRobustness, StoredValueThatUnscramblesToAZeroByteUnlocksWithWhatComesBefore)
{
    struct Case {
        const char* stored;
        const char* password;
    } cases[] = {
        {"*K", "a"},       // "a", then a zero byte
        {"K*", ""},        // a zero byte first
        {"KK*KK", "aa"},   // what follows the zero byte does not count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteFileBytes(path_, std::string("[Settings]\r\nPassword=") + c.stored + "\r\n");
        std::string message;
        EXPECT_EQ(1, RunCover([&](DWORD ui, HWND cover) {
            EXPECT_FALSE(TryUnlock(cover, ui, std::string(c.password) + "x", &message));
            EXPECT_EQ("Incorrect Password.", message);
            EXPECT_TRUE(TryUnlock(cover, ui, c.password, &message)) << message;
        }));
    }
}

// ---- memo pad ---------------------------------------------------------------------

// Characters a user can type into the pad: printable ones, those from 160 up, and
// Enter ('\r'). Tab moves the focus in a dialog; it is never typed into the pad.
std::string RandomTyping(Random& random, size_t length, int enters)
{
    std::string typed;
    while (typed.size() < length) {
        const uint32_t kind = random.Below(10);
        if (kind == 0 && enters > 0) {
            typed += '\r';
            --enters;
        } else if (kind < 3) {
            typed += static_cast<char>(0xA0 + random.Below(0x60));
        } else {
            typed += static_cast<char>(0x20 + random.Below(0x5F));
        }
    }
    return typed;
}

// Pasted text may hold TABs and lone line-break characters as well.
std::string RandomPaste(Random& random, size_t length)
{
    std::string text = RandomTyping(random, length, static_cast<int>(length));
    static const char kBreaks[] = {'\t', '\t', '\r', '\n'};
    for (char& c : text)
        if (random.OneIn(12))
            c = random.Pick(kBreaks);
    return text;
}


// The edit control turns a typed Enter into CR LF.
std::string AsShown(const std::string& typed)
{
    std::string shown;
    for (char c : typed)
        shown += c == '\r' ? std::string("\r\n") : std::string(1, c);
    return shown;
}

TEST_F(CoverRobustness, TypedAndPastedMemosUpToThePadsLimitComeBackAtTheNextOpening)
{
    const uint32_t base = RunSeed(31337);
    for (uint32_t round = 0; round < 6; ++round) {
        const uint32_t seed = base + round;
        SCOPED_TRACE(SeedNote(seed));
        Random random(seed);
        WriteSettings("");
        const bool typed = round % 2 == 0;
        std::string shown;
        size_t limit = 0;
        INT_PTR result = RunCover([&](DWORD ui, HWND cover) {
            HWND memo = ::GetDlgItem(cover, IDC_COVER_MEMO);
            limit = static_cast<size_t>(::SendMessageA(memo, EM_GETLIMITTEXT, 0, 0));
            ASSERT_GT(limit, 0u);
            // A note typed key by key, or a paste up to the limit. The pad takes
            // typed text only while it fits the visible box (the template gives it no
            // vertical scrolling), so typing stays within a dozen lines.
            std::string text;
            if (typed) {
                FocusControl(ui, cover, IDC_COVER_MEMO);
                text = RandomTyping(random, 1 + random.Below(120), 8);
                PostChars(memo, text);
                shown = AsShown(text);
                ASSERT_TRUE(WaitUntil([&] { return ItemText(cover, IDC_COVER_MEMO).size() >= shown.size(); }, 5000))
                    << SameText(shown, ItemText(cover, IDC_COVER_MEMO)).message();
            } else {
                const size_t length = random.OneIn(2) ? limit : 1 + random.Below(static_cast<uint32_t>(limit));
                shown = RandomPaste(random, length);
                SetItemText(cover, IDC_COVER_MEMO, shown);
            }
            EXPECT_TRUE(SameText(shown, ItemText(cover, IDC_COVER_MEMO)));
            EXPECT_TRUE(TryUnlock(cover, ui, ""));
        });
        ASSERT_EQ(1, result);
        EXPECT_TRUE(SameText(MemoAsReloaded(shown), AnsiOrQuestionMarks(TestSettings().LoadMemoPadText())));

        std::string again;
        result = RunCover([&](DWORD ui, HWND cover) {
            again = ItemText(cover, IDC_COVER_MEMO);
            EXPECT_TRUE(TryUnlock(cover, ui, ""));
        });
        ASSERT_EQ(1, result);
        // The pad is given what its box shows of what was saved: all of a short memo, the
        // start of a long one.
        const std::string saved = MemoAsReloaded(shown);
        EXPECT_TRUE(SameText(saved.substr(0, again.size()), again)) << "the pad shows the start of what was saved";
        if (typed) {
            EXPECT_TRUE(SameText(saved, again)) << "a note typed into the box comes back whole";
        }
    }
}

} // namespace
