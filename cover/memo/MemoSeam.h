// What becomes of the part of a stored memo the pad was not given (the rest), as the pad
// is edited. The pad holds the memo's start; the rest follows it in the file. Each edit of
// the pad is one of three kinds, told by where it was made:
//   - inside: the last character the pad held is still in place, so the rest follows what
//     the pad holds, as it followed it before;
//   - at the seam: the pad's end itself changed (typed after, deleted): the rest is kept,
//     on a line of its own, so that nothing the person did not join is joined;
//   - whole: every character the pad held went in one edit (selected and deleted or typed
//     over, a program setting its text): the memo is what the pad holds, and the rest goes
//     with the memo it belonged to.
// The pad back at exactly what it was given is untouched, whatever happened on the way.
#pragma once
#include <cstddef>

#include "framework/WideText.h"

enum class PadEdits { kNone, kInside, kAtSeam, kReplaced };

// The edits so far after one more change of the pad from `before` to `after`, made where
// [selStart, selEnd) of `before` was selected (the caret when they are equal; all of
// `before` for a program's text). `given` is what the pad was given.
PadEdits AfterChange(PadEdits soFar, const WideText& given, const WideText& before, const WideText& after,
                     size_t selStart, size_t selEnd);

// The memo to store: what the pad holds and, by the edits made, the rest.
WideText MemoWithRest(const WideText& pad, const WideText& rest, PadEdits edits);
