// The cover's date line and clock, built from a reading of the local time. The names
// are English whatever the system's language; no locale is consulted.
//
// The texts are plain logic; the readings of the system's clock are in LocalTime.cpp, the
// one part that needs Windows.
#pragma once
#include <string>

// SYSTEMTIME of <windows.h>: only the code that reads one needs the whole type.
struct _SYSTEMTIME;

// Local date and time at whole-second resolution. An invalid reading has -1 in every
// field and is formatted like any other.
struct ClockReading {
    int year = 0;
    int month = 0;
    int day = 0;
    int weekday = 0; // 1 = Sunday ... 7 = Saturday
    int hour = 0;
    int minute = 0;
    int second = 0;

    static ClockReading Invalid() noexcept { return {-1, -1, -1, -1, -1, -1, -1}; }
};

// The current local time.
ClockReading CurrentReading() noexcept;
// A local time as the system gives it; invalid when it is no real date and time.
ClockReading ReadingFromLocalTime(const _SYSTEMTIME& local) noexcept;

// "Saturday, 1 January, 2000". A weekday or month without a name shows its number.
std::string DateText(const ClockReading& reading);
// "9:5:3": 24-hour, no leading zeros.
std::string ClockText(const ClockReading& reading);

// The time of day of `utcSeconds` as Windows formats it for the user (hours and
// minutes), with the date before it when it is not the same day as `nowUtc`.
std::string LocalTimeText(long long utcSeconds, long long nowUtc);
// The clock now, in seconds since 1970, UTC.
long long UtcSecondsNow() noexcept;
