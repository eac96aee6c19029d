#include "cover/ShownMemo.h"

size_t ShownMemoLength(const WideText& memo, size_t longestMemo, size_t longestLine) noexcept
{
    size_t cut = memo.size();
    size_t line = 0;
    for (size_t i = 0; i < memo.size(); ++i) {
        if (i == longestMemo) {
            cut = i;
            break;
        }
        if (memo[i] == L'\r' || memo[i] == L'\n') {
            line = 0;
        } else if (++line > longestLine) {
            cut = i;
            break;
        }
    }
    if (cut < memo.size() && cut > 0) {
        const wchar_t before = memo[cut - 1];
        if ((before == L'\r' && memo[cut] == L'\n') || (before >= 0xD800 && before <= 0xDBFF))
            --cut;
    }
    return cut;
}
