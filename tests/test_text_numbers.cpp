// Number formatting and scanning that stand in for "%d", "%08lx" and a scanned "%d".
#include <gtest/gtest.h>

#include <climits>

#include "framework/TextNumbers.h"

namespace {

TEST(DecimalText, WritesLikePercentD)
{
    struct Case { long long value; const char* text; } cases[] = {
        {0, "0"}, {7, "7"}, {-5, "-5"}, {10, "10"}, {4398, "4398"},
        {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}, {LLONG_MIN, "-9223372036854775808"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, DecimalText(c.value));
}

TEST(HexText, WritesLowerCaseZeroPadded)
{
    EXPECT_EQ("040904b0", HexText(0x040904B0u, 8));
    EXPECT_EQ("040704e4", HexText(0x040704E4u, 8));
    EXPECT_EQ("00000000", HexText(0, 8));
    EXPECT_EQ("ffffffff", HexText(0xFFFFFFFFu, 8));
    EXPECT_EQ("012345678", HexText(0x12345678u, 9));
    EXPECT_EQ("a", HexText(10, 0));
}

TEST(ScanDecimal, ScansLikePercentD)
{
    struct Case { const char* text; bool ok; int value; size_t consumed; } cases[] = {
        {"2, 0", true, 2, 1},
        {" 0,", true, 0, 2},
        {"\t-12x", true, -12, 4},
        {"+3", true, 3, 2},
        {"-", false, 0, 0},
        {"", false, 0, 0},
        {"x1", false, 0, 0},
        {"99999999999", true, INT_MAX, 11},
        {"-99999999999", true, INT_MIN, 12},
    };
    for (const Case& c : cases) {
        const char* cursor = c.text;
        int value = 0;
        EXPECT_EQ(c.ok, ScanDecimal(cursor, value)) << '"' << c.text << '"';
        EXPECT_EQ(c.value, value) << '"' << c.text << '"';
        EXPECT_EQ(c.consumed, static_cast<size_t>(cursor - c.text)) << '"' << c.text << '"';
    }
}

} // namespace
