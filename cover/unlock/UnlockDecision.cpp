#include "cover/unlock/UnlockDecision.h"

UnlockStep DecideUnlock(uint32_t waitMs, bool fieldEmpty, bool typedMatches, bool fileUnreadable) noexcept
{
    if (waitMs > 0)
        return UnlockStep::kWait;
    if (fileUnreadable)
        return UnlockStep::kRefuseFileUnreadable;
    if (typedMatches)
        return UnlockStep::kOpen;
    return fieldEmpty ? UnlockStep::kRefuseUncounted : UnlockStep::kRefuseCounted;
}

bool SavesMemoAtUnlock(bool switchOn, const WideText& now, const WideText& known)
{
    return switchOn && now != known;
}

bool AsksBeforeDroppingMemo(bool memoEmpty, bool fileHoldsIt) noexcept
{
    return !memoEmpty && !fileHoldsIt;
}
