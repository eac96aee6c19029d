#include "settings/Settings.h"

int EffectiveLockMinutes(int storedMinutes) noexcept
{
    if (storedMinutes <= 0)
        return 0;
    return storedMinutes > kLongestLockAfterMinutes ? kLongestLockAfterMinutes : storedMinutes;
}
