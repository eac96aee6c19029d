// The part of a long memo the pad was not given: which edit it was, and what is stored.
#include <gtest/gtest.h>

#include <string>

#include "cover/memo/MemoBound.h"
#include "cover/memo/MemoSeam.h"

namespace {

WideText W(const wchar_t* text)
{
    return WideText(text, text + std::wstring(text).size());
}

constexpr size_t kAll = static_cast<size_t>(-1);

struct Row {
    const char* what;
    const wchar_t* given;   // what the pad was given; the pad held it before the change
    const wchar_t* after;   // the pad after the change
    size_t selStart, selEnd;
    const wchar_t* rest;
    PadEdits edits;
    const wchar_t* stored;
};

const Row kRows[] = {
    // Inside: the pad's last character stays in place; the rest follows, as stored before.
    {"typed at the start", L"memo line of a", L"Xmemo line of a", 0, 0, L"nd more", PadEdits::kInside,
     L"Xmemo line of and more"},
    {"Delete at the start", L"memo line of a", L"emo line of a", 0, 0, L"nd more", PadEdits::kInside,
     L"emo line of and more"},
    {"a word selected and typed over", L"one two three", L"one 2 three", 4, 7, L"four", PadEdits::kInside,
     L"one 2 threefour"},
    {"Greek, Backspace inside", L"\x03B1\x03B2\x03B3\x03B4", L"\x03B1\x03B3\x03B4", 2, 2, L"\x03B5",
     PadEdits::kInside, L"\x03B1\x03B3\x03B4\x03B5"},
    {"the same letter typed before the end's twin", L"ab", L"abb", 1, 1, L"c", PadEdits::kInside, L"abbc"},
    {"an emoji's halves at the seam stay whole inside", L"a\xD83D\xDE00", L"\xD83D\xDE00", 0, 0, L"\xD83D\xDE01",
     PadEdits::kInside, L"\xD83D\xDE00\xD83D\xDE01"},
    // At the seam: the end changed; the rest is kept on a line of its own.
    {"typed at the end, mid-word", L"memo line of a", L"memo line of a word", 14, 14, L"nd more",
     PadEdits::kAtSeam, L"memo line of a word\r\nnd more"},
    {"Backspace at the end", L"memo line of a", L"memo line of ", 14, 14, L"nd more", PadEdits::kAtSeam,
     L"memo line of \r\nnd more"},
    {"the end's twin typed after it", L"ab", L"abb", 2, 2, L"c", PadEdits::kAtSeam, L"abb\r\nc"},
    {"typed on the empty last row", L"l1\r\n", L"l1\r\nword", 4, 4, L"l2", PadEdits::kAtSeam,
     L"l1\r\nword\r\nl2"},
    {"a line break there already: none added", L"l1\r\nx", L"l1\r\n", 5, 5, L"l2", PadEdits::kAtSeam,
     L"l1\r\nl2"},
    {"the rest starting a line: none added", L"abc", L"abcd", 3, 3, L"\r\nl2", PadEdits::kAtSeam,
     L"abcd\r\nl2"},
    {"Arabic typed after Arabic", L"\x0633\x0644\x0627", L"\x0633\x0644\x0627\x0645", 3, 3, L"\x0645\x0631",
     PadEdits::kAtSeam, L"\x0633\x0644\x0627\x0645\r\n\x0645\x0631"},
    {"half an emoji left at the end", L"a\xD83D\xDE00", L"a\xD83D", 3, 3, L"\xDE01", PadEdits::kAtSeam,
     L"a\xD83D\r\n\xDE01"},
    {"CJK, the end selected and typed over", L"\x6F22\x5B57\x304B", L"\x6F22\x5B57\x306A", 2, 3,
     L"\x304C\x306A", PadEdits::kAtSeam, L"\x6F22\x5B57\x306A\r\n\x304C\x306A"},
    // Whole: everything the pad held went at once.
    {"Ctrl+A, typed over", L"memo line of a", L"new", 0, 14, L"nd more", PadEdits::kReplaced, L"new"},
    {"Ctrl+A, typed over with the same last letter", L"abc", L"c", 0, 3, L"def", PadEdits::kReplaced, L"c"},
    {"Ctrl+A, typed over with the same first letter", L"abc", L"a", 0, 3, L"def", PadEdits::kReplaced, L"a"},
    {"Ctrl+A, Delete", L"\x0395\x03BB\x03BB\x03AC\x03B4\x03B1", L"", 0, 6, L"\x03C2", PadEdits::kReplaced, L""},
    {"a program's text", L"memo line of a", L"memo line of b", 0, kAll, L"nd", PadEdits::kReplaced,
     L"memo line of b"},
    {"the last character deleted", L"a", L"", 1, 1, L"\xD83D\xDE00", PadEdits::kReplaced, L""},
    // Nothing changed, as far as the rest goes.
    {"back to what it was given", L"abc", L"abc", 0, 3, L"def", PadEdits::kNone, L"abcdef"},
    {"nothing given: typing starts a line before the rest", L"", L"x", 0, 0, L"rest", PadEdits::kAtSeam,
     L"x\r\nrest"},
    {"no rest: the pad is the memo", L"abc", L"ab", 3, 3, L"", PadEdits::kAtSeam, L"ab"},
};

TEST(MemoSeam, EachEditKeepsOrDropsTheRestByWhereItWasMade)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        const WideText given = W(row.given);
        const PadEdits edits = AfterChange(PadEdits::kNone, given, given, W(row.after), row.selStart, row.selEnd);
        EXPECT_EQ(static_cast<int>(row.edits), static_cast<int>(edits));
        EXPECT_TRUE(MemoWithRest(W(row.after), W(row.rest), edits) == W(row.stored));
    }
}

// A run of edits: the first that reaches the seam or empties the pad decides, until the
// pad is back at what it was given.
TEST(MemoSeam, AnEditOnceAtTheSeamOrWholeStaysSoUntilThePadIsAsGiven)
{
    const WideText given = W(L"abc");
    PadEdits edits = AfterChange(PadEdits::kNone, given, given, W(L"Xabc"), 0, 0);
    EXPECT_EQ(PadEdits::kInside, edits);
    edits = AfterChange(edits, given, W(L"Xabc"), W(L"Xabcd"), 4, 4);
    EXPECT_EQ(PadEdits::kAtSeam, edits);
    edits = AfterChange(edits, given, W(L"Xabcd"), W(L"YXabcd"), 0, 0);
    EXPECT_EQ(PadEdits::kAtSeam, edits) << "an edit inside after one at the seam";
    edits = AfterChange(edits, given, W(L"YXabcd"), W(L""), 0, 6);
    EXPECT_EQ(PadEdits::kReplaced, edits);
    edits = AfterChange(edits, given, W(L""), W(L"ab"), 0, 0);
    EXPECT_EQ(PadEdits::kReplaced, edits) << "typing into the emptied pad brings no rest back";
    edits = AfterChange(edits, given, W(L"ab"), W(L"abc"), 2, 2);
    EXPECT_EQ(PadEdits::kNone, edits) << "the pad as given again (undo, or typed back)";
}

struct CutRow {
    const wchar_t* memo;
    size_t lines;
    size_t length;
};

const CutRow kCutRows[] = {
    {L"a\r\nb\r\nc", 2, 6}, {L"a\nb\rc", 1, 2}, {L"a\r\nb", 5, 4}, {L"\r\n\r\n\r\n", 2, 4}, {L"abc", 1, 3},
};

TEST(MemoSeam, ThePadIsGivenNoMoreLinesThanItsBoxHasRows)
{
    for (const CutRow& row : kCutRows) {
        const std::wstring memo = row.memo;
        EXPECT_EQ(row.length, FirstLinesLength(memo.data(), memo.size(), row.lines)) << memo.size();
    }
    const std::wstring pair = L"ab\r\ncd\xD83D\xDE00";
    EXPECT_EQ(2u, WholeCharactersCut(pair.data(), pair.size(), 3)) << "between CR and LF";
    EXPECT_EQ(6u, WholeCharactersCut(pair.data(), pair.size(), 7)) << "between an emoji's halves";
    EXPECT_EQ(5u, WholeCharactersCut(pair.data(), pair.size(), 5));
}

} // namespace
