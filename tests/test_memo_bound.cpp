// How much of a stored memo the pad is given: the cutting rule, with a box that shows a
// fixed number of characters on a line.
#include <gtest/gtest.h>

#include <string>

#include "cover/memo/MemoBound.h"
#include "settings/SettingsLimits.h"

namespace {

class FixedRoom final : public LineRoom {
public:
    explicit FixedRoom(size_t characters) : characters_(characters) {}
    size_t Fitting(const wchar_t*, size_t length) const noexcept override
    {
        return length < characters_ ? length : characters_;
    }

private:
    size_t characters_;
};

constexpr size_t kUnmeasured = 0;

struct Case {
    const wchar_t* memo;
    size_t longestMemo;
    size_t longestLine;
    size_t room;   // characters a line of the box shows; kUnmeasured: no measure
    size_t shown;
};

const Case kCases[] = {
    // The counts alone (a memo of 10, lines of 4).
    {L"", 10, 4, kUnmeasured, 0},
    {L"abcd", 10, 4, kUnmeasured, 4},                 // a line exactly as long as allowed
    {L"abcde", 10, 4, kUnmeasured, 4},                // one longer is cut within it
    {L"ab\r\ncdef\r\ngh", 10, 4, kUnmeasured, 10},    // every line within bounds, the memo at its bound
    {L"ab\r\ncdef\r\nghi", 10, 4, kUnmeasured, 10},   // one more character
    {L"abcdefgh\r\nij", 10, 4, kUnmeasured, 4},       // the first long line cuts everything after it too
    {L"abcdefghi\r\n", 10, 4, kUnmeasured, 4},
    {L"abc\r\ndefg\r\n", 10, 4, kUnmeasured, 9},      // cut between CR and LF: the CR goes too
    {L"abc\xD83D\xDE00", 10, 4, kUnmeasured, 3},      // an emoji's two halves stay together
    {L"\n\n\n\n\n\n\n\n\n\n\n", 10, 4, kUnmeasured, 10},
    // The box's measure, within wide counts.
    {L"ab\r\ncde\r\n\r\nf", 100, 100, 3, 12},         // every line fits: the memo is whole
    {L"abcdef\r\ngh", 100, 100, 4, 4},                // the first line over the room cuts there
    {L"ab\r\ncdefg\r\nh", 100, 100, 4, 8},            // ... also a later one
    {L"ab\rcdefg", 100, 100, 4, 7},                   // a lone CR ends a line too
    {L"\xD83D\xDE00\xD83D\xDE00\xD83D\xDE00", 100, 100, 3, 2},   // emoji over the room: whole ones
    {L"\xD83D\xDE00\xD83D\xDE00", 100, 100, 1, 0},
    {L"ab\r\n\xD83D\xDE00\xD83D\xDE00", 100, 100, 3, 6},
    {L"ab\r\ncd\r\nefgh", 9, 100, 2, 9},              // the memo's bound before the room
    {L"abc\r\ndefgh", 4, 100, 3, 3},                  // the bound between CR and LF
    {L"abcdefgh", 100, 5, 6, 5},                      // the line's bound before the room
};

TEST(MemoBound, TheStartUpToTheBoundsAndTheBoxNeverSplittingALineBreakOrACharacter)
{
    for (const Case& c : kCases) {
        const std::wstring memo = c.memo;
        SCOPED_TRACE(::testing::PrintToString(memo) + " room " + std::to_string(c.room));
        const FixedRoom room(c.room);
        const size_t shown = ShownMemoLength(memo.data(), memo.size(), c.longestMemo, c.longestLine,
                                             c.room == kUnmeasured ? nullptr : &room);
        EXPECT_EQ(c.shown, shown);
        // What every cut keeps to, whatever the row expects.
        ASSERT_LE(shown, memo.size());
        EXPECT_LE(shown, c.longestMemo);
        if (shown > 0 && shown < memo.size()) {
            EXPECT_FALSE(memo[shown - 1] == L'\r' && memo[shown] == L'\n') << "a line break split";
            EXPECT_FALSE(memo[shown - 1] >= 0xD800 && memo[shown - 1] <= 0xDBFF) << "a character split";
        }
    }
}

// What the pad is given with its own bounds: whatever it held comes back whole, lone line
// breaks too (one character in the pad, a CR LF pair once saved); a character more is not.
TEST(MemoBound, WhatThePadHeldIsGivenBackWhole)
{
    const size_t typed = kMemoTypedLimit, given = kLongestGivenMemo;
    std::wstring lines;
    while (lines.size() < typed)
        lines += std::wstring(kLongestShownMemoLine, L'a') + L"\r\n";
    lines.resize(typed);
    std::wstring breaks;
    for (size_t i = 0; i < typed; ++i)
        breaks += L"\r\n";
    for (const std::wstring& memo : {lines, breaks})
        EXPECT_EQ(memo.size(), ShownMemoLength(memo.data(), memo.size(), given, kLongestShownMemoLine, nullptr));
    const std::wstring more = breaks + L"a";
    EXPECT_EQ(breaks.size(), ShownMemoLength(more.data(), more.size(), given, kLongestShownMemoLine, nullptr));
}

TEST(MemoBound, NoMoreLinesThanTheBoxHasRows)
{
    const struct {
        const wchar_t* memo;
        size_t rows;
        size_t length;
    } rows[] = {
        {L"a\r\nb\rc\nd", 3, 7}, // CR LF, a lone CR and a lone LF each end a line
        {L"a\r\nb\rc\nd", 4, 8},
        {L"\r\n\r\n", 1, 2},
        {L"ab", 5, 2},
    };
    for (const auto& row : rows) {
        const std::wstring memo = row.memo;
        EXPECT_EQ(row.length, FirstLinesLength(memo.data(), memo.size(), row.rows)) << ::testing::PrintToString(memo);
    }
}

} // namespace
