#include "plugin/IdleClock.h"

#include "settings/Settings.h"

namespace {

constexpr uint32_t kMillisecondsPerMinute = 60000;

// Ticks wrap around; a difference read as signed tells which of two ticks is later for
// any two less than 24.8 days apart, far more than the longest lock interval.
uint32_t Since(uint32_t now, uint32_t then) noexcept
{
    const uint32_t elapsed = now - then;
    return static_cast<int32_t>(elapsed) < 0 ? 0 : elapsed;
}

} // namespace

uint32_t IdleMilliseconds(const IdleTimes& times) noexcept
{
    const uint32_t sinceInput = Since(times.now, times.lastInput);
    if (!times.coverEnded)
        return sinceInput;
    const uint32_t sinceCover = Since(times.now, times.lastCoverEnd);
    return sinceCover < sinceInput ? sinceCover : sinceInput;
}

IdleDecision DecideIdleLock(int storedMinutes, const IdleTimes& times) noexcept
{
    const int minutes = EffectiveLockMinutes(storedMinutes);
    if (minutes == 0)
        return {false, kIdleRecheckMs};
    const uint32_t limit = static_cast<uint32_t>(minutes) * kMillisecondsPerMinute;
    const uint32_t idle = IdleMilliseconds(times);
    if (idle >= limit)
        return {true, kIdleRecheckMs};
    const uint32_t remaining = limit - idle;
    return {false, remaining < kIdleRecheckMs ? remaining : kIdleRecheckMs};
}
