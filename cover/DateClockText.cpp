#include "cover/DateClockText.h"

#include "framework/TextNumbers.h"

namespace {

const char* const kWeekdayNames[] = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
};

const char* const kMonthNames[] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

// Rows are matched by their number's decimal text, so a number without a row (0, 13,
// -1) keeps its own text.
template <size_t N>
std::string NameFor(int number, const char* const (&names)[N])
{
    const std::string text = DecimalText(number);
    for (size_t row = 0; row < N; ++row) {
        if (text == DecimalText(static_cast<int>(row) + 1))
            return names[row];
    }
    return text;
}

} // namespace

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

std::string DateText(const ClockReading& reading)
{
    return NameFor(reading.weekday, kWeekdayNames) + ", " + DecimalText(reading.day) + " " +
           NameFor(reading.month, kMonthNames) + ", " + DecimalText(reading.year);
}

std::string ClockText(const ClockReading& reading)
{
    return DecimalText(reading.hour) + ":" + DecimalText(reading.minute) + ":" +
           DecimalText(reading.second);
}
