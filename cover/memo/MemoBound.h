// How much of a stored memo the memo pad is given when the cover comes up.
//
// The pad's edit control wraps each line at its width, and the time that takes grows with
// the square of the line's length: a memo of 100,000 characters on one line held the
// cover for 18 seconds under wine, one of 350,000 for over three minutes, while the same
// text in lines of 100 characters took a tenth of a second. A file can hold anything, so
// the pad gets a bounded start of the memo: at most kLongestGivenMemo characters (twice
// what can be typed, see settings/SettingsLimits.h), no more lines than the box has rows,
// and no line longer than the box could ever show (measured with the pad's font). The rest
// stays in the file after what the pad holds (see MemoSeam.h).
#pragma once
#include <cstddef>

// A first bound on one line, before the box measures what it shows (some 1,400 of the
// narrowest characters, 550 of the widest): wrapped in about 10 ms under wine, where
// 16,000 characters took 1.8 s.
constexpr size_t kLongestShownMemoLine = 2000;

// The box's measure of one line: how many of its first characters it can show.
class LineRoom {
public:
    virtual size_t Fitting(const wchar_t* line, size_t length) const noexcept = 0;

protected:
    ~LineRoom() = default;
};

// The length of the start of `memo` (CR LF line breaks, as the pad holds it) that the pad
// is given: at most `longestMemo` characters, cut within the first line longer than
// `longestLine` or than `room` shows (no measure when null). Never cuts between a CR and
// its LF nor between the two halves of a character beyond U+FFFF.
size_t ShownMemoLength(const wchar_t* memo, size_t length, size_t longestMemo, size_t longestLine,
                       const LineRoom* room) noexcept;

// The cut moved back, where it would split a CR from its LF or the two halves of a
// character beyond U+FFFF, to before them.
size_t WholeCharactersCut(const wchar_t* memo, size_t length, size_t cut) noexcept;

// The length of the first `lines` lines of `memo`, their line breaks included (a CR LF
// pair, a lone CR or a lone LF each ends one): no more lines than the box has rows.
size_t FirstLinesLength(const wchar_t* memo, size_t length, size_t lines) noexcept;
