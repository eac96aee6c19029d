// The memo pad as a person edits it, through the real velmora.dll in the stand-in client:
// a long memo's start is given to the pad and can be typed into anywhere, and each kind of
// edit keeps or drops the part it was not given as the README says.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "cover/CoverTexts.h"
#include "cover/memo/MemoPad.h"
#include "host/PluginLoader.h"
#include "resource.h"
#include "settings/IniFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "support/Files.h"
#include "support/TestSupport.h"

using namespace testing_support;
using velmora_host::PluginHost;

namespace {

// Keys as the keyboard gives them, to the cover in front: Ctrl+A and Ctrl+Home need the
// key's state as well as its message.
void Press(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, 0));
        inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(*key, 0));
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

constexpr DWORD kEnd = static_cast<DWORD>(-1);

// The selection [start, end) of the pad (kEnd: its end) made by `keys`. A wine whose edit
// control takes no Ctrl key given this way (wine 8 takes none) gets it as a drag of the
// mouse would make it.
void SelectByKeys(HWND pad, std::initializer_list<WORD> keys, DWORD start, DWORD end)
{
    const DWORD length = static_cast<DWORD>(::GetWindowTextLengthW(pad));
    start = start == kEnd ? length : start;
    end = end == kEnd ? length : end;
    Press(keys);
    const auto selected = [&] {
        DWORD from = 1, to = 0;
        ::SendMessageW(pad, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        return from == start && to == end;
    };
    if (!WaitUntil(selected, 1000))
        ::SendMessageW(pad, EM_SETSEL, start, static_cast<LPARAM>(end));
}

std::wstring PadText(HWND memo)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(memo)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(memo, &text[0], static_cast<int>(text.size()))));
    return text;
}

// A memo as the pad holds it (CR LF line breaks) and as the file stores it (TABs).
std::string Stored(const std::string& memo)
{
    std::string stored;
    for (size_t i = 0; i < memo.size(); ++i) {
        if (memo.compare(i, 2, "\r\n") == 0) {
            stored += '\t';
            ++i;
        } else {
            stored += memo[i];
        }
    }
    return stored;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::string Words(size_t length)
{
    std::string text;
    while (text.size() < length)
        text += "memo line of a thousand characters ";
    text.resize(length);
    // A blank at a value's end is not read back from a file written by hand.
    text.back() = '.';
    return text;
}

std::string Lines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? "\r\n" : "") + std::string("line ") + std::to_string(i);
    return text;
}

class MemoEditsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugins_ = root_.path() + "\\Plugins";
        ASSERT_NO_FATAL_FAILURE(MakePluginsFolder(plugins_));
        path_ = plugins_ + "\\velmora.ini";
    }

    // The file holds `memo`; the cover comes up over it through the client's menu, and
    // `edit` works on its pad (focused from the keyboard, so the caret is at its end)
    // before the cover is unlocked. Returns the memo stored after.
    std::string Edit(const std::string& memo, const std::function<void(HWND cover, HWND pad)>& edit)
    {
        WriteFileBytes(path_, "[Settings]\r\nPassword=\r\nMemoPadText=" + Stored(memo) + "\r\n");
        PluginHost host(plugins_, nullptr);
        EXPECT_EQ(1u, host.LoadAll());
        RunWithDriver([&] { return INT_PTR{host.Pick(0, 0)}; },
                      [&](DWORD ui) {
                          HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                          ASSERT_NE(nullptr, cover);
                          HWND pad = ::GetDlgItem(cover, IDC_COVER_MEMO);
                          ::PostMessageA(cover, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pad), TRUE);
                          ASSERT_TRUE(WaitUntil([&] { return FocusOf(ui) == pad; }, 3000));
                          edit(cover, pad);
                          Unlock(cover, "", 10000);
                      },
                      60000);
        host.UnloadAll();
        return IniFile(path_).ReadString(kKeyMemoPadText, "<missing>");
    }

    // Waits until the pad holds `length` characters.
    static bool Holds(HWND pad, size_t length)
    {
        return WaitUntil([&] { return static_cast<size_t>(::GetWindowTextLengthW(pad)) == length; }, 5000);
    }

    ScratchDir root_;
    std::string plugins_;
    std::string path_;
};

// Three memos too long for the pad. A word typed at the start is an edit inside: the rest
// follows what the pad holds. One typed at the end changes the pad's end: the rest is
// kept on a line of its own. Every key lands and nothing is hidden in the box.
struct LongMemo {
    const char* what;
    std::string memo;
};

TEST_F(MemoEditsTest, AWordTypedAtTheStartOrTheEndOfALongMemoIsSavedWithTheRest)
{
    const LongMemo memos[] = {
        {"100,000 characters on one line", Words(100000)},
        {"200 short lines", Lines(200)},
        {"5,000 lines", Lines(5000)},
    };
    for (const LongMemo& m : memos) {
        for (const bool atStart : {true, false}) {
            SCOPED_TRACE(std::string(m.what) + (atStart ? ", at the start" : ", at the end"));
            std::string given;
            const std::string stored = Edit(m.memo, [&](HWND cover, HWND pad) {
                given = Narrow(PadText(pad));
                ASSERT_LT(given.size(), m.memo.size()) << "a long memo is given in part";
                ASSERT_EQ(0, m.memo.compare(0, given.size(), given));
                EXPECT_EQ(kMemoPartLine, ItemText(cover, IDC_COVER_MEMO_PART));
                // Every row the pad holds is one the box shows.
                RECT box{};
                ::SendMessageW(pad, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&box));
                const auto rowTop = [&](LRESULT row) {
                    const LRESULT first = ::SendMessageW(pad, EM_LINEINDEX, static_cast<WPARAM>(row), 0);
                    return static_cast<short>(HIWORD(::SendMessageW(pad, EM_POSFROMCHAR, static_cast<WPARAM>(first), 0)));
                };
                const LRESULT lastRow = ::SendMessageW(pad, EM_GETLINECOUNT, 0, 0) - 1;
                ASSERT_GT(lastRow, 0);
                const int rowHeight = (rowTop(lastRow) - rowTop(0)) / static_cast<int>(lastRow);
                EXPECT_LE(rowTop(lastRow) + rowHeight, box.bottom) << "rows hidden below the box";
                SelectByKeys(pad, {VK_CONTROL, atStart ? WORD{VK_HOME} : WORD{VK_END}}, atStart ? 0 : kEnd,
                             atStart ? 0 : kEnd);
                PostChars(pad, "word");
                ASSERT_TRUE(Holds(pad, given.size() + 4)) << "typed keys were dropped";
                EXPECT_EQ(atStart ? "word" + given : given + "word", Narrow(PadText(pad)));
                if (!atStart) {
                    EXPECT_EQ(kMemoPartSeamLine, ItemText(cover, IDC_COVER_MEMO_PART));
                }
            });
            const std::string rest = m.memo.substr(given.size());
            EXPECT_TRUE(SameText(Stored(atStart ? "word" + m.memo : given + "word\r\n" + rest), stored));
        }
    }
}

// Replacing what the pad shows replaces the memo: nothing of the old one's rest rides
// along. One Delete at the start is an edit inside: the rest is kept.
struct Replacing {
    const char* what;
    std::function<void(HWND pad, size_t given)> keys;
    std::function<std::string(const std::string& memo)> stored;
};

TEST_F(MemoEditsTest, ReplacingThePadReplacesTheMemoAndADeleteInsideKeepsTheRest)
{
    const std::string memo = Words(1000);
    const Replacing cases[] = {
        {"Ctrl+A, then typing",
         [](HWND pad, size_t) {
             SelectByKeys(pad, {VK_CONTROL, 'A'}, 0, kEnd);
             PostChars(pad, "lone");
             ASSERT_TRUE(Holds(pad, 4));
         },
         [](const std::string&) { return std::string("lone"); }},
        {"Ctrl+A, Delete, then typing",
         [](HWND pad, size_t) {
             SelectByKeys(pad, {VK_CONTROL, 'A'}, 0, kEnd);
             Press({VK_DELETE});
             ASSERT_TRUE(Holds(pad, 0));
             PostChars(pad, "new");
             PostKey(pad, VK_RETURN);
             ASSERT_TRUE(Holds(pad, 5));
             PostChars(pad, "LF");
             ASSERT_TRUE(Holds(pad, 7));
         },
         [](const std::string&) { return std::string("new\tLF"); }},
        {"one Delete at the start",
         [](HWND pad, size_t given) {
             SelectByKeys(pad, {VK_CONTROL, VK_HOME}, 0, 0);
             Press({VK_DELETE});
             ASSERT_TRUE(Holds(pad, given - 1));
         },
         [](const std::string& whole) { return whole.substr(1); }},
    };
    for (const Replacing& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string stored = Edit(memo, [&](HWND, HWND pad) {
            const size_t given = PadText(pad).size();
            ASSERT_LT(given, memo.size());
            c.keys(pad, given);
        });
        EXPECT_TRUE(SameText(c.stored(memo), stored));
    }
}

// A full box says so, on the pad's line, instead of dropping keys without a word.
TEST_F(MemoEditsTest, AFullPadSaysSo)
{
    Edit(Words(2000), [](HWND cover, HWND pad) {
        for (int i = 0; i < 4; ++i)
            PostKey(pad, VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return ItemText(cover, IDC_COVER_MEMO_PART) == kMemoFullLine; }, 5000))
            << ItemText(cover, IDC_COVER_MEMO_PART);
    });
}

} // namespace
