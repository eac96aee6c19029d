#include "cover/memo/MemoBound.h"

namespace {

bool LineBreak(wchar_t c) noexcept
{
    return c == L'\r' || c == L'\n';
}

// The cut by the counts alone: the memo's bound, and the first line over its bound.
size_t CountedCut(const wchar_t* memo, size_t length, size_t longestMemo, size_t longestLine) noexcept
{
    size_t line = 0;
    for (size_t i = 0; i < length; ++i) {
        if (i == longestMemo)
            return i;
        if (LineBreak(memo[i]))
            line = 0;
        else if (++line > longestLine)
            return i;
    }
    return length;
}

// The cut within the first line of memo[0, length) that the box does not show whole.
size_t MeasuredCut(const wchar_t* memo, size_t length, const LineRoom& room) noexcept
{
    for (size_t start = 0; start < length;) {
        size_t end = start;
        while (end < length && !LineBreak(memo[end]))
            ++end;
        if (end > start) {
            const size_t fit = room.Fitting(memo + start, end - start);
            if (fit < end - start)
                return start + fit;
        }
        start = end + 1;
    }
    return length;
}

} // namespace

size_t ShownMemoLength(const wchar_t* memo, size_t length, size_t longestMemo, size_t longestLine,
                       const LineRoom* room) noexcept
{
    size_t cut = CountedCut(memo, length, longestMemo, longestLine);
    if (room != nullptr)
        cut = MeasuredCut(memo, cut, *room);
    return WholeCharactersCut(memo, length, cut);
}

size_t WholeCharactersCut(const wchar_t* memo, size_t length, size_t cut) noexcept
{
    if (cut < length && cut > 0) {
        const wchar_t before = memo[cut - 1];
        if ((before == L'\r' && memo[cut] == L'\n') || (before >= 0xD800 && before <= 0xDBFF))
            --cut;
    }
    return cut > length ? length : cut;
}

size_t FirstLinesLength(const wchar_t* memo, size_t length, size_t lines) noexcept
{
    size_t ended = 0;
    for (size_t i = 0; i < length; ++i) {
        if (!LineBreak(memo[i]))
            continue;
        if (memo[i] == L'\r' && i + 1 < length && memo[i + 1] == L'\n')
            ++i;
        if (++ended == lines)
            return i + 1;
    }
    return length;
}
