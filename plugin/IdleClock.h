// When the cover comes up by itself after minutes without input: a plain decision on
// tick counts (milliseconds since the system started, wrapping every 49.7 days), so it
// is tested with any clock and input time.
#pragma once
#include <cstdint>

// Times of one look at the clock, all GetTickCount-style ticks.
struct IdleTimes {
    uint32_t now;
    // The last keyboard or mouse input anywhere on the desktop.
    uint32_t lastInput;
    // When the last cover ended, if one has ended since the plug-in started (the lock
    // passes its own start until then, so that no cover comes up the moment it starts).
    bool coverEnded;
    uint32_t lastCoverEnd;
};

struct IdleDecision {
    // The cover is due now.
    bool lockNow;
    // When to look again, in milliseconds: the time that remains, but never more than
    // kIdleRecheckMs, so that a changed setting is seen within a minute.
    uint32_t wakeAfterMs;
};

constexpr uint32_t kIdleRecheckMs = 60000;

// Milliseconds since the later of the last input and the last cover end. A time that
// lies ahead of `now` (read a moment apart) counts as now.
uint32_t IdleMilliseconds(const IdleTimes& times) noexcept;

// With LockAfterMinutes as stored: never for 0, negative or no number (which reads as
// 0), at most 999 minutes (EffectiveLockMinutes).
IdleDecision DecideIdleLock(int storedMinutes, const IdleTimes& times) noexcept;
