// The memo's stored forms as plain text logic: one line with a TAB for every line break,
// and the whole text beside it as escaped UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "settings/MemoCodec.h"
#include "settings/SettingsLimits.h"

namespace {

TEST(MemoStoredForm, LineBreaksBecomeTabsAndTabsComeBackAsLineBreaks)
{
    struct Case { const char* memo; const char* stored; const char* loaded; } cases[] = {
        {"", "", ""},
        {"one", "one", "one"},
        {"a\r\nb", "a\tb", "a\r\nb"},
        {"a\r\n\r\nb", "a\t\tb", "a\r\n\r\nb"},
        {"a\tb", "a\tb", "a\r\nb"},               // a typed TAB comes back as a line break
        {"a\rb", "a\tb", "a\r\nb"},               // lone CR (pasted text) is a line break too
        {"a\nb", "a\tb", "a\r\nb"},               // as is a lone LF
        {"a\r\r\nb", "a\t\tb", "a\r\n\r\nb"},
        {"\r\n lead and trail \r\n", "\t lead and trail \t", "\r\n lead and trail \r\n"},
        {"\xE9t\xE9\r\n\xFF", "\xE9t\xE9\t\xFF", "\xE9t\xE9\r\n\xFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.stored, MemoToStored(std::string(c.memo))) << c.memo;
        EXPECT_EQ(c.loaded, StoredToMemo(MemoToStored(std::string(c.memo)))) << c.memo;
    }
}

TEST(MemoStoredForm, EscapedUtf8TakesOnlyWhatItWrites)
{
    WideText text;
    for (const char* bad : {"%", "%4", "%4g", "%e9", "\t", "%C3", "%C3%28", "%C0%80", "%F4%90%80%80", "%80"}) {
        EXPECT_FALSE(FromEscapedUtf8(bad, text)) << bad;
    }
    ASSERT_TRUE(FromEscapedUtf8("a%25%F0%9F%98%80", text));
    EXPECT_TRUE((WideText{L'a', L'%', 0xD83D, 0xDE00}) == text);
}

// Latin-1 as the code page: a unit beyond it is one "?".
class LatinCodePage final : public AnsiCodePage {
public:
    bool Exactly(const WideText& text, std::string& ansi) const override
    {
        ansi = OrQuestionMarks(text);
        return std::none_of(text.begin(), text.end(), [](wchar_t unit) { return unit > 0xFF; });
    }
    std::string OrQuestionMarks(const WideText& text) const override
    {
        std::string ansi;
        for (wchar_t unit : text)
            ansi += unit > 0xFF ? '?' : static_cast<char>(unit);
        return ansi;
    }
};

TEST(MemoStoredForm, WithinTheLimit)
{
    constexpr size_t kLimit = kLongestStoredMemo, kGreek = kLimit / 6; // %CE%B1 each, 2 short of it
    std::string greek, chinese;
    while (greek.size() < 6 * kGreek)
        greek += "%CE%B1";
    while (chinese.size() < 9 * kLongestGivenMemo)
        chinese += "%E4%B8%80";
    const std::wstring alphas(kGreek, L'\x03B1');
    struct Case { std::wstring memo; std::string text, side; bool fits; } cases[] = {
        // Line breaks, and a character beyond U+FFFF.
        {L"ab\r\ncd", "ab\tcd", "", true},
        {L"abcd\r\n", "abcd\t", "", true},
        {L"a\xD83D\xDE00" L"b", "a??b", "a%F0%9F%98%80b", true},
        {L"\x03B1\r\n\x00E9", "?\t\xE9", "%CE%B1%09%C3%A9", true},
        // The limit as written, quotes included: ANSI text, and text the side key holds.
        {std::wstring(kLimit, L'x'), std::string(kLimit, 'x'), "", true},
        {std::wstring(kLimit + 1, L'x'), std::string(kLimit + 1, 'x'), "", false},
        {std::wstring(kLimit - 3, L'x') + L" ", std::string(kLimit - 3, 'x') + " ", "", true},
        {std::wstring(kLimit - 2, L'x') + L" ", std::string(kLimit - 2, 'x') + " ", "", false},
        {alphas + L"ab", std::string(kGreek, '?') + "ab", greek + "ab", true},
        {alphas + L"abc", std::string(kGreek, '?') + "abc", greek + "abc", false},
        // What the pad is given, of the widest units, fits.
        {std::wstring(kLongestGivenMemo, L'\x4E00'), std::string(kLongestGivenMemo, '?'), chinese, true},
    };
    for (Case& c : cases) {
        const StoredMemo memo = StoreMemo(WideText(c.memo.begin(), c.memo.end()), LatinCodePage());
        EXPECT_TRUE(c.text == memo.text) << c.text.substr(0, 20);
        EXPECT_TRUE(c.side == memo.side) << c.text.substr(0, 20);
        EXPECT_EQ(c.fits, memo.fits) << c.text.substr(0, 20);
    }
}

} // namespace
