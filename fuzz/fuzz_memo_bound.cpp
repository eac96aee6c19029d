// How much of a stored memo the memo pad is given: any memo and any bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "FuzzCheck.h"
#include "cover/memo/MemoBound.h"
#include "framework/WideText.h"

namespace {

bool IsBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

// A box that shows the same number of characters of any line, as a fixed-width font would.
class FixedRoom : public LineRoom {
public:
    explicit FixedRoom(size_t units) noexcept : units_(units) {}
    size_t Fitting(const wchar_t*, size_t length) const noexcept override { return length < units_ ? length : units_; }

private:
    size_t units_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const size_t longestMemo = in.ConsumeIntegralInRange<size_t>(0, 300);
    const size_t longestLine = in.ConsumeIntegralInRange<size_t>(0, 40);
    // Unmeasured, or a box that shows fewer characters of a line than the bound allows.
    const bool measured = in.ConsumeBool();
    const FixedRoom room(in.ConsumeIntegralInRange<size_t>(0, 40));
    const size_t lineBound = measured && room.Fitting(nullptr, longestLine) < longestLine
                                 ? room.Fitting(nullptr, longestLine) : longestLine;
    // Mostly the units that matter (breaks, surrogate halves), and any other.
    WideText memo;
    while (in.remaining_bytes() > 0) {
        const uint8_t pick = in.ConsumeIntegral<uint8_t>();
        static const wchar_t kCommon[] = {L'\r', L'\n', L'a', 0xD83D, 0xDE00, L' '};
        memo.push_back(pick < 192 ? kCommon[pick % 6] : static_cast<wchar_t>(in.ConsumeIntegral<uint16_t>()));
    }

    const size_t shown = ShownMemoLength(memo.data(), memo.size(), longestMemo, longestLine, measured ? &room : nullptr);
    FUZZ_CHECK(shown <= memo.size() && shown <= longestMemo);
    if (shown > 0 && shown < memo.size()) {
        FUZZ_CHECK(!(memo[shown - 1] == L'\r' && memo[shown] == L'\n'));
        FUZZ_CHECK(!(memo[shown - 1] >= 0xD800 && memo[shown - 1] <= 0xDBFF && memo[shown] >= 0xDC00 &&
                     memo[shown] <= 0xDFFF));
    }
    // No line shown is longer than the bound, and no more is held back than the bounds
    // (and one unit not to split a pair) ask.
    size_t line = 0, needed = memo.size() < longestMemo ? memo.size() : longestMemo;
    for (size_t i = 0; i < memo.size() && i < longestMemo; ++i) {
        line = IsBreak(memo[i]) ? 0 : line + 1;
        if (line > lineBound) {
            needed = i;
            break;
        }
    }
    line = 0;
    for (size_t i = 0; i < shown; ++i) {
        line = IsBreak(memo[i]) ? 0 : line + 1;
        FUZZ_CHECK(line <= lineBound);
    }
    FUZZ_CHECK(shown <= needed && shown + 1 >= needed);
    return 0;
}
