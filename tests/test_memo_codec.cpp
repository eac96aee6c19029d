// The memo's stored forms as plain text logic: one line with a TAB for every line break,
// and the whole text beside it as escaped UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "settings/MemoCodec.h"

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

} // namespace
