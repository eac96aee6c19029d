// The cover's readings of the system's clock, in the terms of cover/clock/DateClockText.h.
#include "cover/clock/DateClockText.h"

#include <windows.h>

ClockReading ReadingFromLocalTime(const SYSTEMTIME& local) noexcept
{
    // The conversion checks every field's range, so a time that is no real date is
    // caught here rather than shown half-right.
    FILETIME asFileTime;
    if (!::SystemTimeToFileTime(&local, &asFileTime) || local.wDayOfWeek > 6)
        return ClockReading::Invalid();
    ClockReading reading;
    reading.year = local.wYear;
    reading.month = local.wMonth;
    reading.day = local.wDay;
    reading.weekday = local.wDayOfWeek + 1;
    reading.hour = local.wHour;
    reading.minute = local.wMinute;
    reading.second = local.wSecond;
    return reading;
}

ClockReading CurrentReading() noexcept
{
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    return ReadingFromLocalTime(local);
}

namespace {

// Seconds from 1601 (the system's file times) to 1970.
constexpr long long kUnixEpochSeconds = 11644473600LL;

bool LocalSystemTime(long long utcSeconds, SYSTEMTIME& local) noexcept
{
    const unsigned long long ticks =
        static_cast<unsigned long long>(utcSeconds + kUnixEpochSeconds) * 10000000ULL;
    FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME here;
    return ::FileTimeToLocalFileTime(&utc, &here) && ::FileTimeToSystemTime(&here, &local);
}

} // namespace

std::string LocalTimeText(long long utcSeconds, long long nowUtc)
{
    SYSTEMTIME when{}, today{};
    if (utcSeconds < 0 || !LocalSystemTime(utcSeconds, when))
        return "an unknown time";
    char buffer[128];
    std::string text;
    if (::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &when, nullptr, buffer,
                         sizeof buffer) > 0)
        text = buffer;
    const bool sameDay = LocalSystemTime(nowUtc, today) && today.wYear == when.wYear &&
                         today.wMonth == when.wMonth && today.wDay == when.wDay;
    if (!sameDay && ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr,
                                     buffer, sizeof buffer) > 0)
        text = std::string(buffer) + " " + text;
    return text;
}

long long UtcSecondsNow() noexcept
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ULL) - kUnixEpochSeconds;
}
