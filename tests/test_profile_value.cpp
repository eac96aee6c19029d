// How values and numbers travel through the profile functions, as plain string logic:
// what a read would strip is quoted, and stored integers read as the conversion reads them.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "settings/ProfileValue.h"

namespace {

TEST(ParseProfileInt, MatchesTheStoredNumberRules)
{
    struct Case { const char* text; int value; } cases[] = {
        {"", 0}, {"0", 0}, {"2", 2}, {"-1", -1}, {" \t 42abc", 42}, {"- 4", 0}, {"+", 0},
        {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN}, {"0007", 7}, {"1x", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, ParseProfileInt(c.text)) << '"' << c.text << '"';
}

TEST(QuoteProfileValue, QuotesOnlyWhatAReadWouldStrip)
{
    EXPECT_EQ("", QuoteProfileValue(""));
    EXPECT_EQ("plain", QuoteProfileValue("plain"));
    EXPECT_EQ("in side", QuoteProfileValue("in side"));
    EXPECT_EQ("\" x\"", QuoteProfileValue(" x"));
    EXPECT_EQ("\"x\t\"", QuoteProfileValue("x\t"));
    EXPECT_EQ("\"\"x\"\"", QuoteProfileValue("\"x\""));
    EXPECT_EQ("\"'\"", QuoteProfileValue("'"));
    EXPECT_TRUE(IsStorableProfileValue("any \t\"' text"));
    EXPECT_FALSE(IsStorableProfileValue("a\r"));
    EXPECT_FALSE(IsStorableProfileValue("\n"));
    EXPECT_FALSE(IsStorableProfileValue(std::string("\0", 1)));
}

TEST(PutValueInPlace, OnlyThePlaceholderEndingItsOneLine)
{
    struct Case { const char* before; const char* after; } cases[] = {
        {"[S]\r\nA=1\r\nMemo=@p\r\nB=2\r\n", "[S]\r\nA=1\r\nMemo=\"long \"\r\nB=2\r\n"},
        {"[S]\nMemo=@p\nB=2", "[S]\nMemo=\"long \"\nB=2"},
        {"[S]\r\nMemo=@p", "[S]\r\nMemo=\"long \""},              // the file's last line, unended
        {"[S]\r\nX=@pq\r\nMemo=@p\r\n", "[S]\r\nX=@pq\r\nMemo=\"long \"\r\n"},   // a longer value passed by
        {"[S]\r\nMemo=@p\r\nCopy=@p\r\n", nullptr},             // two: which is the key's is not known
        {"[S]\r\nMemo=@pq\r\n", nullptr},
        {"[S]\r\nMemo=x\r\n", nullptr},
        {"@p\r\n", nullptr},                                     // not a value
    };
    for (const Case& c : cases) {
        std::string bytes = c.before;
        EXPECT_EQ(c.after != nullptr, PutValueInPlace(bytes, "@p", "\"long \"")) << c.before;
        EXPECT_EQ(c.after != nullptr ? c.after : c.before, bytes) << c.before;
    }
}

} // namespace
