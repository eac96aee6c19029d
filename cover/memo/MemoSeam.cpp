#include "cover/memo/MemoSeam.h"

#include <algorithm>

namespace {

bool LineBreak(wchar_t c) noexcept
{
    return c == L'\r' || c == L'\n';
}

} // namespace

PadEdits AfterChange(PadEdits soFar, const WideText& given, const WideText& before, const WideText& after,
                     size_t selStart, size_t selEnd)
{
    if (after == given)
        return PadEdits::kNone;
    if (after == before || soFar == PadEdits::kReplaced)
        return soFar;
    const size_t length = before.size();
    selEnd = std::min(selEnd, length);
    selStart = std::min(selStart, selEnd);
    // The one span of `before` that changed: it holds the selection, and as little else
    // as the two texts allow.
    size_t same = 0;
    while (same < selStart && same < after.size() && before[same] == after[same])
        ++same;
    size_t sameEnd = 0;
    const size_t endRoom = std::min(length - selEnd, after.size() - same);
    while (sameEnd < endRoom && before[length - 1 - sameEnd] == after[after.size() - 1 - sameEnd])
        ++sameEnd;
    if (same == 0 && sameEnd == 0 && length > 0)
        return PadEdits::kReplaced;
    if (sameEnd == 0)
        return PadEdits::kAtSeam;
    return soFar == PadEdits::kNone ? PadEdits::kInside : soFar;
}

WideText MemoWithRest(const WideText& pad, const WideText& rest, PadEdits edits)
{
    WideText memo = pad;
    if (edits == PadEdits::kReplaced || rest.empty())
        return memo;
    // At the seam the rest starts a line of its own, unless a line break is there already.
    if (edits == PadEdits::kAtSeam && !pad.empty() && !LineBreak(pad.back()) && !LineBreak(rest.front())) {
        memo.push_back(L'\r');
        memo.push_back(L'\n');
    }
    memo.insert(memo.end(), rest.begin(), rest.end());
    return memo;
}
